#include "ui/sound_view.h"

namespace {

CMeterUI* MeterNamed(CPaintManagerUI& pm, const wchar_t* name) {
    CControlUI* control = pm.FindControl(name);
    return control != nullptr ? static_cast<CMeterUI*>(control->GetInterface(L"Meter")) : nullptr;
}

void SetVisible(CControlUI* control, bool visible) {
    if (control != nullptr) control->SetVisible(visible);
}

}  // namespace

void SoundView::Attach(CPaintManagerUI& pm) {
    m_meters = pm.FindControl(L"soundMeters");
    m_speakers = Row{pm.FindControl(L"speakersRow"), MeterNamed(pm, L"meterSpeakers")};
    m_microphone = Row{pm.FindControl(L"microphoneRow"), MeterNamed(pm, L"meterMicrophone")};
    m_warning = pm.FindControl(L"soundWarning");
}

void SoundView::ShowRow(const Row& row, const SoundWatch& watch, SoundSource source) {
    // A source that could not be had shows its meter too, red: the teacher
    // sees which one is missing.
    const bool problem = watch.Shown(source) != SoundProblem::None;
    const bool shown = watch.Chosen(source) && (watch.Metered(source) || problem);
    SetVisible(row.row != nullptr ? row.row : row.meter, shown);
    if (row.meter == nullptr || !shown) return;
    row.meter->SetWarning(problem);
    row.meter->SetValue(watch.Metered(source) ? watch.Meter(source) : 0);
}

bool SoundView::Show(const SoundWatch& watch) {
    ShowRow(m_speakers, watch, SoundSource::Speakers);
    ShowRow(m_microphone, watch, SoundSource::Microphone);
    const auto rowShown = [](const Row& row) {
        const CControlUI* control = row.row != nullptr ? row.row : row.meter;
        return control != nullptr && control->IsVisible();
    };
    // A recording without sound (or an encoder that says nothing) shows no meters at all.
    SetVisible(m_meters, rowShown(m_speakers) || rowShown(m_microphone));
    if (m_warning == nullptr) return false;
    const std::wstring text = SoundWarningText(watch);
    const bool was = m_warning->IsVisible();
    m_warning->SetText(text);
    m_warning->SetVisible(!text.empty());
    return was != !text.empty();
}

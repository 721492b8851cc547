#include "ui/sound_view.h"

#include <atomic>

#include "recording/encoder_status_win.h"

namespace {

std::atomic<HWND> g_soundWindow{nullptr};

// On the encoder's reading thread: the window is told, and reads on its own thread.
void PostSoundNews() {
    const HWND window = g_soundWindow;
    if (window != nullptr) PostMessageW(window, kSoundNewsMessage, 0, 0);
}

CMeterUI* MeterNamed(CPaintManagerUI& pm, const wchar_t* name) {
    CControlUI* control = pm.FindControl(name);
    return control != nullptr ? static_cast<CMeterUI*>(control->GetInterface(L"Meter")) : nullptr;
}

// True when the visibility changed.
bool SetVisible(CControlUI* control, bool visible) {
    if (control == nullptr || control->IsVisible() == visible) return false;
    control->SetVisible(visible);
    return true;
}

}  // namespace

void SetSoundWindow(HWND window) {
    g_soundWindow = window;
    SetSoundNews(PostSoundNews);
}

HWND SoundWindow() { return g_soundWindow; }

void SoundView::Attach(CPaintManagerUI& pm) {
    m_meters = pm.FindControl(L"soundMeters");
    m_speakers = Row{pm.FindControl(L"speakersRow"), MeterNamed(pm, L"meterSpeakers")};
    m_microphone = Row{pm.FindControl(L"microphoneRow"), MeterNamed(pm, L"meterMicrophone")};
    m_warning = pm.FindControl(L"soundWarning");
}

bool SoundView::ShowRow(const Row& row, const SoundWatch& watch, SoundSource source) {
    // A source that could not be had shows its meter too, red: the teacher
    // sees which one is missing.
    const bool problem = watch.Shown(source) != SoundProblem::None;
    const bool shown = watch.Chosen(source) && (watch.Metered(source) || problem);
    bool changed = SetVisible(row.row != nullptr ? row.row : row.meter, shown);
    if (row.meter == nullptr || !shown) return changed;
    changed = row.meter->SetWarning(problem) || changed;
    changed = row.meter->SetValue(watch.Metered(source) ? watch.Meter(source) : 0) || changed;
    return changed;
}

bool SoundView::Show(const SoundWatch& watch) {
    bool changed = ShowRow(m_speakers, watch, SoundSource::Speakers);
    changed = ShowRow(m_microphone, watch, SoundSource::Microphone) || changed;
    const auto rowShown = [](const Row& row) {
        const CControlUI* control = row.row != nullptr ? row.row : row.meter;
        return control != nullptr && control->IsVisible();
    };
    // A recording without sound (or an encoder that says nothing) shows no meters at all.
    changed = SetVisible(m_meters, rowShown(m_speakers) || rowShown(m_microphone)) || changed;
    if (m_warning == nullptr) return changed;
    const std::wstring text = SoundWarningText(watch);
    if (text != m_warning->GetText()) {
        m_warning->SetText(text);
        changed = true;
    }
    return SetVisible(m_warning, !text.empty()) || changed;
}

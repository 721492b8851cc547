#include "uilib/ui_meter.h"

#include <algorithm>
#include <cmath>

#include "uilib/ui_attributes.h"
#include "uilib/ui_render.h"
#include "uilib/ui_values.h"

const wchar_t* CMeterUI::GetClass() const { return L"MeterUI"; }

void* CMeterUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Meter") return this;
    return CControlUI::GetInterface(pstrName);
}

void CMeterUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    uint32_t color = 0;
    switch (UiAttributeNamed(name)) {
    case UiAttribute::ForeColor: if (ParseUiColor(value, color)) m_foreColor = color; break;
    case UiAttribute::WarnColor: if (ParseUiColor(value, color)) m_warnColor = color; break;
    default: CControlUI::SetAttribute(name, value); break;
    }
}

int CMeterUI::FilledWidth(double fill) const {
    const int width = m_pos.right - m_pos.left;
    return static_cast<int>(std::lround(std::clamp(fill, 0.0, 1.0) * width));
}

bool CMeterUI::SetValue(double fill) {
    fill = std::clamp(std::isnan(fill) ? 0.0 : fill, 0.0, 1.0);
    const bool shows = FilledWidth(fill) != FilledWidth(m_value);
    m_value = fill;
    if (shows) Invalidate();
    return shows;
}

bool CMeterUI::SetWarning(bool warning) {
    if (m_warning == warning) return false;
    m_warning = warning;
    Invalidate();
    return true;
}

void CMeterUI::PaintStatusImage(HDC hdc) {
    CControlUI::PaintStatusImage(hdc);
    // Under a warning the whole track turns to the warning colour, dimmed,
    // so it shows with nothing to hear too; the level on it at full strength.
    if (m_warning) UiRender::FillRect(hdc, m_pos, Px(m_borderRound), (m_warnColor & 0x00FFFFFF) | 0x70000000);
    const int filled = FilledWidth(m_value);
    if (filled <= 0) return;
    const RECT bar{m_pos.left, m_pos.top, m_pos.left + filled, m_pos.bottom};
    UiRender::FillRect(hdc, bar, Px(m_borderRound), m_warning ? m_warnColor : m_foreColor);
}

// The push button: its looks by state, its input and its click.
#include "uilib/ui_button.h"

#include "uilib/ui_attributes.h"
#include "uilib/ui_control_shared.h"
#include "uilib/ui_manager.h"
#include "uilib/ui_render.h"

const wchar_t* CButtonUI::GetClass() const { return L"ButtonUI"; }

void* CButtonUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Button") return this;
    return CLabelUI::GetInterface(pstrName);
}

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    switch (UiAttributeNamed(name)) {
    case UiAttribute::HotBkColor: AssignColor(value, m_hotBkColor); break;
    case UiAttribute::PushedBkColor: AssignColor(value, m_pushedBkColor); break;
    case UiAttribute::HotTextColor: AssignColor(value, m_hotTextColor); break;
    case UiAttribute::PushedTextColor: AssignColor(value, m_pushedTextColor); break;
    case UiAttribute::HotBorderColor: AssignColor(value, m_hotBorderColor); break;
    case UiAttribute::FocusBorderColor: AssignColor(value, m_focusedBorderColor); break;
    case UiAttribute::NormalImage: m_normalImage = value; break;
    case UiAttribute::HotImage: m_hotImage = value; break;
    case UiAttribute::PushedImage: m_pushedImage = value; break;
    case UiAttribute::FocusedImage: m_focusedImage = value; break;
    case UiAttribute::DisabledImage: m_disabledImage = value; break;
    case UiAttribute::ForeImage: m_foreImage = value; break;
    default: CLabelUI::SetAttribute(name, value); break;
    }
}

void CButtonUI::SetEnabled(bool enabled) {
    if (!enabled) m_buttonState = 0;
    CLabelUI::SetEnabled(enabled);
}

void CButtonUI::DoEvent(TEventUI& event) {
    switch (event.type) {
    case UiEvent::MouseEnter:
        if (m_enabled) m_buttonState |= kStateHot;
        Invalidate();
        break;
    case UiEvent::MouseLeave:
        m_buttonState &= ~static_cast<UINT>(kStateHot);
        Invalidate();
        break;
    case UiEvent::ButtonDown:
        if (m_enabled) m_buttonState |= kStatePushed;
        Invalidate();
        break;
    case UiEvent::ButtonUp:
        if ((m_buttonState & kStatePushed) != 0) {
            m_buttonState &= ~static_cast<UINT>(kStatePushed);
            Invalidate();
            if (::PtInRect(&m_pos, event.ptMouse)) Activate();
        }
        break;
    case UiEvent::KeyDown:
        if (event.wParam == VK_SPACE || event.wParam == VK_RETURN) Activate();
        break;
    case UiEvent::SetFocus:
    case UiEvent::KillFocus:
        Invalidate();
        break;
    default:
        break;
    }
}

bool CButtonUI::Activate() {
    if (!m_enabled || !IsReallyVisible() || m_manager == nullptr) return false;
    std::weak_ptr<bool> alive = m_manager->GetAliveToken();
    m_manager->SendNotify(this, L"click");
    // A notifier may have destroyed the window, and this control with it.
    return !alive.expired();
}

UINT CButtonUI::PaintState() const {
    UINT state = CLabelUI::PaintState();
    if (m_enabled) state |= m_buttonState;
    return state;
}

void CButtonUI::PaintBkColor(HDC hdc) {
    UINT s = PaintState();
    UiColor color = m_bkColor;
    if ((s & kStateDisabled) != 0) {
        color = FirstColor({m_bkColorDisabled, m_bkColor});
    } else if ((s & kStatePushed) != 0) {
        color = FirstColor({m_pushedBkColor, m_hotBkColor, m_bkColor});
    } else if ((s & kStateHot) != 0) {
        color = FirstColor({m_hotBkColor, m_bkColor});
    }
    UiRender::FillRect(hdc, m_pos, Px(m_borderRound), color);
}

void CButtonUI::PaintStatusImage(HDC hdc) {
    CLabelUI::PaintStatusImage(hdc);
    UINT s = PaintState();
    const std::wstring* image = &m_normalImage;
    if ((s & kStateDisabled) != 0) {
        image = &FirstImage({&m_disabledImage, &m_normalImage});
    } else if ((s & kStatePushed) != 0) {
        image = &FirstImage({&m_pushedImage, &m_hotImage, &m_normalImage});
    } else if ((s & kStateHot) != 0) {
        image = &FirstImage({&m_hotImage, &m_normalImage});
    } else if ((s & kStateFocused) != 0) {
        image = &FirstImage({&m_focusedImage, &m_normalImage});
    }
    if (!image->empty()) UiRender::DrawImage(hdc, m_manager, m_pos, *image);
    if (!m_foreImage.empty()) UiRender::DrawImage(hdc, m_manager, m_pos, m_foreImage);
}

void CButtonUI::PaintBorder(HDC hdc) {
    UINT s = PaintState();
    UiColor color = m_borderColor;
    if ((s & kStateHot) != 0 && (s & kStateDisabled) == 0) color = FirstColor({m_hotBorderColor, m_borderColor});
    UiRender::DrawBorder(hdc, m_pos, Px(m_borderRound), Px(m_borderSize), color);
    PaintFocusRing(hdc);
}

void CButtonUI::PaintFocusRing(HDC hdc) {
    // The keyboard focus: a ring just inside the control, while the focus is shown.
    if ((PaintState() & kStateFocused) == 0 || m_focusedBorderColor == 0 || m_manager == nullptr ||
        !m_manager->IsFocusVisible())
        return;
    UiRender::DrawBorder(hdc, m_pos, Px(m_borderRound), Px(2), m_focusedBorderColor);
}

UiColor CButtonUI::CurrentTextColor() const {
    UINT s = PaintState();
    UiColor base = CLabelUI::CurrentTextColor();
    if ((s & kStateDisabled) != 0) return base;
    if ((s & kStatePushed) != 0) return FirstColor({m_pushedTextColor, m_hotTextColor, base});
    if ((s & kStateHot) != 0) return FirstColor({m_hotTextColor, base});
    return base;
}

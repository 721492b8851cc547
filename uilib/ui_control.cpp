// The controls: attributes, layout, painting and input.
#include "uilib/ui_control.h"

#include <algorithm>

#include "uilib/ui_attributes.h"
#include "uilib/ui_layout.h"
#include "uilib/ui_manager.h"
#include "uilib/ui_render.h"
#include "uilib/ui_values.h"

namespace {

bool SetColor(const std::wstring& value, UiColor& color) {
    uint32_t parsed = 0;
    if (!ParseUiColor(value, parsed)) return false;
    color = parsed;
    return true;
}

bool SetRect(const std::wstring& value, RECT& rc) {
    std::array<int32_t, 4> v{};
    if (!ParseUiInts(value, v)) return false;
    rc = RECT{v[0], v[1], v[2], v[3]};
    return true;
}

RECT Deflate(const RECT& rc, const RECT& by) {
    return RECT{rc.left + by.left, rc.top + by.top, rc.right - by.right, rc.bottom - by.bottom};
}

UiColor FirstColor(std::initializer_list<UiColor> colors) {
    for (UiColor c : colors) {
        if (c != 0) return c;
    }
    return 0;
}

const std::wstring& FirstImage(std::initializer_list<const std::wstring*> images) {
    static const std::wstring none;
    for (const std::wstring* image : images) {
        if (!image->empty()) return *image;
    }
    return none;
}

}  // namespace

// ---------------------------------------------------------------- CControlUI

CControlUI::~CControlUI() {
    if (m_manager != nullptr) m_manager->ReapControl(this);
}

const wchar_t* CControlUI::GetClass() const { return L"ControlUI"; }

void* CControlUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Control") return this;
    return nullptr;
}

void CControlUI::SetText(const std::wstring& text) {
    if (m_text == text) return;
    m_text = text;
    Invalidate();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    m_manager = manager;
    m_parent = parent;
}

void CControlUI::SetPos(RECT rc) {
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;
    m_pos = rc;
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    m_fixedWidth = cx;
    NeedUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    m_fixedHeight = cy;
    NeedUpdate();
}

void CControlUI::SetPadding(RECT rc) {
    m_padding = rc;
    NeedUpdate();
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible) return;
    bool hadFocus = IsFocused();
    m_visible = visible;
    if (!visible && hadFocus && m_manager != nullptr) m_manager->SetFocus(nullptr);
    NeedUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Invalidate();
}

int CControlUI::Px(int value) const { return m_manager != nullptr ? m_manager->Scale(value) : value; }

SIZE CControlUI::Px(SIZE size) const { return SIZE{Px(size.cx), Px(size.cy)}; }

RECT CControlUI::Px(const RECT& rc) const { return m_manager != nullptr ? m_manager->Scale(rc) : rc; }

bool CControlUI::IsFocused() const { return m_manager != nullptr && m_manager->GetFocus() == this; }

void CControlUI::SetFocus() {
    if (m_manager != nullptr) m_manager->SetFocus(this);
}

bool CControlUI::IsReallyVisible() const {
    for (const CControlUI* c = this; c != nullptr; c = c->m_parent) {
        if (!c->m_visible) return false;
    }
    return true;
}

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int32_t n = 0;
    bool b = false;
    std::array<int32_t, 2> pair{};
    switch (UiAttributeNamed(name)) {
    case UiAttribute::Name: m_name = value; break;
    case UiAttribute::Text: m_text = UiSkinText(value); break;
    case UiAttribute::Width: if (ParseUiInt(value, n) && n >= 0) m_fixedWidth = n; break;
    case UiAttribute::Height: if (ParseUiInt(value, n) && n >= 0) m_fixedHeight = n; break;
    case UiAttribute::Padding: SetRect(value, m_padding); break;
    case UiAttribute::Float: if (ParseUiBool(value, b)) m_float = b; break;
    case UiAttribute::Pos:
        if (SetRect(value, m_floatPos)) {
            m_fixedWidth = std::max<int>(0, m_floatPos.right - m_floatPos.left);
            m_fixedHeight = std::max<int>(0, m_floatPos.bottom - m_floatPos.top);
        }
        break;
    case UiAttribute::Visible: if (ParseUiBool(value, b)) m_visible = b; break;
    case UiAttribute::Enabled: if (ParseUiBool(value, b)) SetEnabled(b); break;
    case UiAttribute::BkColor: SetColor(value, m_bkColor); break;
    case UiAttribute::DisabledBkColor: SetColor(value, m_bkColorDisabled); break;
    case UiAttribute::BorderColor: SetColor(value, m_borderColor); break;
    case UiAttribute::BorderSize: if (ParseUiInt(value, n) && n >= 0) m_borderSize = n; break;
    case UiAttribute::BorderRound:
        if (ParseUiInts(value, pair) && pair[0] >= 0 && pair[1] >= 0) m_borderRound = SIZE{pair[0], pair[1]};
        break;
    case UiAttribute::BkImage: m_bkImage = value; break;
    default: break;  // unknown here: ignored
    }
}

CControlUI* CControlUI::FindControlAt(POINT pt) {
    if (!m_visible || !::PtInRect(&m_pos, pt)) return nullptr;
    return this;
}

void CControlUI::ForEach(const std::function<void(CControlUI*)>& visit) { visit(this); }

void CControlUI::DoEvent(TEventUI&) {}

bool CControlUI::Activate() { return false; }

void CControlUI::DoPaint(HDC hdc, const RECT& rcPaint) {
    RECT overlap{};
    if (!::IntersectRect(&overlap, &m_pos, &rcPaint)) return;
    PaintBkColor(hdc);
    PaintStatusImage(hdc);
    PaintText(hdc);
    PaintBorder(hdc);
}

UINT CControlUI::PaintState() const {
    UINT state = 0;
    if (!m_enabled) state |= kStateDisabled;
    if (IsFocused()) state |= kStateFocused;
    return state;
}

void CControlUI::PaintBkColor(HDC hdc) {
    UiColor color = !m_enabled && m_bkColorDisabled != 0 ? m_bkColorDisabled : m_bkColor;
    UiRender::FillRect(hdc, m_pos, Px(m_borderRound), color);
}

void CControlUI::PaintStatusImage(HDC hdc) {
    if (!m_bkImage.empty()) UiRender::DrawImage(hdc, m_manager, m_pos, m_bkImage);
}

void CControlUI::PaintText(HDC) {}

void CControlUI::PaintBorder(HDC hdc) {
    UiRender::DrawBorder(hdc, m_pos, Px(m_borderRound), Px(m_borderSize), m_borderColor);
}

void CControlUI::Invalidate() {
    if (m_manager == nullptr) return;
    // The whole control, edges included: a border reaches past the
    // rectangle (GDI+ under Wine draws the right and bottom edge on the first
    // pixel outside it, antialiasing bleeds a pixel elsewhere), and a blue
    // edge left there by the selected look stayed after a deselection.
    RECT rc = m_pos;
    ::InflateRect(&rc, Px(2), Px(2));
    m_manager->Invalidate(rc);
}

void CControlUI::NeedUpdate() {
    if (m_manager != nullptr) m_manager->NeedUpdate();
}

void CControlUI::SetBkColor(UiColor color) {
    m_bkColor = color;
    Invalidate();
}

void CControlUI::SetBorderColor(UiColor color) {
    m_borderColor = color;
    Invalidate();
}

// -------------------------------------------------------------- CContainerUI

const wchar_t* CContainerUI::GetClass() const { return L"ContainerUI"; }

void* CContainerUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Container") return this;
    return CControlUI::GetInterface(pstrName);
}

bool CContainerUI::Add(CControlUI* control) {
    if (control == nullptr) return false;
    m_items.emplace_back(control);
    control->SetManager(m_manager, this);
    NeedUpdate();
    return true;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_items[static_cast<size_t>(index)].get();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    CControlUI::SetManager(manager, parent);
    for (auto& item : m_items) item->SetManager(manager, this);
}

RECT CContainerUI::ContentRect() const { return Deflate(m_pos, Px(m_inset)); }

void CContainerUI::PlaceFloats() {
    for (auto& item : m_items) {
        if (!item->IsVisible() || !item->IsFloat()) continue;
        const RECT fp = item->GetFloatPos();
        item->SetPos(RECT{m_pos.left + fp.left, m_pos.top + fp.top, m_pos.left + fp.right, m_pos.top + fp.bottom});
    }
}

void CContainerUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    RECT area = ContentRect();
    for (auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        item->SetPos(Deflate(area, item->GetPadding()));
    }
    PlaceFloats();
}

void CContainerUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int32_t n = 0;
    switch (UiAttributeNamed(name)) {
    case UiAttribute::Inset: SetRect(value, m_inset); break;
    case UiAttribute::ChildPadding: if (ParseUiInt(value, n) && n >= 0) m_childPadding = n; break;
    default: CControlUI::SetAttribute(name, value); break;
    }
}

CControlUI* CContainerUI::FindControlAt(POINT pt) {
    if (!m_visible || !::PtInRect(&m_pos, pt)) return nullptr;
    // Later children are painted over earlier ones: ask them first.
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
        if (CControlUI* found = (*it)->FindControlAt(pt)) return found;
    }
    return this;
}

void CContainerUI::ForEach(const std::function<void(CControlUI*)>& visit) {
    visit(this);
    for (auto& item : m_items) item->ForEach(visit);
}

void CContainerUI::DoPaint(HDC hdc, const RECT& rcPaint) {
    RECT overlap{};
    if (!::IntersectRect(&overlap, &m_pos, &rcPaint)) return;
    CControlUI::DoPaint(hdc, rcPaint);
    for (auto& item : m_items) {
        if (item->IsVisible()) item->DoPaint(hdc, rcPaint);
    }
}

// ------------------------------------------------------------- the layouts

void CContainerUI::LayOutInLine(bool vertical) {
    const RECT area = ContentRect();
    const int alongExtent = vertical ? area.bottom - area.top : area.right - area.left;
    const int acrossExtent = vertical ? area.right - area.left : area.bottom - area.top;
    std::vector<CControlUI*> flow;
    std::vector<UiAxisItem> axis;
    for (auto& item : m_items) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        const RECT pad = item->GetPadding();
        flow.push_back(item.get());
        axis.push_back(vertical ? UiAxisItem{item->GetFixedHeight(), static_cast<int>(pad.top), static_cast<int>(pad.bottom)}
                                : UiAxisItem{item->GetFixedWidth(), static_cast<int>(pad.left), static_cast<int>(pad.right)});
    }
    const std::vector<int32_t> lengths = ShareLength(axis, alongExtent, Px(m_childPadding));
    int along = vertical ? area.top : area.left;
    for (size_t i = 0; i < flow.size(); ++i) {
        const RECT pad = flow[i]->GetPadding();
        const int fixedAcross = vertical ? flow[i]->GetFixedWidth() : flow[i]->GetFixedHeight();
        const int padAcross = vertical ? pad.left + pad.right : pad.top + pad.bottom;
        const int across = fixedAcross != 0 ? fixedAcross : acrossExtent - padAcross;
        const int side = vertical ? area.left + pad.left : area.top + pad.top;
        along += vertical ? pad.top : pad.left;
        flow[i]->SetPos(vertical ? RECT{side, along, side + across, along + lengths[i]}
                                 : RECT{along, side, along + lengths[i], side + across});
        along += lengths[i] + (vertical ? pad.bottom : pad.right) + Px(m_childPadding);
    }
    PlaceFloats();
}

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"VerticalLayout") return this;
    return CContainerUI::GetInterface(pstrName);
}

void CVerticalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayOutInLine(true);
}

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"HorizontalLayout") return this;
    return CContainerUI::GetInterface(pstrName);
}

void CHorizontalLayoutUI::SetPos(RECT rc) {
    CControlUI::SetPos(rc);
    LayOutInLine(false);
}

// ------------------------------------------------------------------ CLabelUI

const wchar_t* CLabelUI::GetClass() const { return L"LabelUI"; }

void* CLabelUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Label") return this;
    return CControlUI::GetInterface(pstrName);
}

void CLabelUI::SetTextColor(UiColor color) {
    m_textColor = color;
    Invalidate();
}

void CLabelUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    int32_t n = 0;
    bool b = false;
    UiAlign align = UiAlign::Start;
    switch (UiAttributeNamed(name)) {
    case UiAttribute::Font: if (ParseUiInt(value, n)) m_font = n; break;
    case UiAttribute::TextColor: SetColor(value, m_textColor); break;
    case UiAttribute::DisabledTextColor: SetColor(value, m_disabledTextColor); break;
    case UiAttribute::TextPadding: SetRect(value, m_textPadding); break;
    case UiAttribute::Align:
        if (ParseUiAlign(value, align)) {
            const UINT h = align == UiAlign::Center ? DT_CENTER : align == UiAlign::End ? DT_RIGHT : DT_LEFT;
            m_textStyle = (m_textStyle & ~static_cast<UINT>(DT_CENTER | DT_RIGHT)) | h;
        }
        break;
    case UiAttribute::VAlign:
        if (ParseUiVAlign(value, align)) {
            const UINT v = align == UiAlign::Center ? DT_VCENTER : align == UiAlign::End ? DT_BOTTOM : DT_TOP;
            m_textStyle = (m_textStyle & ~static_cast<UINT>(DT_VCENTER | DT_BOTTOM)) | v;
        }
        break;
    case UiAttribute::WordBreak:
        if (ParseUiBool(value, b)) {
            m_textStyle = b ? (m_textStyle & ~static_cast<UINT>(DT_SINGLELINE)) | DT_WORDBREAK
                            : (m_textStyle & ~static_cast<UINT>(DT_WORDBREAK)) | DT_SINGLELINE;
        }
        break;
    default: CControlUI::SetAttribute(name, value); break;
    }
}

UiColor CLabelUI::CurrentTextColor() const {
    if (!m_enabled) return m_disabledTextColor;
    if (m_textColor != 0) return m_textColor;
    return m_manager != nullptr ? m_manager->GetDefaultTextColor() : 0xFF000000;
}

void CLabelUI::PaintText(HDC hdc) {
    UiRender::DrawText(hdc, m_manager, Deflate(m_pos, Px(m_textPadding)), m_text, CurrentTextColor(), m_font,
                       m_textStyle);
}

const wchar_t* CTextUI::GetClass() const { return L"TextUI"; }

void* CTextUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Text") return this;
    return CLabelUI::GetInterface(pstrName);
}

// ----------------------------------------------------------------- CButtonUI

const wchar_t* CButtonUI::GetClass() const { return L"ButtonUI"; }

void* CButtonUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Button") return this;
    return CLabelUI::GetInterface(pstrName);
}

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    switch (UiAttributeNamed(name)) {
    case UiAttribute::HotBkColor: SetColor(value, m_hotBkColor); break;
    case UiAttribute::PushedBkColor: SetColor(value, m_pushedBkColor); break;
    case UiAttribute::HotTextColor: SetColor(value, m_hotTextColor); break;
    case UiAttribute::PushedTextColor: SetColor(value, m_pushedTextColor); break;
    case UiAttribute::HotBorderColor: SetColor(value, m_hotBorderColor); break;
    case UiAttribute::FocusBorderColor: SetColor(value, m_focusedBorderColor); break;
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
    // The keyboard focus: a ring just inside the control.
    if ((s & kStateFocused) != 0 && m_focusedBorderColor != 0 && m_manager != nullptr &&
        m_manager->IsFocusVisible()) {
        UiRender::DrawBorder(hdc, m_pos, Px(m_borderRound), Px(2), m_focusedBorderColor);
    }
}

UiColor CButtonUI::CurrentTextColor() const {
    UINT s = PaintState();
    UiColor base = CLabelUI::CurrentTextColor();
    if ((s & kStateDisabled) != 0) return base;
    if ((s & kStatePushed) != 0) return FirstColor({m_pushedTextColor, m_hotTextColor, base});
    if ((s & kStateHot) != 0) return FirstColor({m_hotTextColor, base});
    return base;
}

// ----------------------------------------------------------------- COptionUI

COptionUI::~COptionUI() {
    if (m_manager != nullptr) m_manager->UnregisterOption(this);
}

const wchar_t* COptionUI::GetClass() const { return L"OptionUI"; }

void* COptionUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"Option") return this;
    return CButtonUI::GetInterface(pstrName);
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    if (m_manager != nullptr && m_manager != manager) m_manager->UnregisterOption(this);
    CButtonUI::SetManager(manager, parent);
    if (manager != nullptr) manager->RegisterOption(this);
}

void COptionUI::SetGroup(const std::wstring& group) {
    m_group = group;
    // Joining a group with a selection: the group keeps one selected option.
    if (m_selected && !m_group.empty()) {
        m_selected = false;
        Selected(true, false);
    }
}

void COptionUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
    bool b = false;
    switch (UiAttributeNamed(name)) {
    case UiAttribute::Group: SetGroup(value); break;
    case UiAttribute::Selected: if (ParseUiBool(value, b)) Selected(b, false); break;
    case UiAttribute::SelectedBkColor: SetColor(value, m_selectedBkColor); break;
    case UiAttribute::SelectedTextColor: SetColor(value, m_selectedTextColor); break;
    case UiAttribute::SelectedBorderColor: SetColor(value, m_selectedBorderColor); break;
    case UiAttribute::SelectedImage: m_selectedImage = value; break;
    case UiAttribute::SelectedHotImage: m_selectedHotImage = value; break;
    case UiAttribute::SelectedDisabledImage: m_selectedDisabledImage = value; break;
    default: CButtonUI::SetAttribute(name, value); break;
    }
}

void COptionUI::Selected(bool bSelected, bool bNotify) {
    if (m_selected == bSelected) return;
    m_selected = bSelected;
    if (bSelected && !m_group.empty() && m_manager != nullptr) {
        for (COptionUI* other : m_manager->GetOptionGroup(m_group)) {
            if (other != this && other->IsSelected()) other->Selected(false, bNotify);
        }
    }
    Invalidate();
    if (bNotify && m_manager != nullptr) m_manager->SendNotify(this, L"selectchanged");
}

bool COptionUI::Activate() {
    // "click" first, with the selection as it was; then the change.
    if (!CButtonUI::Activate()) return false;
    if (!m_group.empty()) {
        Selected(true);
    } else {
        Selected(!m_selected);
    }
    return true;
}

UINT COptionUI::PaintState() const {
    UINT state = CButtonUI::PaintState();
    if (m_selected) state |= kStateSelected;
    return state;
}

void COptionUI::PaintBkColor(HDC hdc) {
    UINT s = PaintState();
    if ((s & kStateSelected) != 0 && (s & kStateDisabled) == 0 && m_selectedBkColor != 0) {
        UiRender::FillRect(hdc, m_pos, Px(m_borderRound), m_selectedBkColor);
        return;
    }
    CButtonUI::PaintBkColor(hdc);
}

void COptionUI::PaintStatusImage(HDC hdc) {
    UINT s = PaintState();
    if ((s & kStateSelected) == 0 || m_selectedImage.empty()) {
        CButtonUI::PaintStatusImage(hdc);
        return;
    }
    CLabelUI::PaintStatusImage(hdc);
    const std::wstring* image = &m_selectedImage;
    if ((s & kStateDisabled) != 0) {
        image = &FirstImage({&m_selectedDisabledImage, &m_selectedImage});
    } else if ((s & (kStateHot | kStatePushed)) != 0) {
        image = &FirstImage({&m_selectedHotImage, &m_selectedImage});
    }
    UiRender::DrawImage(hdc, m_manager, m_pos, *image);
    if (!m_foreImage.empty()) UiRender::DrawImage(hdc, m_manager, m_pos, m_foreImage);
}

void COptionUI::PaintBorder(HDC hdc) {
    UINT s = PaintState();
    if ((s & kStateSelected) != 0 && (s & kStateDisabled) == 0 && m_selectedBorderColor != 0) {
        UiRender::DrawBorder(hdc, m_pos, Px(m_borderRound), Px(m_borderSize), m_selectedBorderColor);
        if ((s & kStateFocused) != 0 && m_focusedBorderColor != 0 && m_manager != nullptr &&
            m_manager->IsFocusVisible()) {
            UiRender::DrawBorder(hdc, m_pos, Px(m_borderRound), Px(2), m_focusedBorderColor);
        }
        return;
    }
    CButtonUI::PaintBorder(hdc);
}

UiColor COptionUI::CurrentTextColor() const {
    UINT s = PaintState();
    if ((s & kStateSelected) != 0 && (s & kStateDisabled) == 0 && m_selectedTextColor != 0) {
        return m_selectedTextColor;
    }
    return CButtonUI::CurrentTextColor();
}

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }

void* CCheckBoxUI::GetInterface(const wchar_t* pstrName) {
    if (std::wstring(pstrName) == L"CheckBox") return this;
    return COptionUI::GetInterface(pstrName);
}

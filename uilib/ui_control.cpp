// The base control: attributes, layout, painting and invalidation.
#include "uilib/ui_control.h"

#include "uilib/ui_attributes.h"
#include "uilib/ui_control_shared.h"
#include "uilib/ui_manager.h"
#include "uilib/ui_render.h"
#include "uilib/ui_values.h"

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
    case UiAttribute::Padding: AssignRect(value, m_padding); break;
    case UiAttribute::Float: if (ParseUiBool(value, b)) m_float = b; break;
    case UiAttribute::Pos:
        if (AssignRect(value, m_floatPos)) {
            m_fixedWidth = std::max<int>(0, m_floatPos.right - m_floatPos.left);
            m_fixedHeight = std::max<int>(0, m_floatPos.bottom - m_floatPos.top);
        }
        break;
    case UiAttribute::Visible: if (ParseUiBool(value, b)) m_visible = b; break;
    case UiAttribute::Enabled: if (ParseUiBool(value, b)) SetEnabled(b); break;
    case UiAttribute::BkColor: AssignColor(value, m_bkColor); break;
    case UiAttribute::DisabledBkColor: AssignColor(value, m_bkColorDisabled); break;
    case UiAttribute::BorderColor: AssignColor(value, m_borderColor); break;
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

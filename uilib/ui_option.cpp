// Options and check boxes: the selection, groups and the selected looks.
#include "uilib/ui_option.h"

#include "uilib/ui_attributes.h"
#include "uilib/ui_control_shared.h"
#include "uilib/ui_manager.h"
#include "uilib/ui_render.h"
#include "uilib/ui_values.h"

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
    case UiAttribute::SelectedBkColor: AssignColor(value, m_selectedBkColor); break;
    case UiAttribute::SelectedTextColor: AssignColor(value, m_selectedTextColor); break;
    case UiAttribute::SelectedBorderColor: AssignColor(value, m_selectedBorderColor); break;
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
        PaintFocusRing(hdc);
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

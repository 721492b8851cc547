// Labels and text blocks: the text, its font, colours and alignment.
#include "uilib/ui_label.h"

#include "uilib/ui_attributes.h"
#include "uilib/ui_control_shared.h"
#include "uilib/ui_manager.h"
#include "uilib/ui_render.h"
#include "uilib/ui_values.h"

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
    case UiAttribute::TextColor: AssignColor(value, m_textColor); break;
    case UiAttribute::DisabledTextColor: AssignColor(value, m_disabledTextColor); break;
    case UiAttribute::TextPadding: AssignRect(value, m_textPadding); break;
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

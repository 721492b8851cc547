// Text controls: the label (text on a background) and the text block.
#pragma once

#include <windows.h>

#include <string>

#include "uilib/ui_control.h"

// Text on a background: font, colours, alignment, inner padding.
class CLabelUI : public CControlUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;

    int GetFont() const { return m_font; }
    UiColor GetTextColor() const { return m_textColor; }
    void SetTextColor(UiColor color);
    // DrawText format bits (alignment, single line or word break).
    UINT GetTextStyle() const { return m_textStyle; }
    RECT GetTextPadding() const { return Px(m_textPadding); }

protected:
    void PaintText(HDC hdc) override;
    virtual UiColor CurrentTextColor() const;

    int m_font = -1;
    UiColor m_textColor = 0xFF000000;
    UiColor m_disabledTextColor = 0xFF9CA3AF;
    UINT m_textStyle = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    RECT m_textPadding{};
};

// A text block; the windows treat it as client area inside the caption.
class CTextUI : public CLabelUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
};

// The push button.
#pragma once

#include <windows.h>

#include <string>

#include "uilib/ui_label.h"

// A push button: hot, pushed, focused and disabled looks; "click" on release.
class CButtonUI : public CLabelUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    bool IsTabStop() const override { return true; }
    void SetEnabled(bool enabled = true) override;

    void DoEvent(TEventUI& event) override;
    bool Activate() override;

    bool IsHot() const { return (m_buttonState & kStateHot) != 0; }
    bool IsPushed() const { return (m_buttonState & kStatePushed) != 0; }

protected:
    UINT PaintState() const override;
    void PaintBkColor(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintBorder(HDC hdc) override;
    // The focus ring inside the border, when the control has the keyboard focus.
    void PaintFocusRing(HDC hdc);
    UiColor CurrentTextColor() const override;

    UINT m_buttonState = 0;
    UiColor m_hotBkColor = 0;
    UiColor m_pushedBkColor = 0;
    UiColor m_hotTextColor = 0;
    UiColor m_pushedTextColor = 0;
    UiColor m_hotBorderColor = 0;
    UiColor m_focusedBorderColor = 0;
    std::wstring m_normalImage;
    std::wstring m_hotImage;
    std::wstring m_pushedImage;
    std::wstring m_focusedImage;
    std::wstring m_disabledImage;
    std::wstring m_foreImage;
};

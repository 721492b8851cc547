// The base of the controls a skin is made of: the input a control gets, its
// colours and states, and CControlUI. The kinds are beside it: containers and
// layouts (ui_container.h), label and text (ui_label.h), button
// (ui_button.h), option and check box (ui_option.h).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uilib/ui_base.h"

class CPaintManagerUI;

// Input the paint manager hands to a control.
enum class UiEvent { MouseEnter, MouseLeave, ButtonDown, ButtonUp, KeyDown, KeyUp, SetFocus, KillFocus };

struct TEventUI {
    UiEvent type = UiEvent::MouseEnter;
    POINT ptMouse{};
    WPARAM wParam = 0;
    DWORD dwTimestamp = 0;
};

// A colour as 0xAARRGGBB; alpha 0 means "none".
using UiColor = DWORD;

// The state bits a control paints from.
enum UiState : UINT {
    kStateFocused = 0x01,
    kStateSelected = 0x02,
    kStateDisabled = 0x04,
    kStateHot = 0x08,
    kStatePushed = 0x10,
};

class CControlUI {
public:
    CControlUI() = default;
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;
    virtual ~CControlUI();

    // The class name a window tests ("ButtonUI", "OptionUI", "TextUI", ...).
    virtual const wchar_t* GetClass() const;
    // This control as the named kind ("Control", "Label", "Text", "Button",
    // "Option", "CheckBox", "Container"), or null when it is not one.
    virtual void* GetInterface(const wchar_t* pstrName);

    const std::wstring& GetName() const { return m_name; }
    void SetName(const std::wstring& name) { m_name = name; }
    const std::wstring& GetText() const { return m_text; }
    virtual void SetText(const std::wstring& text);

    CPaintManagerUI* GetManager() const { return m_manager; }
    CControlUI* GetParent() const { return m_parent; }
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent);

    // Layout: the rectangle in client coordinates (pixels), the declared size
    // (0: stretch), the outer margin, and floating placement relative to the
    // parent. The getters give pixels at the manager's display density; the
    // setters and the skin take skin units (96 dpi).
    const RECT& GetPos() const { return m_pos; }
    virtual void SetPos(RECT rc);
    int GetFixedWidth() const { return Px(m_fixedWidth); }
    int GetFixedHeight() const { return Px(m_fixedHeight); }
    void SetFixedWidth(int cx);
    void SetFixedHeight(int cy);
    RECT GetPadding() const { return Px(m_padding); }
    void SetPadding(RECT rc);
    bool IsFloat() const { return m_float; }
    RECT GetFloatPos() const { return Px(m_floatPos); }

    virtual bool IsVisible() const { return m_visible; }
    virtual void SetVisible(bool visible = true);
    virtual bool IsEnabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled = true);
    bool IsFocused() const;
    // Gives this control the keyboard focus (no notification when it has it).
    virtual void SetFocus();
    // Whether Tab stops here: buttons and options.
    virtual bool IsTabStop() const { return false; }
    // Visible all the way up the tree.
    bool IsReallyVisible() const;

    // Sets one skin attribute; unknown names are ignored, malformed values
    // leave the attribute as it was.
    virtual void SetAttribute(const std::wstring& name, const std::wstring& value);

    // The deepest visible control under pt (client coordinates), or null.
    virtual CControlUI* FindControlAt(POINT pt);
    // Calls visit for this control and every descendant, in tree order.
    virtual void ForEach(const std::function<void(CControlUI*)>& visit);

    virtual void DoEvent(TEventUI& event);
    virtual void DoPaint(HDC hdc, const RECT& rcPaint);
    // What a press does (buttons notify "click"); false when nothing happened.
    virtual bool Activate();

    void Invalidate();
    // Asks for a new layout of the whole window (size or visibility changed).
    void NeedUpdate();

    UiColor GetBkColor() const { return m_bkColor; }
    void SetBkColor(UiColor color);
    UiColor GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(UiColor color);

protected:
    // Skin units in pixels at the manager's density (unchanged without one).
    int Px(int value) const;
    SIZE Px(SIZE size) const;
    RECT Px(const RECT& rc) const;

    // Painting steps, in this order; each uses the current state bits.
    virtual void PaintBkColor(HDC hdc);
    virtual void PaintStatusImage(HDC hdc);
    virtual void PaintText(HDC hdc);
    virtual void PaintBorder(HDC hdc);
    virtual UINT PaintState() const;

    CPaintManagerUI* m_manager = nullptr;
    CControlUI* m_parent = nullptr;
    std::wstring m_name;
    std::wstring m_text;
    RECT m_pos{};
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    RECT m_padding{};
    bool m_float = false;
    RECT m_floatPos{};
    bool m_visible = true;
    bool m_enabled = true;
    UiColor m_bkColor = 0;
    UiColor m_bkColorDisabled = 0;
    UiColor m_borderColor = 0;
    int m_borderSize = 1;
    SIZE m_borderRound{};
    std::wstring m_bkImage;
};

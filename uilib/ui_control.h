// The controls a skin is made of: the base control, containers and the two
// layouts, label and text, button, option (with groups) and check box.
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

// A control that holds others; children fill it whole unless a layout places them.
class CContainerUI : public CControlUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;

    // Takes ownership of the child.
    bool Add(CControlUI* control);
    int GetCount() const { return static_cast<int>(m_items.size()); }
    CControlUI* GetItemAt(int index) const;

    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    void SetPos(RECT rc) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    CControlUI* FindControlAt(POINT pt) override;
    void ForEach(const std::function<void(CControlUI*)>& visit) override;
    void DoPaint(HDC hdc, const RECT& rcPaint) override;

protected:
    // The rectangle left for the children: the position less the inset.
    RECT ContentRect() const;
    void PlaceFloats();
    // Lays the children that are not floating one after another, top to
    // bottom (`vertical`) or left to right: along the line each gets its
    // fixed length or a share of what is left, across it its fixed length
    // or the content's whole extent less its padding.
    void LayOutInLine(bool vertical);

    std::vector<std::unique_ptr<CControlUI>> m_items;
    RECT m_inset{};
    int m_childPadding = 0;
};

// Children one below the other; those without a height share what is left.
class CVerticalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetPos(RECT rc) override;
};

// Children side by side; those without a width share what is left.
class CHorizontalLayoutUI : public CContainerUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetPos(RECT rc) override;
};

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

// A button with a selection. In a group, selecting one deselects the others
// and a click selects; without a group a click toggles. The "click"
// notification goes out before the selection changes.
class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    void SetAttribute(const std::wstring& name, const std::wstring& value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;

    const std::wstring& GetGroup() const { return m_group; }
    void SetGroup(const std::wstring& group);
    bool IsSelected() const { return m_selected; }
    // Changes the selection; notifies "selectchanged" when bNotify and it changed.
    virtual void Selected(bool bSelected, bool bNotify = true);
    bool Activate() override;

protected:
    UINT PaintState() const override;
    void PaintBkColor(HDC hdc) override;
    void PaintStatusImage(HDC hdc) override;
    void PaintBorder(HDC hdc) override;
    UiColor CurrentTextColor() const override;

    std::wstring m_group;
    bool m_selected = false;
    UiColor m_selectedBkColor = 0;
    UiColor m_selectedTextColor = 0;
    UiColor m_selectedBorderColor = 0;
    std::wstring m_selectedImage;
    std::wstring m_selectedHotImage;
    std::wstring m_selectedDisabledImage;
};

// An option without a group, with the check-box vocabulary.
class CCheckBoxUI : public COptionUI {
public:
    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* pstrName) override;
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool bCheck) { Selected(bCheck); }
};

// CPaintManagerUI: one per skinned window. Owns the window's control tree,
// fonts and pictures; lays the controls out, paints them double-buffered,
// routes mouse and keyboard input to them and their notifications to the
// window's notifiers.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/unique_win.h"
#include "uilib/ui_base.h"
#include "uilib/ui_control.h"

class COptionUI;

// A loaded picture (GDI+ bitmap with alpha) and its size; `density` is 2
// for the "@2x" variant, whose pixels are half a skin unit each.
struct UiImage {
    void* bitmap = nullptr;  // GpBitmap*
    int width = 0;
    int height = 0;
    int density = 1;
};

class CPaintManagerUI {
public:
    CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;
    ~CPaintManagerUI();

    // Process-wide: the module the skins belong to, and the folder skin files
    // and pictures are read from (a separator is added when missing).
    static void SetInstance(HINSTANCE hInst);
    static HINSTANCE GetInstance();
    // The folder of the instance's module file, ending with its separator.
    static std::wstring GetInstancePath();
    static void SetResourcePath(const wchar_t* pStrPath);
    static const std::wstring& GetResourcePath();

    // Binds the manager to its window, at the window's display density.
    void Init(HWND hWnd);
    HWND GetPaintWindow() const { return m_hWndPaint; }

    // Makes the built tree the window's content (the manager owns it from then on).
    bool AttachDialog(CControlUI* pControl);
    CControlUI* GetRoot() const { return m_root.get(); }

    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    bool AddPreMessageFilter(IMessageFilterUI* pFilter);
    bool RemovePreMessageFilter(IMessageFilterUI* pFilter);

    // The control of that name (null when there is none), and the deepest
    // visible control under a client point (null when none).
    CControlUI* FindControl(const wchar_t* pstrName) const;
    CControlUI* FindControl(POINT pt);

    // Display density. The skin's sizes are for 96 dpi; the getters below and
    // the controls' layout give pixels at the manager's density. A window's
    // manager takes its window's at Init; SetDpi changes it (the window is
    // resized to the skin's size at the new density, fonts and layout follow).
    int GetDpi() const { return m_dpi; }
    void SetDpi(int dpi);
    // Skin units in pixels at the manager's density (unchanged at 96).
    int Scale(int value) const;
    RECT Scale(const RECT& rc) const;

    // Window attributes from the skin, in pixels: size, caption band (left
    // and right are insets from the client edges, top and bottom client y),
    // round corners. The setters take skin units.
    SIZE GetInitSize() const { return SIZE{Scale(m_initSize.cx), Scale(m_initSize.cy)}; }
    void SetInitSize(int cx, int cy);
    RECT GetCaptionRect() const { return Scale(m_caption); }
    void SetCaptionRect(const RECT& rc) { m_caption = rc; }
    SIZE GetRoundCorner() const { return SIZE{Scale(m_roundCorner.cx), Scale(m_roundCorner.cy)}; }
    void SetRoundCorner(int cx, int cy) { m_roundCorner = SIZE{cx, cy}; }
    UiColor GetDefaultTextColor() const { return m_defaultTextColor; }
    void SetDefaultTextColor(UiColor color) { m_defaultTextColor = color; }

    // Paints and drives the controls; true when the message was consumed
    // (its result in lRes).
    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    // Runs until WM_QUIT.
    static void MessageLoop();

    void SendNotify(CControlUI* pControl, const wchar_t* pstrMessage, WPARAM wParam = 0,
                    LPARAM lParam = 0);

    CControlUI* GetFocus() const { return m_focus; }
    // Moves the focus; "killfocus" to the old control and "setfocus" to the
    // new one, nothing when the control already has it.
    void SetFocus(CControlUI* pControl);
    // Tab order: the next (or previous) visible, enabled button or option.
    bool SetNextTabControl(bool bForward = true);

    // Lays the tree out now if anything asked for it; the window's client
    // area, or the skin's size when there is no window.
    void UpdateLayout();
    void NeedUpdate();
    void Invalidate(const RECT& rc);

    // Fonts declared by the skin (size in skin units); id -1 or an unknown id
    // gives the default.
    void AddFont(int id, const std::wstring& faceNames, int size, bool bold, bool underline,
                 bool italic, bool isDefault);
    HFONT GetFont(int id) const;
    // A picture from the resource folder, loaded once (null when unreadable).
    // Above 96 dpi its "@2x" variant is taken where the folder has one.
    const UiImage* GetImage(const std::wstring& file);

    // Options of one group (selection is exclusive among them).
    void RegisterOption(COptionUI* option);
    void UnregisterOption(COptionUI* option);
    std::vector<COptionUI*> GetOptionGroup(const std::wstring& group) const;

    // Called by a control that is going away, so no pointer to it remains.
    void ReapControl(CControlUI* pControl);

    // Expires when the manager is destroyed: senders of notifications check
    // it, since a notifier may destroy the window and its manager.
    std::weak_ptr<bool> GetAliveToken() const { return m_alive; }
    // Whether the focus ring is shown: after keyboard use or a focus given by
    // the program, not after a mouse press.
    bool IsFocusVisible() const { return m_focusVisible; }

private:
    bool HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnMouseMove(POINT pt);
    void OnButtonDown(POINT pt);
    void OnButtonUp(POINT pt);
    bool HandleKey(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void Paint();
    void SetHot(CControlUI* control);
    void SendEvent(CControlUI* control, UiEvent type, POINT pt, WPARAM wParam);

    HWND m_hWndPaint = nullptr;
    std::unique_ptr<CControlUI> m_root;
    std::vector<INotifyUI*> m_notifiers;
    std::vector<IMessageFilterUI*> m_preFilters;
    CControlUI* m_focus = nullptr;
    CControlUI* m_hot = nullptr;
    CControlUI* m_pressed = nullptr;
    bool m_layoutNeeded = true;
    bool m_mouseTracking = false;
    bool m_focusVisible = true;
    SIZE m_initSize{};
    RECT m_caption{};
    SIZE m_roundCorner{};
    UiColor m_defaultTextColor = 0xFF1F2937;
    struct FontEntry {
        int id;
        std::wstring face;
        int size;
        bool bold;
        bool underline;
        bool italic;
        UniqueFont font;
    };
    HFONT MakeScaledFont(const FontEntry& entry) const;
    std::vector<FontEntry> m_fonts;
    int m_dpi = 96;
    // The skin's default font (one of m_fonts), or null; without one the
    // fallback face at the default size is made when first asked for.
    HFONT m_defaultFont = nullptr;
    mutable UniqueFont m_fallbackFont;
    std::map<std::wstring, UiImage> m_images;
    std::map<std::wstring, UiImage> m_doubleImages;
    std::vector<COptionUI*> m_options;
    // Shared with notification senders, which check it after a notifier ran:
    // a notifier may destroy the window and with it this manager.
    std::shared_ptr<bool> m_alive;
};

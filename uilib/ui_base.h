// The library's basic pieces: the rectangle, the notification record and the
// two callback interfaces, and CWindowWnd, the native window every skinned
// window derives from (one window procedure that forwards to HandleMessage).
#pragma once

#include <windows.h>

#include <string>

class CControlUI;

// The library's rectangle: a RECT (the one the Win32 calls take) that moves.
// Logic away from Win32 uses the Windows-free Rect of support/rect.h.
class CDuiRect : public RECT {
public:
    CDuiRect();
    CDuiRect(const RECT& src);  // NOLINT: converts like a RECT
    CDuiRect(int l, int t, int r, int b);
    void Offset(int cx, int cy);
};

// One notification from a control to the window's notifiers: its type
// ("click", "setfocus", "killfocus", "selectchanged") and the control.
struct TNotifyUI {
    std::wstring sType;
    CControlUI* pSender = nullptr;
    DWORD dwTimestamp = 0;
    POINT ptMouse{};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual void Notify(TNotifyUI& msg) = 0;
protected:
    virtual ~INotifyUI() = default;
};

// Sees a window's messages before the paint manager handles them; setting
// bHandled consumes the message with the returned result.
class IMessageFilterUI {
public:
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
protected:
    virtual ~IMessageFilterUI() = default;
};

// A native top-level window owned by an object. The object is stored in the
// window at WM_NCCREATE; at WM_NCDESTROY the handle is cleared and
// OnFinalMessage called, after which the object may delete itself.
class CWindowWnd {
public:
    CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;
    // Destroys a window that still exists, after detaching it from the
    // object so that none of its last messages reaches a half-gone object.
    virtual ~CWindowWnd();

    HWND GetHWND() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    bool RegisterWindowClass();
    bool RegisterSuperclass();

    HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle,
                const RECT rc, HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);

    // Shows (and activates when bTakeFocus) or hides the window.
    void ShowWindow(bool bShow = true, bool bTakeFocus = true);
    // Posts WM_CLOSE.
    void Close(UINT nRet = IDOK);
    // Centres over the owner, or over the work area of the window's monitor;
    // with `within`, over that work area instead (another monitor's).
    void CenterWindow(const RECT* within = nullptr);
    // Sets the class icons from icon resource nRes of the library's instance.
    void SetIcon(UINT nRes);
    // Client area of the given size (-1 keeps a dimension).
    void ResizeClient(int cx = -1, int cy = -1);

    // windows.h maps these names to their ...W forms, here as everywhere.
    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    virtual const wchar_t* GetWindowClassName() const = 0;
    virtual const wchar_t* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    // Default handling: the class's window procedure (DefWindowProcW).
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) noexcept;

    HWND m_hWnd = nullptr;
    WNDPROC m_oldWndProc = ::DefWindowProcW;
};

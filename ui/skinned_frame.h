// The behaviour every skinned window shares, written once: creation from the
// skin, dragging by the caption band, the rounded outline, the maximised size,
// no system frame, the maximise and restore buttons, closing, and drawing at
// the display density of the window's monitor. Each window
// derives from SkinnedFrame and describes its differences in a
// FrameDescription (ui/frame_table.cpp); its own messages go to HandleOwnMessage.
//
//   class CReadyFrameWnd : public SkinnedFrame {
//       const FrameDescription& Description() const override { return kReadyFrame; }
//       void OnBeforeSkin() override { ::SetTimer(m_hWnd, 20, 1000, nullptr); }
//       void OnSkinReady() override { m_numText = m_pm.FindControl(L"numText"); ... }
//       LRESULT HandleOwnMessage(UINT msg, WPARAM, LPARAM, bool& handled) override;  // WM_TIMER
//       void Notify(TNotifyUI& msg) override;  // "click" from "backBtn"
//   };
//
// with kReadyFrame listing "numText" and "backBtn" among its required
// controls, so OnSkinReady and Notify may use them without checking.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "uilib/uilib.h"

// Which of the shared messages a window takes itself.
enum class FrameHandlers {
    All,                 // creation, hit test, size, min/max, non-client, system commands, close, destroy
    CreationAndHitTest,  // creation and the caption hit test; the rest is default handling
};

// What WM_CLOSE does in a window with all handlers, before the default
// handling destroys the window.
enum class CloseAction {
    Default,
    EndEncodersAndDiscardOwned,  // end every encoder, discard the windows this one owns
};

// What WM_DESTROY does in a window with all handlers, before the default handling.
enum class DestroyAction {
    Default,
    PostQuit,  // post the quit message (0)
};

// What becomes of the object when its window is gone (OnFinalMessage).
enum class ObjectLifetime {
    KeptByOwner,        // whoever made it deletes it
    DeletedWithWindow,  // made with new; deletes itself
};

// What WM_SYSCOMMAND with SC_CLOSE (Alt+F4) does in a window with all handlers.
enum class SystemCloseAction {
    Default,                 // the system's: WM_CLOSE
    PostQuit,                // post the quit message (0), result 0
    EndEncodersAndPostQuit,  // end every encoder, post the quit message, result 0
    BringToTop,              // bring the window to the top, result 0; it stays open
};

// A control the window looks up and uses: its name and the kind it must be
// ("Button", "Option", "Label", "Text"; null: any control).
struct RequiredControl {
    const wchar_t* name;
    const wchar_t* kind;
};

// One skinned window: its class, its skin, and how it closes. The program's
// five are in ui/frame_table.cpp.
struct FrameDescription {
    const wchar_t* windowClassName;
    UINT classStyle;
    const wchar_t* skinFile;
    // Control classes that stay client area inside the caption band.
    std::vector<std::wstring> clientClasses;
    FrameHandlers handlers;
    CloseAction close;
    DestroyAction destroy;
    SystemCloseAction systemClose;
    ObjectLifetime lifetime;
    std::vector<RequiredControl> requiredControls;
};

// Ends every running encoder process. The program sets it at start; the
// close table and a broken skin call it (nothing when unset).
extern std::function<void()> TerminateEncodersHook;

// Tells the user that a skin can't be used: which file and what is wrong.
// The default shows SkinFailureMessage in a message box without owner.
extern std::function<void(const std::wstring& file, const std::wstring& problem)> SkinFailureReporter;
std::wstring SkinFailureMessage(const std::wstring& file, const std::wstring& problem);

// The exit code the quit message carries after a broken skin.
constexpr int kSkinFailureExitCode = 2;

// "What is missing" for a built tree: the first required control that is
// absent or of the wrong kind, or "" when all are there.
std::wstring MissingControlProblem(const CPaintManagerUI& pm, const std::vector<RequiredControl>& required);

class SkinnedFrame : public CWindowWnd, public INotifyUI {
public:
    // Whether the skin was built and holds every control the window needs.
    // When it is not, the window stays hidden and empty, its own messages and
    // notifications never run, the user has been told and the quit message
    // (kSkinFailureExitCode) posted.
    bool SkinReady() const { return m_skinReady; }
    const std::wstring& SkinProblem() const { return m_skinProblem; }
    CPaintManagerUI& PaintManager() { return m_pm; }

    // The shared hit test, in screen coordinates: HTCAPTION inside the caption
    // band over a control whose class is not a client class, else HTCLIENT.
    LRESULT CaptionHitTest(int screenX, int screenY);

protected:
    virtual const FrameDescription& Description() const = 0;

    const wchar_t* GetWindowClassName() const override;
    UINT GetClassStyle() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;
    void Notify(TNotifyUI&) override {}

    // Creation step before the skin is built (a timer, a message filter).
    virtual void OnBeforeSkin() {}
    // Creation step after the skin is attached and the notifier added: look
    // controls up, publish the window handle, set initial states. Runs only
    // with a usable skin, so every required control exists here.
    virtual void OnSkinReady() {}
    // The window's own messages, seen before the shared handlers (only while
    // the skin is usable). Leave `handled` false to pass a message on.
    virtual LRESULT HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled);
    // Part of WM_CLOSE with CloseAction::EndEncodersAndDiscardOwned: discard
    // the windows this one owns.
    virtual void DiscardOwnedWindows() {}

    CPaintManagerUI m_pm;

private:
    // The shared handlers; `handled` false passes the message on.
    LRESULT HandleSharedMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCreate();
    LRESULT OnDpiChanged(int dpi, const RECT* suggested);
    LRESULT OnSize(WPARAM wParam, bool& handled);
    LRESULT OnGetMinMaxInfo(LPARAM lParam, bool& handled);
    LRESULT OnNcActivate(WPARAM wParam, bool& handled);
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnClose(bool& handled);
    LRESULT OnDestroy(bool& handled);
    void FailSkin(const std::wstring& file, const std::wstring& problem);

    bool m_skinReady = false;
    std::wstring m_skinProblem;
};

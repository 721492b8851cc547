// The shared skinned-frame message handling.
#include "ui/skinned_frame.h"

#include <windowsx.h>

#include <algorithm>

#include "support/log.h"
#include "support/text_win.h"
#include "support/unique_win.h"
#include "ui/message_box_win.h"

std::function<void()> TerminateEncodersHook;

std::wstring SkinFailureMessage(const std::wstring& file, const std::wstring& problem) {
    return L"界面文件无法使用：\n" + file + L"\n" + problem + L"\n\n程序将退出。";
}

std::function<void(const std::wstring&, const std::wstring&)> SkinFailureReporter =
    [](const std::wstring& file, const std::wstring& problem) {
        ShowMessageBox(BoxCaption::Tip, SkinFailureMessage(file, problem), MB_OK | MB_ICONERROR);
    };

namespace {

const wchar_t* KindWord(const std::wstring& kind) {
    if (kind == L"Button") return L"按钮";
    if (kind == L"Option") return L"选项";
    if (kind == L"Label") return L"标签";
    if (kind == L"Text") return L"文本";
    return L"所需的控件";
}

}  // namespace

std::wstring MissingControlProblem(const CPaintManagerUI& pm, const std::vector<RequiredControl>& required) {
    for (const RequiredControl& r : required) {
        CControlUI* control = pm.FindControl(r.name);
        if (control == nullptr) return std::wstring(L"缺少控件“") + r.name + L"”";
        if (r.kind != nullptr && control->GetInterface(r.kind) == nullptr) {
            return std::wstring(L"控件“") + r.name + L"”不是" + KindWord(r.kind);
        }
    }
    return L"";
}

const wchar_t* SkinnedFrame::GetWindowClassName() const { return Description().windowClassName; }

UINT SkinnedFrame::GetClassStyle() const { return Description().classStyle; }

LRESULT SkinnedFrame::HandleOwnMessage(UINT, WPARAM, LPARAM, bool& handled) {
    handled = false;
    return 0;
}

LRESULT SkinnedFrame::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_CREATE) return OnCreate();
    // A window whose skin can't be used never shows: it has nothing to offer.
    if (uMsg == WM_WINDOWPOSCHANGING && !m_skinProblem.empty()) {
        reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
    }
    bool handled = false;
    LRESULT result = 0;
    if (m_skinReady) {
        result = HandleOwnMessage(uMsg, wParam, lParam, handled);
        if (handled) return result;
    }

    handled = true;
    result = HandleSharedMessage(uMsg, wParam, lParam, handled);
    if (handled) return result;
    LRESULT lRes = 0;
    if (m_pm.MessageHandler(uMsg, wParam, lParam, lRes)) return lRes;
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LRESULT SkinnedFrame::HandleSharedMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (uMsg) {
    case WM_NCHITTEST: return CaptionHitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_DPICHANGED: return OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
    }
    // The status bar and the tip keep the system's handling of the rest.
    if (Description().handlers != FrameHandlers::All) {
        handled = false;
        return 0;
    }
    switch (uMsg) {
    case WM_SIZE: return OnSize(wParam, handled);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(lParam, handled);
    case WM_NCCALCSIZE: return 0;  // no system frame: the client area is the whole window
    case WM_NCPAINT: return 0;
    case WM_NCACTIVATE: return OnNcActivate(wParam, handled);
    case WM_SYSCOMMAND: return OnSysCommand(wParam, lParam, handled);
    case WM_CLOSE: return OnClose(handled);
    case WM_DESTROY: return OnDestroy(handled);
    default: handled = false; return 0;
    }
}

LRESULT SkinnedFrame::OnCreate() {
    // No system frame: the skin draws caption and border itself.
    LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_CAPTION);
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style);
    m_pm.Init(m_hWnd);
    OnBeforeSkin();

    const FrameDescription& d = Description();
    CDialogBuilder builder;
    CControlUI* root = builder.Create(d.skinFile, nullptr, nullptr, &m_pm);
    if (root == nullptr) {
        FailSkin(builder.GetErrorFile(), builder.GetError());
        return 0;
    }
    m_pm.AttachDialog(root);
    std::wstring missing = MissingControlProblem(m_pm, d.requiredControls);
    if (!missing.empty()) {
        FailSkin(CPaintManagerUI::GetResourcePath() + d.skinFile, missing);
        return 0;
    }
    m_pm.AddNotifier(this);
    m_skinReady = true;
    OnSkinReady();
    return 0;
}

void SkinnedFrame::FailSkin(const std::wstring& file, const std::wstring& problem) {
    m_skinProblem = problem;
    TAVRIX_LOG(LevelDebug) << "skin " << NarrowText(file, CP_ACP) << ": " << NarrowText(problem, CP_ACP);
    ::ShowWindow(m_hWnd, SW_HIDE);
    if (SkinFailureReporter) SkinFailureReporter(file, problem);
    if (TerminateEncodersHook) TerminateEncodersHook();
    ::PostQuitMessage(kSkinFailureExitCode);
}

LRESULT SkinnedFrame::CaptionHitTest(int screenX, int screenY) {
    POINT pt{screenX, screenY};
    ::ScreenToClient(m_hWnd, &pt);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const RECT& caption = m_pm.GetCaptionRect();
    if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right && pt.y >= caption.top &&
        pt.y < caption.bottom) {
        CControlUI* control = m_pm.FindControl(pt);
        if (control != nullptr) {
            const auto& clients = Description().clientClasses;
            if (std::find(clients.begin(), clients.end(), control->GetClass()) == clients.end()) return HTCAPTION;
        }
    }
    return HTCLIENT;
}

LRESULT SkinnedFrame::OnDpiChanged(int dpi, const RECT* suggested) {
    // Dragged onto a monitor of another scaling: the skin is drawn anew at
    // that density, the window as large as the skin says there, where
    // Windows suggests (so it does not jump back across the monitor edge).
    m_pm.SetDpi(dpi);
    if (suggested != nullptr) {
        const SIZE size = m_pm.GetInitSize();
        ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, size.cx, size.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

LRESULT SkinnedFrame::OnSize(WPARAM, bool& handled) {
    SIZE round = m_pm.GetRoundCorner();
    if (!::IsIconic(m_hWnd) && (round.cx != 0 || round.cy != 0)) {
        CDuiRect rc;
        ::GetWindowRect(m_hWnd, &rc);
        rc.Offset(-rc.left, -rc.top);
        rc.right++;
        rc.bottom++;
        UniqueRegion region(::CreateRoundRectRgn(rc.left, rc.top, rc.right, rc.bottom, round.cx, round.cy));
        // Once set, the region belongs to the system and must not be deleted
        // by us; only a region the window refused is ours to delete.
        if (region && ::SetWindowRgn(m_hWnd, region.get(), TRUE)) region.release();
    }
    handled = false;  // the paint manager lays the controls out
    return 0;
}

LRESULT SkinnedFrame::OnGetMinMaxInfo(LPARAM lParam, bool& handled) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &info);
    CDuiRect work = info.rcWork;
    work.Offset(-info.rcMonitor.left, -info.rcMonitor.top);
    auto* mmi = reinterpret_cast<MINMAXINFO*>(lParam);
    mmi->ptMaxPosition = POINT{work.left, work.top};
    mmi->ptMaxSize = POINT{work.right, work.bottom};
    handled = false;
    return 0;
}

LRESULT SkinnedFrame::OnNcActivate(WPARAM wParam, bool& handled) {
    if (::IsIconic(m_hWnd)) {
        handled = false;
        return 0;
    }
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT SkinnedFrame::OnSysCommand(WPARAM wParam, LPARAM lParam, bool& handled) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        switch (Description().systemClose) {
        case SystemCloseAction::PostQuit:
            ::PostQuitMessage(0);
            return 0;
        case SystemCloseAction::EndEncodersAndPostQuit:
            if (TerminateEncodersHook) TerminateEncodersHook();
            ::PostQuitMessage(0);
            return 0;
        case SystemCloseAction::BringToTop:
            ::BringWindowToTop(m_hWnd);
            return 0;
        case SystemCloseAction::Default:
            // The default closes the window, which may end this object.
            handled = false;
            return 0;
        }
    }
    bool wasZoomed = ::IsZoomed(m_hWnd) != FALSE;
    LRESULT result = CWindowWnd::HandleMessage(WM_SYSCOMMAND, wParam, lParam);
    if (!::IsWindow(m_hWnd)) return result;
    bool zoomed = ::IsZoomed(m_hWnd) != FALSE;
    if (zoomed != wasZoomed) {
        if (CControlUI* maxButton = m_pm.FindControl(L"maxbtn")) maxButton->SetVisible(!zoomed);
        if (CControlUI* restoreButton = m_pm.FindControl(L"restorebtn")) restoreButton->SetVisible(zoomed);
    }
    return result;
}

LRESULT SkinnedFrame::OnClose(bool& handled) {
    if (Description().close == CloseAction::EndEncodersAndDiscardOwned) {
        if (TerminateEncodersHook) TerminateEncodersHook();
        DiscardOwnedWindows();
    }
    handled = false;  // the default destroys the window
    return 0;
}

LRESULT SkinnedFrame::OnDestroy(bool& handled) {
    if (Description().destroy == DestroyAction::PostQuit) ::PostQuitMessage(0);
    handled = false;
    return 0;
}

void SkinnedFrame::OnFinalMessage(HWND) {
    if (Description().lifetime == ObjectLifetime::DeletedWithWindow) delete this;
}

// The drawing of one recording, from the status bar's first show to the end.
#include "hook/hook_dll.h"
#include "recording/record_options.h"
#include "support/log.h"
#include "ui/ink_overlay_win.h"
#include "ui/ink_session_win.h"
#include "ui/pause_key_win.h"
#include "ui/pen_palette.h"
#include "ui/window_state.h"
#include "uilib/ui_dpi.h"

InkSession& InkSession::Instance() {
    static InkSession session;
    return session;
}

InkOverlay* InkSession::Overlay() const {
    return m_overlay != nullptr && m_overlay->IsOpen() ? m_overlay : nullptr;
}

void InkSession::BarShown(HWND statusBar) {
    if (m_state.recording == InkRecording::None) {
        Start(statusBar);
        return;
    }
    Apply(NextInkState(m_state, InkEvent::RecordingResumed));
}

void InkSession::Start(HWND statusBar) {
    m_bar = statusBar;
    m_showClicks = RecordOptions::Instance()->showClicks != 0;
    InkState next = m_state;
    next.available = true;  // each recording tries again
    next = NextInkState(next, InkEvent::RecordingStarted);

    if (m_palette == nullptr) {
        m_palette = new (std::nothrow) PenPalette;
        if (m_palette != nullptr) {
            m_palette->OnTool = [this](InkTool tool) { Apply(ChooseInkTool(m_state, tool)); };
            m_palette->OnUndo = [this] {
                if (Overlay() != nullptr) m_overlay->Undo();
            };
            m_palette->OnClear = [this] {
                if (Overlay() != nullptr) m_overlay->Clear();
            };
        }
    }
    if (m_palette != nullptr && !m_palette->Make(statusBar)) {
        TAVRIX_LOG(LevelDebug) << "the drawing's palette could not be made";
    }

    if (m_overlay == nullptr) {
        m_overlay = new (std::nothrow) InkOverlay;
        if (m_overlay != nullptr) {
            m_overlay->OnRightButton = [this] { Apply(NextInkState(m_state, InkEvent::RightButton)); };
            m_overlay->OnLost = [this] { Apply(NextInkState(m_state, InkEvent::Unavailable)); };
        }
    }
    const Rect area = RecordOptions::Instance()->captureRect;
    const RECT rc{area.left, area.top, area.right, area.bottom};
    const int dpi = UiDpi::ForMonitor(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST));
    if (m_overlay == nullptr || !m_overlay->Open(area, dpi)) {
        // The lesson is recorded as ever; only the drawing is missing.
        TAVRIX_LOG(LevelDebug) << "drawing is not possible in this recording: no overlay over " << area.left << ","
                               << area.top << "," << area.right << "," << area.bottom;
        next = NextInkState(next, InkEvent::Unavailable);
    } else {
        TAVRIX_LOG(LevelDebug) << "the drawing's overlay stands over " << area.left << "," << area.top << ","
                               << area.right << "," << area.bottom << " at " << dpi << " dpi";
        m_overlay->KeepAbove(statusBar);
        if (m_palette != nullptr && m_palette->GetHWND() != nullptr) m_overlay->KeepAbove(m_palette->GetHWND());
        if (ProcessHwnd != nullptr) m_overlay->KeepAbove(ProcessHwnd);
    }
    Apply(next);
}

void InkSession::Paused() {
    Apply(NextInkState(m_state, InkEvent::RecordingPaused));
}

void InkSession::Ended() {
    if (m_state.recording == InkRecording::None) return;
    Apply(NextInkState(m_state, InkEvent::RecordingEnded));
    if (m_overlay != nullptr) m_overlay->Close();
}

void InkSession::BarMoved() {
    if (m_palette != nullptr && m_palette->GetHWND() != nullptr && IsWindowVisible(m_palette->GetHWND()))
        PlacePalette();
}

void InkSession::PlacePalette() {
    if (PenButtonOnScreen && m_bar != nullptr) m_palette->PlaceBy(m_bar, PenButtonOnScreen());
}

void InkSession::PenButton() {
    Apply(NextInkState(m_state, InkEvent::PenButton));
}

bool InkSession::HotKey(WPARAM id) {
    if (id == kDrawHotKeyId) {
        Apply(NextInkState(m_state, InkEvent::DrawKey));
        return true;
    }
    if (id == kUndoHotKeyId) {
        if (m_state.drawing && Overlay() != nullptr) m_overlay->Undo();
        return true;
    }
    return false;
}

void InkSession::Apply(const InkState& next) {
    const bool toolChanged = next.tool != m_state.tool;
    m_state = next;
    if (Overlay() != nullptr) m_overlay->SetDrawing(m_state.drawing, m_state.tool);
    SetDrawKeys(static_cast<int>(KeysForInkState(m_state)));
    UpdateRingHook();
    if (m_palette != nullptr && m_palette->GetHWND() != nullptr) {
        if (toolChanged) m_palette->ShowTool(m_state.tool);
        const bool show = PaletteShownFor(m_state) && m_bar != nullptr && IsWindowVisible(m_bar);
        if (show && !IsWindowVisible(m_palette->GetHWND())) {
            m_palette->ShowTool(m_state.tool);
            PlacePalette();
            ::ShowWindow(m_palette->GetHWND(), SW_SHOWNOACTIVATE);
        } else if (!show && IsWindowVisible(m_palette->GetHWND())) {
            ::ShowWindow(m_palette->GetHWND(), SW_HIDE);
        }
    }
    if (ShowPenButton) ShowPenButton(m_state);
}

void InkSession::UpdateRingHook() {
    const bool wanted = RingsShownFor(m_state, m_showClicks) && Overlay() != nullptr;
    if (wanted && m_mouseHook == nullptr) {
        m_mouseHook = SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, GetModuleHandleW(nullptr), 0);
        if (m_mouseHook == nullptr) {
            const DWORD error = GetLastError();
            TAVRIX_LOG(LevelDebug) << "no mouse hook for the click rings, error " << error;
        }
    } else if (!wanted && m_mouseHook != nullptr) {
        UnhookWindowsHookEx(m_mouseHook);
        m_mouseHook = nullptr;
    }
}

LRESULT CALLBACK InkSession::MouseHookProc(int code, WPARAM message, LPARAM lParam) noexcept {
    InkSession& session = Instance();
    if (code == HC_ACTION && (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)) {
        // Only noted here: the ring is drawn once the click is on its way,
        // so the hook never holds the mouse up.
        const auto* mouse = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        if (InkOverlay* overlay = session.Overlay()) {
            ::PostMessageW(overlay->GetHWND(), InkOverlay::kClickMessage, message == WM_RBUTTONDOWN ? 1 : 0,
                           MAKELPARAM(static_cast<WORD>(mouse->pt.x), static_cast<WORD>(mouse->pt.y)));
        }
    }
    return CallNextHookEx(session.m_mouseHook, code, message, lParam);
}

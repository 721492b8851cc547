#include "ui/status_frame.h"

#include <new>

#include "app/record_options.h"
#include "app/window_state.h"
#include "hook/hook_dll.h"
#include "recording/encoder_process_win.h"
#include "support/log.h"
#include "ui/process_frame.h"
#include "ui/screens_win.h"

namespace {

constexpr DWORD kProcessWindowStyle = WS_SYSMENU | WS_MINIMIZEBOX;
// Posted when the bar is shown, so it is placed after whoever showed it has
// centred it.
constexpr UINT kPlaceBarMessage = WM_APP + 14;

}  // namespace

RecStatusFrame::~RecStatusFrame() {
    if (StatusHwnd != nullptr && StatusHwnd == m_hWnd) {
        ShowElapsedText = nullptr;
        setCaptureKeyWindow(nullptr);
    }
}

const FrameDescription& RecStatusFrame::Description() const {
    static const FrameDescription description{
        L"RecStatusFrameWndClass",
        CS_DBLCLKS,
        L"status.xml",
        {L"ButtonUI"},
        FrameHandlers::CreationAndHitTest,
        false,
        false,
        SystemCloseAction::Default,
        false,  // lives for the rest of the run
        {{L"timeText", nullptr}, {L"btnMin", L"Button"}, {L"btnClose", L"Button"}, {L"btnStop", L"Button"}},
    };
    return description;
}

void RecStatusFrame::OnSkinReady() {
    StatusHwnd = m_hWnd;
    // Seen by the teacher, not by the class: left out of the recording where Windows can.
    ExcludeFromCapture(m_hWnd);
    m_timeText = m_pm.FindControl(L"timeText");
    m_timeText->SetText(ElapsedText);
    CControlUI* timeText = m_timeText;
    ShowElapsedText = [timeText](const std::wstring& text) { timeText->SetText(text); };

    // The after-recording window: made now, hidden, owned by the corner
    // markers when they exist.
    m_process = new (std::nothrow) CRecProcessFrameWnd;
    if (m_process != nullptr) {
        m_process->Create(CornerHwnd, L"提示", kProcessWindowStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT);
        if (m_process->GetHWND() != nullptr) {
            m_process->CenterWindow();
        } else {
            delete m_process;
            m_process = nullptr;
        }
    }

    setCaptureKeyWindow(StatusHwnd);
    SetTimer(StatusHwnd, kElapsedTimerId, kElapsedTimerPeriodMs, nullptr);
}

CRecProcessFrameWnd* RecStatusFrame::AfterRecordingWindow() const {
    return m_process != nullptr && ProcessHwnd != nullptr && IsWindow(ProcessHwnd) ? m_process : nullptr;
}

LRESULT RecStatusFrame::HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM, bool& handled) {
    handled = true;
    switch (uMsg) {
    case WM_TIMER:  return OnTick();
    case WM_HOTKEY: return OnHotKey();
    case WM_SHOWWINDOW:
        if (wParam != FALSE) PostMessage(kPlaceBarMessage);
        handled = false;
        return 0;
    case WM_DISPLAYCHANGE:
        // A screen unplugged mid-recording: the bar comes onto one that remains.
        if (IsWindowVisible(m_hWnd)) PostMessage(kPlaceBarMessage);
        handled = false;
        return 0;
    case kPlaceBarMessage:
        PlaceOnRecordedScreen(m_hWnd, RecordOptions::Instance()->captureRect,
                              RecordOptions::Instance()->customArea != 0, m_pm.Scale(8));
        return 0;
    default:
        handled = false;
        return 0;
    }
}

void RecStatusFrame::Notify(TNotifyUI& msg) {
    if (msg.sType != L"click" || msg.pSender == nullptr) return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"btnMin") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    } else if (name == L"btnClose" || name == L"btnStop") {
        PauseIfShown();
    }
}

LRESULT RecStatusFrame::OnTick() {
    if (IsEncoderProcessRunning()) {
        ++ElapsedSeconds;
        ElapsedText = FormatElapsed(ElapsedSeconds);
        m_timeText->SetText(ElapsedText);
        return 0;
    }
    KillTimer(StatusHwnd, kElapsedTimerId);
    TAVRIX_LOG(LevelDebug) << "the encoder is gone; the program closes";
    MessageBoxW(nullptr, L"Tavrix异常!", L"提示", MB_ICONERROR);
    ::PostMessageW(StartupHwnd, WM_CLOSE, 0, 0);
    return 0;
}

LRESULT RecStatusFrame::OnHotKey() {
    PauseIfShown();
    return 0;
}

void RecStatusFrame::PauseIfShown() {
    if (!IsWindowVisible(StatusHwnd)) return;
    KillTimer(StatusHwnd, kElapsedTimerId);
    PauseRecording();
}

void RecStatusFrame::PauseRecording() {
    EncoderProcess::Pause();
    ::ShowWindow(StatusHwnd, SW_HIDE);
    if (RecordOptions::Instance()->customArea == 1 && CornerHwnd != nullptr) ::ShowWindow(CornerHwnd, SW_SHOW);
    ::ShowWindow(ProcessHwnd, SW_SHOW);
    SetWindowPos(ProcessHwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

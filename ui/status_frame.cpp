#include "ui/status_frame.h"

#include <new>

#include "recording/disk_space_win.h"
#include "recording/encoder_process_win.h"
#include "recording/encoder_status_win.h"
#include "recording/record_options.h"
#include "support/log.h"
#include "support/text_win.h"
#include "ui/frame_table.h"
#include "ui/ink_session_win.h"
#include "ui/leftover_offer_win.h"
#include "ui/message_box_win.h"
#include "ui/pause_key_win.h"
#include "ui/process_frame.h"
#include "ui/save_recording_win.h"
#include "ui/screens_win.h"
#include "ui/window_state.h"

namespace {

constexpr DWORD kProcessWindowStyle = WS_SYSMENU | WS_MINIMIZEBOX;
// Posted when the bar is shown, so it is placed after whoever showed it has
// centred it.
constexpr UINT kPlaceBarMessage = WM_APP + 14;
// The free disk space is looked at every this many ticks (two seconds).
constexpr int kTicksPerSpaceCheck = 8;
// The meters move at most this often: each repaint of the bar costs the
// lesson's computer a little, and the eye needs no more.
constexpr int64_t kSoundShowIntervalMs = 100;
// The warning's row under the bar, in skin units (status.xml's soundWarning).
constexpr int kSoundWarningHeight = 30;

const wchar_t kEncoderLostText[] = L"录像程序意外停止了，录制已经结束。已经录下的内容都保留着。";
const wchar_t kNoPauseWindowText[] = L"暂停窗口打不开，录制已经结束。请选择保存录像的位置。";

}  // namespace

RecStatusFrame::~RecStatusFrame() {
    if (StatusHwnd != nullptr && StatusHwnd == m_hWnd) {
        ShowElapsedText = nullptr;
        InkSession::Instance().ShowPenButton = nullptr;
        InkSession::Instance().PenButtonOnScreen = nullptr;
        SetPauseKeyWindow(nullptr);
    }
}

const FrameDescription& RecStatusFrame::Description() const { return kStatusFrame; }

void RecStatusFrame::OnSkinReady() {
    StatusHwnd = m_hWnd;
    // Seen by the teacher, not by the class: left out of the recording where Windows can.
    ExcludeFromCapture(m_hWnd);
    m_timeText = m_pm.FindControl(L"timeText");
    m_timeText->SetText(ElapsedText);
    CControlUI* timeText = m_timeText;
    ShowElapsedText = [timeText](const std::wstring& text) { timeText->SetText(text); };
    CControlUI* pen = m_pm.FindControl(L"btnPen");
    m_penClicks.Add(pen);
    InkSession::Instance().ShowPenButton = PenButtonLook(pen);
    InkSession::Instance().PenButtonOnScreen = [this, pen] {
        RECT r = pen->GetPos();
        MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    m_sound.Attach(m_pm);

    // The after-recording window: made now, hidden, owned by the corner
    // markers when they exist.
    m_process = new (std::nothrow) CRecProcessFrameWnd;
    if (m_process != nullptr) {
        m_process->Create(CornerHwnd, L"提示", kProcessWindowStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT);
        if (m_process->GetHWND() != nullptr) {
            const RECT area = RecordedWorkArea();
            m_process->CenterWindow(&area);
        } else {
            delete m_process;
            m_process = nullptr;
        }
    }

    SetPauseKeyWindow(StatusHwnd);
    SetTimer(StatusHwnd, kElapsedTimerId, kElapsedTimerPeriodMs, nullptr);
}

CRecProcessFrameWnd* RecStatusFrame::AfterRecordingWindow() const {
    return m_process != nullptr && ProcessHwnd != nullptr && IsWindow(ProcessHwnd) ? m_process : nullptr;
}

LRESULT RecStatusFrame::HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) {
    LRESULT result = 0;
    CControlUI* clicked = nullptr;
    handled = m_penClicks.Handle(m_hWnd, uMsg, lParam, result, clicked);
    if (clicked != nullptr) InkSession::Instance().PenButton();
    if (handled) return result;
    handled = true;
    switch (uMsg) {
    case WM_TIMER:  return OnTick();
    case WM_HOTKEY: return InkSession::Instance().HotKey(wParam) ? 0 : OnHotKey();
    case WM_SHOWWINDOW:
        if (wParam != FALSE) {
            PostMessage(kPlaceBarMessage);
            // Above a full-screen slide show, and the one to hear the encoder's sound news.
            ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            SetSoundWindow(m_hWnd);
            m_soundShownMs = 0;
            ShowSound();
            // Up for a new recording or after a pause: the drawing follows.
            InkSession::Instance().BarShown(m_hWnd);
        }
        handled = false;
        return 0;
    case WM_MOVE:
        InkSession::Instance().BarMoved();
        handled = false;
        return 0;
    case kSoundNewsMessage:
        ShowSound();
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
    // Alt+F4, the system menu's Close and the task bar's close end in
    // WM_CLOSE: the bar must never go while a recording runs (nothing could
    // stop or save it then), so closing it is Stop.
    case WM_CLOSE:  return OnHotKey();
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
    DWORD exitCode = 0;
    if (EncoderProcess::HasEnded(exitCode)) return OnEncoderLost(exitCode);
    if (UpdateElapsedTime()) m_timeText->SetText(ElapsedText);
    ShowSound();
    if (++m_ticksSinceSpaceCheck >= kTicksPerSpaceCheck) {
        m_ticksSinceSpaceCheck = 0;
        CheckFreeSpace();
    }
    return 0;
}

LRESULT RecStatusFrame::OnEncoderLost(DWORD exitCode) {
    // The box below runs its own message loop: one box, however many ticks
    // were already queued.
    KillTimer(StatusHwnd, kElapsedTimerId);
    if (m_handlingLoss) return 0;
    m_handlingLoss = true;
    StopElapsedClock();
    EncoderProcess::Forget();
    InkSession::Instance().Ended();
    TAVRIX_LOG(LevelDebug) << "the encoder ended by itself with exit code " << exitCode << "; the recording is kept";
    ::ShowWindow(StatusHwnd, SW_HIDE);
    if (ProcessHwnd != nullptr) ::ShowWindow(ProcessHwnd, SW_HIDE);
    ShowMessageBox(BoxCaption::Tip, kEncoderLostText, MB_OK | MB_ICONERROR);
    // What was recorded stays where it is, and the next recording goes
    // elsewhere; what can be joined is offered now.
    MoveToNewRecordingFolder();
    ResetElapsedTime();
    if (StartupHwnd != nullptr) ::ShowWindow(StartupHwnd, SW_RESTORE);
    OfferLeftoverRecordings(WidenText(RecordingPath, CP_ACP));
    m_handlingLoss = false;
    return 0;
}

void RecStatusFrame::CheckFreeSpace() {
    if (!IsWindowVisible(StatusHwnd) || EnoughSpaceToGoOn(RecordingFreeBytes())) return;
    TAVRIX_LOG(LevelDebug) << "too little free disk space; the recording is paused";
    PauseIfShown();
    ShowMessageBox(BoxCaption::Tip, kTooLittleSpacePausedText, MB_OK | MB_ICONWARNING);
}

LRESULT RecStatusFrame::OnHotKey() {
    PauseIfShown();
    return 0;
}

void RecStatusFrame::PauseIfShown() {
    if (!IsWindowVisible(StatusHwnd)) return;
    PauseRecording();
}

void RecStatusFrame::PauseRecording() {
    // The timer keeps running while paused: it watches the encoder; the
    // clock alone decides what is counted.
    EncoderProcess::Pause();
    StopElapsedClock();
    if (UpdateElapsedTime()) m_timeText->SetText(ElapsedText);
    ::ShowWindow(StatusHwnd, SW_HIDE);
    InkSession::Instance().Paused();
    if (RecordOptions::Instance()->customArea == 1 && CornerHwnd != nullptr) ::ShowWindow(CornerHwnd, SW_SHOW);
    if (AfterRecordingWindow() == nullptr) {
        // Nothing on screen could resume or end a paused recording: it is
        // finished and offered for saving instead.
        TAVRIX_LOG(LevelDebug) << "no after-recording window; the recording is finished and saved";
        InkSession::Instance().Ended();
        ShowMessageBox(BoxCaption::Tip, kNoPauseWindowText, MB_OK | MB_ICONWARNING);
        SaveRecording();
        return;
    }
    ::ShowWindow(ProcessHwnd, SW_SHOW);
    SetWindowPos(ProcessHwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

void RecStatusFrame::ShowSound() {
    TakeRecordingSound();
    // After a change on screen the next waits a moment (the news that come
    // meanwhile are shown with it); a change after a quiet spell shows at once.
    const int64_t now = SoundClockMs();
    const bool warningChanged = SoundWarningText(RecordingSound()).empty() == m_sound.WarningShown();
    if (!warningChanged && now - m_soundShownMs < kSoundShowIntervalMs) return;
    if (m_sound.Show(RecordingSound())) m_soundShownMs = now;
    FitSoundWarning();
}

void RecStatusFrame::FitSoundWarning() {
    // Checked at every showing: a change of display scaling gives the bar the skin's size again.
    const SIZE bar = m_pm.GetInitSize();
    const int height = bar.cy + (m_sound.WarningShown() ? m_pm.Scale(kSoundWarningHeight) : 0);
    RECT now = {};
    ::GetWindowRect(m_hWnd, &now);
    if (now.bottom - now.top == height && now.right - now.left == bar.cx) return;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, bar.cx, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

#include "ui/ready_frame.h"

#include <new>
#include <string>

#include "recording/encoder_process_win.h"
#include "recording/encoder_status_win.h"
#include "support/log.h"
#include "support/text_win.h"
#include "ui/finish_wait_win.h"
#include "ui/frame_table.h"
#include "ui/message_box_win.h"
#include "ui/status_frame.h"
#include "ui/window_state.h"

int32_t CountdownValue = 3;

namespace {

// Style of the status bar: a system menu and a minimise box, no caption.
constexpr DWORD kStatusBarStyle = WS_SYSMENU | WS_MINIMIZEBOX;
// At zero, how long a waiting encoder may still take to say anything at all
// (one that says nothing is an older one, and starts as before), and to say
// how every chosen source opened.
constexpr int64_t kFirstSoundWaitMs = 1000;
constexpr int64_t kSoundSettleWaitMs = 3000;

}  // namespace

CReadyFrameWnd::~CReadyFrameWnd() {
    // Deleted during the count (the tip window that owns it went): the
    // waiting encoder goes too, and no tick may start it while it does.
    if (m_hWnd != nullptr) KillTimer(m_hWnd, kCountdownTimerId);
    EncoderProcess::DiscardPrepared(PumpingWait());
    if (m_ownerSlot != nullptr && *m_ownerSlot == this) *m_ownerSlot = nullptr;
    if (m_hWnd != nullptr && SoundWindow() == m_hWnd) SetSoundWindow(nullptr);
}

const FrameDescription& CReadyFrameWnd::Description() const { return kReadyFrame; }

void CReadyFrameWnd::OnBeforeSkin() {
    SetTimer(m_hWnd, kCountdownTimerId, kCountdownTimerPeriodMs, nullptr);
}

void CReadyFrameWnd::OnSkinReady() {
    m_numText = m_pm.FindControl(L"numText");
    m_backBtn = m_pm.FindControl(L"backBtn");
    CountdownValue = 3;
    m_numText->SetText(std::to_wstring(CountdownValue));
    // The encoder gets ready during the count, held, so the lesson's first
    // second is recorded: started only at zero, it took 0.6 to 1.2 s to take
    // its first picture. One that cannot be prepared is started at zero as before.
    m_sound.Attach(m_pm);
    SetSoundWindow(m_hWnd);
    EncoderProcess::Prepare();
    ShowSound();
}

LRESULT CReadyFrameWnd::HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM, bool& handled) {
    // Closed through the system the program ends: the waiting encoder goes first.
    if (uMsg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
        KillTimer(m_hWnd, kCountdownTimerId);  // no zero may start it again while it goes
        EncoderProcess::DiscardPrepared(PumpingWait());
    }
    if (uMsg == kSoundNewsMessage) {
        handled = true;
        ShowSound();
        return 0;
    }
    handled = uMsg == WM_TIMER && wParam == kCountdownTimerId;
    return handled ? OnTick() : 0;
}

void CReadyFrameWnd::Notify(TNotifyUI& msg) {
    if (msg.sType == L"click") BackToStartup();
}

void CReadyFrameWnd::OnFinalMessage(HWND hWnd) {
    // Closed during the count: the waiting encoder goes with it, leaving nothing.
    EncoderProcess::DiscardPrepared(PumpingWait());
    if (m_ownerSlot != nullptr && *m_ownerSlot == this) *m_ownerSlot = nullptr;
    m_ownerSlot = nullptr;
    if (SoundWindow() == hWnd) SetSoundWindow(nullptr);
    SkinnedFrame::OnFinalMessage(hWnd);
}

void CReadyFrameWnd::ResetCount() {
    KillTimer(m_hWnd, kCountdownTimerId);
    CountdownValue = 3;
    m_numText->SetText(std::to_wstring(CountdownValue));
}

LRESULT CReadyFrameWnd::OnTick() {
    --CountdownValue;
    if (CountdownValue != 0) {
        m_numText->SetText(std::to_wstring(CountdownValue));
        return 0;
    }
    ResetCount();
    ::ShowWindow(m_hWnd, SW_HIDE);
    if (!SoundCanStart()) {
        BackToStartup();
        return 0;
    }
    if (EncoderProcess::Start() == 0) {
        TAVRIX_LOG(LevelDebug) << "the encoder could not be started";
        ShowMessageBox(BoxCaption::StartError, L"Tavrix程序启动异常");
        ::PostMessageW(StartupHwnd, WM_CLOSE, 0, 0);
        return 0;
    }
    ResetElapsedTime();
    RunElapsedClock();
    if (StatusHwnd != nullptr) {
        ::ShowWindow(StatusHwnd, SW_SHOW);
        SetTimer(StatusHwnd, kElapsedTimerId, kElapsedTimerPeriodMs, nullptr);
        return 0;
    }
    if (!BringUpStatusBar()) AbandonRecording();
    return 0;
}

bool CReadyFrameWnd::BringUpStatusBar() {
    if (m_status == nullptr) m_status = new (std::nothrow) RecStatusFrame;
    if (m_status == nullptr) return false;
    if (m_status->GetHWND() == nullptr) {
        m_status->Create(nullptr, L"", kStatusBarStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT);
    }
    if (StatusHwnd != nullptr) {
        m_status->ShowWindow(true, true);
        m_status->CenterWindow();
        return true;
    }
    // No window at all: nothing of this object is in use, so it can go.
    if (m_status->GetHWND() == nullptr) {
        delete m_status;
        m_status = nullptr;
    }
    return false;
}

void CReadyFrameWnd::AbandonRecording() {
    // A broken skin has told the user already and ends the program.
    const bool told = m_status != nullptr && !m_status->SkinProblem().empty();
    TAVRIX_LOG(LevelDebug) << "no status bar for the recording; it is stopped and deleted";
    EncoderProcess::Discard(PumpingWait());
    if (!told) ShowMessageBox(BoxCaption::Tip, L"无法显示录制状态栏，录制已取消。", MB_OK | MB_ICONERROR);
    ::ShowWindow(StartupHwnd, SW_RESTORE);
}

void CReadyFrameWnd::BackToStartup() {
    ResetCount();
    ::ShowWindow(m_hWnd, SW_HIDE);
    EncoderProcess::DiscardPrepared(PumpingWait());
    ::ShowWindow(StartupHwnd, SW_RESTORE);
}

void CReadyFrameWnd::ShowSound() {
    TakeRecordingSound();
    m_sound.Show(RecordingSound());
}

bool CReadyFrameWnd::SoundCanStart() {
    if (!EncoderProcess::IsPrepared()) return true;
    // The waiting encoder has opened its sound during the count; a slow one
    // is given a little longer, one that says nothing is not waited for.
    const int64_t started = SoundClockMs();
    for (;;) {
        TakeRecordingSound();
        const SoundWatch& sound = RecordingSound();
        const int64_t waited = SoundClockMs() - started;
        DWORD code = 0;
        if (sound.Settled() || EncoderProcess::HasEnded(code)) break;
        if (waited >= kSoundSettleWaitMs || (!sound.Heard() && waited >= kFirstSoundWaitMs)) {
            TAVRIX_LOG(LevelDebug) << "the encoder has not said how its sound opened; the recording starts";
            break;
        }
        Sleep(20);
    }
    const std::wstring question = MissingSoundQuestion(RecordingSound());
    if (question.empty()) return true;
    TAVRIX_LOG(LevelDebug) << "a chosen sound source cannot be opened; the teacher is asked";
    const bool goOn = ShowMessageBox(BoxCaption::Tip, question, MB_YESNO | MB_ICONWARNING) == IDYES;
    TAVRIX_LOG(LevelDebug) << (goOn ? "the teacher starts without it" : "the teacher does not start without it");
    return goOn;
}

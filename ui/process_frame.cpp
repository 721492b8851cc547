#include "ui/process_frame.h"

#include "recording/encoder_process_win.h"
#include "recording/record_options.h"
#include "support/log.h"
#include "support/text_win.h"
#include "ui/finish_wait_win.h"
#include "ui/frame_table.h"
#include "ui/ink_session_win.h"
#include "ui/message_box_win.h"
#include "ui/save_recording_win.h"
#include "ui/window_state.h"

const FrameDescription& CRecProcessFrameWnd::Description() const { return kProcessFrame; }

void CRecProcessFrameWnd::OnBeforeSkin() {
    m_pm.AddPreMessageFilter(this);
}

void CRecProcessFrameWnd::OnSkinReady() {
    m_closeBtn = m_pm.FindControl(L"closeBtn");
    m_resumeBtn = m_pm.FindControl(L"resumeBtn");
    m_discardBtn = m_pm.FindControl(L"discardBtn");
    m_doneBtn = m_pm.FindControl(L"doneBtn");
    ProcessHwnd = m_hWnd;
    m_resumeBtn->SetFocus();
}

void CRecProcessFrameWnd::OnFinalMessage(HWND hWnd) {
    m_pm.RemovePreMessageFilter(this);
    SkinnedFrame::OnFinalMessage(hWnd);
}

LRESULT CRecProcessFrameWnd::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool&) {
    return uMsg == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE) ? 1 : 0;
}

void CRecProcessFrameWnd::Notify(TNotifyUI& msg) {
    // While the encoder throws the recording away the buttons do nothing.
    if (m_discarding) return;
    if (msg.sType == L"setfocus") {
        // Whatever takes the focus, it goes back to resume: a stray Enter or
        // Space then goes on recording and never throws the recording away.
        m_resumeBtn->SetFocus();
        return;
    }
    if (msg.sType != L"click" || msg.pSender == nullptr) return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"closeBtn" || name == L"resumeBtn") {
        ResumeRecording();
    } else if (name == L"discardBtn") {
        DiscardRecording();
    } else if (name == L"doneBtn") {
        InkSession::Instance().Ended();  // the lesson is over: its drawing leaves the screen
        SaveRecording();
    }
}

void CRecProcessFrameWnd::ResumeRecording() {
    ::ShowWindow(m_hWnd, SW_HIDE);
    ::ShowWindow(StatusHwnd, SW_SHOW);
    EncoderProcess::Resume();
    RunElapsedClock();
    SetTimer(StatusHwnd, kElapsedTimerId, kElapsedTimerPeriodMs, nullptr);
    if (RecordOptions::Instance()->customArea == 1 && CornerHwnd != nullptr) {
        ::ShowWindow(CornerHwnd, SW_SHOW);
        InvalidateRect(CornerHwnd, nullptr, TRUE);
    }
}

void CRecProcessFrameWnd::DiscardRecording() {
    TAVRIX_LOG(LevelDebug) << "the recording is discarded";
    m_discarding = true;
    if (StatusHwnd != nullptr) KillTimer(StatusHwnd, kElapsedTimerId);
    // The encoder throws the recording away and exits at once, however long
    // the lesson: no join, no waiting. It goes first: hiding windows may take
    // the system a moment.
    const bool deleted = EncoderProcess::Discard(PumpingWait());
    InkSession::Instance().Ended();
    ::ShowWindow(m_hWnd, SW_HIDE);
    ::ShowWindow(StatusHwnd, SW_HIDE);
    ResetElapsedTime();
    if (!deleted) {
        TAVRIX_LOG(LevelDebug) << "the discarded recording could not be deleted";
        ShowMessageBox(BoxCaption::None, L"失败");
    }
    ::ShowWindow(StartupHwnd, SW_RESTORE);
    m_discarding = false;
}

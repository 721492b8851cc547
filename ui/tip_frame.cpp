#include "ui/tip_frame.h"

#include <new>

#include "recording/record_options.h"
#include "ui/frame_table.h"
#include "ui/ready_frame.h"
#include "ui/screens_win.h"
#include "ui/window_state.h"

RecTSFrame::~RecTSFrame() {
    delete m_ready;
}

const FrameDescription& RecTSFrame::Description() const { return kTipFrame; }

void RecTSFrame::OnSkinReady() {
    m_optTip = static_cast<COptionUI*>(m_pm.FindControl(L"OptTip")->GetInterface(L"Option"));
}

LRESULT RecTSFrame::HandleOwnMessage(UINT uMsg, WPARAM, LPARAM, bool& handled) {
    handled = false;
    // Closed through the system (Alt+F4) while the tip is up: the start is
    // abandoned and the startup window comes back, or no window would be left.
    if (uMsg == WM_CLOSE && IsWindowVisible(m_hWnd)) ::ShowWindow(StartupHwnd, SW_RESTORE);
    return 0;
}

void RecTSFrame::Notify(TNotifyUI& msg) {
    if (msg.sType != L"click" || msg.pSender == nullptr) return;
    const std::wstring& name = msg.pSender->GetName();
    if (name == L"btnOK" || name == L"btnClose") {
        ContinueToCountdown();
    } else if (name == L"OptTip") {
        // The click arrives before the option changes: ticking it (it was
        // clear) turns the tip off, clearing it again turns the tip back on.
        RecordOptions::Instance()->showTip = m_optTip->IsSelected() ? 1 : 0;
    }
}

void RecTSFrame::ContinueToCountdown() {
    ShowWindow(false, false);
    if (m_ready == nullptr) {
        m_ready = new (std::nothrow) CReadyFrameWnd;
        if (m_ready == nullptr) return;
        m_ready->SetOwnerSlot(&m_ready);
    }
    // One countdown per start: a window already made has run its course.
    if (m_ready->GetHWND() != nullptr) return;
    m_ready->Create(nullptr, L"", kFlowWindowStyle, 0, 0, 0, 0, 0);
    // Gone with its window, or left empty by a broken skin (the user was told).
    if (m_ready == nullptr || m_ready->GetHWND() == nullptr || !m_ready->SkinReady()) return;
    const RECT area = RecordedWorkArea();
    m_ready->CenterWindow(&area);
    m_ready->ShowWindow(true, true);
}

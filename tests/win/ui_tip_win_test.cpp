// The tip window under Wine: "OptTip" decides whether the next start shows
// the tip, OK and close both go on to the countdown, closing it through the
// system goes back to the startup window, and discarding it takes the
// countdown window with it.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "recording/encoder_process_win.h"
#include "recording/record_options.h"
#include "tests/win/ui_test_support.h"
#include "ui/ready_frame.h"
#include "ui/tip_frame.h"
#include "ui/window_state.h"

namespace {

class TipTest : public FlowTest {
protected:
    void TearDown() override {
        m_tip.reset();
        FlowTest::TearDown();
    }
    // As the startup window makes it at a start with the tip on.
    RecTSFrame& ShowTip() {
        m_tip.reset(new RecTSFrame);
        m_tip->Create(nullptr, L"", kFlowWindowStyle, 0, 0, 0, 0, 0);
        m_tip->CenterWindow();
        m_tip->ShowWindow(true, true);
        Pump(200);
        return *m_tip;
    }
    bool OptTipSelected() {
        auto* option = static_cast<COptionUI*>(Control(*m_tip, L"OptTip")->GetInterface(L"Option"));
        return option != nullptr && option->IsSelected();
    }
    static bool CountdownShown() {
        const HWND ready = FindOwnWindow(L"ReadyFrameWndClass");
        return ready != nullptr && IsWindowVisible(ready);
    }
    std::unique_ptr<RecTSFrame> m_tip;
};

TEST_F(TipTest, TickingOptTipThenOkTurnsTheTipOffForLaterStarts) {
    RecTSFrame& tip = ShowTip();
    ASSERT_TRUE(tip.SkinReady()) << tip.SkinProblem();
    ASSERT_FALSE(OptTipSelected());
    Click(tip, L"OptTip");
    Pump(200);
    EXPECT_TRUE(OptTipSelected());
    EXPECT_EQ(RecordOptions::Instance()->showTip, 0);
    // Clicks on the option alone never leave the tip.
    EXPECT_TRUE(IsWindowVisible(tip.GetHWND()));
    EXPECT_FALSE(CountdownShown());

    Click(tip, L"btnOK");
    ASSERT_TRUE(PumpUntil(CountdownShown, 1000));
    EXPECT_FALSE(IsWindowVisible(tip.GetHWND()));
    EXPECT_EQ(RecordOptions::Instance()->showTip, 0);
    EXPECT_EQ(CountdownValue, 3);
}

TEST_F(TipTest, TickingAndClearingOptTipKeepsTheTipAndCloseAlsoContinues) {
    RecTSFrame& tip = ShowTip();
    Click(tip, L"OptTip");
    Pump(200);
    Click(tip, L"OptTip");
    Pump(200);
    EXPECT_FALSE(OptTipSelected());
    EXPECT_EQ(RecordOptions::Instance()->showTip, 1);

    Click(tip, L"btnClose");
    ASSERT_TRUE(PumpUntil(CountdownShown, 1000));
    EXPECT_FALSE(IsWindowVisible(tip.GetHWND()));
    EXPECT_TRUE(IsWindow(tip.GetHWND()));
    EXPECT_EQ(RecordOptions::Instance()->showTip, 1);
    EXPECT_FALSE(startup.Visible());
}

TEST_F(TipTest, ContinuingAtOnceAndDiscardingLeaveNoWindowBehind) {
    // A start with the tip off: made, then straight on to the countdown.
    m_tip.reset(new RecTSFrame);
    m_tip->Create(nullptr, L"", kFlowWindowStyle, 0, 0, 0, 0, 0);
    const HWND tipWindow = m_tip->GetHWND();
    m_tip->ContinueToCountdown();
    EXPECT_FALSE(IsWindowVisible(tipWindow));
    ASSERT_TRUE(CountdownShown());
    const HWND readyWindow = FindOwnWindow(L"ReadyFrameWndClass");
    EXPECT_EQ(CountdownValue, 3);
    ASSERT_TRUE(PumpUntil([] { return CountdownValue == 2; }, 2500));

    // The next start discards it: both windows go, and so do the count's
    // timer and the encoder that waited for its end.
    m_tip.reset();
    EXPECT_FALSE(IsWindow(tipWindow));
    EXPECT_FALSE(IsWindow(readyWindow));
    EXPECT_FALSE(IsEncoderProcessRunning());
    Pump(2500);
    EXPECT_EQ(StatusHwnd, nullptr);
    EXPECT_EQ(env.EncoderEvents().back(), "discarded");
    EXPECT_EQ(env.CommandsReceived("g\n"), 0);
}

TEST_F(TipTest, ClosingTheTipThroughTheSystemGoesBackToTheStartupWindow) {
    RecTSFrame& tip = ShowTip();
    const HWND tipWindow = tip.GetHWND();
    TakeQuitSeen();
    SendMessageW(tipWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(200);
    EXPECT_FALSE(IsWindow(tipWindow));
    EXPECT_TRUE(startup.Visible());
    EXPECT_FALSE(CountdownShown());
    EXPECT_FALSE(TakeQuitSeen());
    EXPECT_EQ(startup.Closes(), 0);
    // The startup window discards the object later; its window is gone already.
    m_tip.reset();
}

}  // namespace

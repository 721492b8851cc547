// The countdown under Wine with real timers: "3", "2", "1" while the test
// encoder waits, held, then it goes and the status bar comes up; back
// abandons the start and discards the encoder; a second recording reuses the
// bar; Alt+F4 ends the program and the waiting encoder.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "recording/encoder_process_win.h"
#include "tests/win/ui_test_support.h"
#include "ui/process_frame.h"
#include "ui/ready_frame.h"
#include "ui/status_frame.h"
#include "ui/window_state.h"

namespace {

TEST_F(FlowTest, CountsThreeTwoOneThenStartsTheEncoderAndShowsTheBar) {
    const DWORD created = GetTickCount();
    CReadyFrameWnd* ready = StartCountdown();
    ASSERT_TRUE(ready->SkinReady()) << ready->SkinProblem();
    const HWND readyWindow = ready->GetHWND();
    EXPECT_TRUE(IsWindowVisible(readyWindow));

    // Every text the number shows, in order, until the bar is up; what the
    // encoder had received when the number showed "1".
    std::vector<std::wstring> shown{ControlText(*ready, L"numText")};
    std::vector<std::string> eventsAtOne;
    DWORD hiddenAfter = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            const std::wstring now = ControlText(*ready, L"numText");
            if (now != shown.back()) shown.push_back(now);
            if (now == L"1" && eventsAtOne.empty()) eventsAtOne = env.EncoderEvents();
            if (hiddenAfter == 0 && !IsWindowVisible(readyWindow)) hiddenAfter = GetTickCount() - created;
            return StatusHwnd != nullptr && IsWindowVisible(StatusHwnd);
        },
        6000));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"3", L"2", L"1", L"3"}));
    EXPECT_EQ(CountdownValue, 3);
    EXPECT_FALSE(IsWindowVisible(readyWindow));
    // Three ticks of a one-second timer.
    EXPECT_GE(hiddenAfter, 2700u);

    // The encoder was started held during the count, and told to go at its end.
    ASSERT_EQ(eventsAtOne.size(), 2u);
    EXPECT_EQ(eventsAtOne[0].rfind("start ", 0), 0u) << eventsAtOne[0];
    EXPECT_EQ(eventsAtOne[1], "command 68 0a");
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("g\n") == 1; }, 3000));
    EXPECT_EQ(env.EncoderEvents().size(), 3u);
    EXPECT_FALSE(EncoderProcess::IsPrepared());
    EXPECT_TRUE(IsEncoderProcessRunning());

    // The bar counts from "00:00:00", and the after-recording window waits hidden.
    RecStatusFrame* bar = ready->StatusBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetHWND(), StatusHwnd);
    EXPECT_EQ(ControlText(*bar, L"timeText"), L"00:00:00");
    ASSERT_NE(ProcessHwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
    EXPECT_EQ(CountOwnWindows(L"RecStatusFrameWndClass"), 1);
    EXPECT_TRUE(WaitTicks(1));
    EXPECT_EQ(ControlText(*bar, L"timeText"), L"00:00:01");
    EXPECT_EQ(startup.Closes(), 0);
}

TEST_F(FlowTest, BackDuringTwoLeavesTheCounterAtThreeAndStartsNothing) {
    CReadyFrameWnd* ready = StartCountdown();
    ASSERT_TRUE(ready->SkinReady()) << ready->SkinProblem();
    ASSERT_TRUE(PumpUntil([&] { return ControlText(*ready, L"numText") == L"2"; }, 2500));
    EXPECT_EQ(CountdownValue, 2);
    Click(*ready, L"backBtn");
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 1000));
    EXPECT_EQ(CountdownValue, 3);
    EXPECT_EQ(ControlText(*ready, L"numText"), L"3");
    EXPECT_FALSE(IsWindowVisible(ready->GetHWND()));

    // The timer is gone: well past the end of the count nothing has started,
    // and the encoder that waited was thrown away without a trace.
    Pump(3000);
    EXPECT_EQ(CountdownValue, 3);
    const std::vector<std::string> events = env.EncoderEvents();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[1], "command 68 0a");
    EXPECT_EQ(events[2], "command 64 0a");
    EXPECT_EQ(events[3], "discarded");
    EXPECT_FALSE(IsEncoderProcessRunning());
    EXPECT_FALSE(EncoderProcess::IsPrepared());
    EXPECT_EQ(GetFileAttributesW(RecordingFolderOf(env.RecordingFile()).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(StatusHwnd, nullptr);
    EXPECT_EQ(CountOwnWindows(L"RecStatusFrameWndClass"), 0);
}

TEST_F(FlowTest, SecondRecordingReusesTheBarAndRestartsItsTimer) {
    RecordUntilBarShown();
    const HWND bar = StatusHwnd;
    ASSERT_TRUE(WaitTicks(2));
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:02");

    // Stop, then discard: the bar hides, its time goes back to zero.
    Click(Bar(), L"btnStop");
    ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(ProcessHwnd) != FALSE; }, 2000));
    Pump(150);
    Click(After(), L"discardBtn");
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 5000));
    EXPECT_FALSE(IsWindowVisible(bar));
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:00");

    // The next start: a new countdown, the same bar, counting again from zero.
    ShowWindow(StartupHwnd, SW_HIDE);
    CReadyFrameWnd* second = StartCountdown();
    ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(StatusHwnd) != FALSE; }, 6000));
    EXPECT_EQ(StatusHwnd, bar);
    EXPECT_EQ(second->StatusBar(), nullptr);
    EXPECT_EQ(CountOwnWindows(L"RecStatusFrameWndClass"), 1);
    EXPECT_EQ(CountOwnWindows(L"RecProcessWndClass"), 1);
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:00");
    EXPECT_EQ(ElapsedSeconds, 0);
    ASSERT_TRUE(WaitTicks(1));
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:01");
    EXPECT_TRUE(IsEncoderProcessRunning());
}

TEST_F(FlowTest, AltF4OnTheCountdownEndsTheProgram) {
    CReadyFrameWnd* ready = StartCountdown();
    ASSERT_TRUE(ready->SkinReady()) << ready->SkinProblem();
    Pump(200);
    TakeQuitSeen();
    SendMessageW(ready->GetHWND(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(200);
    EXPECT_TRUE(TakeQuitSeen());
    EXPECT_EQ(startup.Closes(), 0);
    // The encoder that waited for the count went with it.
    EXPECT_EQ(env.EncoderEvents().back(), "discarded");
    EXPECT_FALSE(IsEncoderProcessRunning());
}

}  // namespace

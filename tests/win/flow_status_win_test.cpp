// The status bar under Wine with the test encoder: the elapsed time from the
// timer's ticks, pausing by stop, close and the pause key (also minimised),
// nothing while hidden, and the encoder vanishing during a recording.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/window_state.h"
#include "hook/hook_dll.h"
#include "recording/encoder_process_win.h"
#include "tests/win/flow_harness.h"
#include "ui/process_frame.h"
#include "ui/ready_frame.h"
#include "ui/status_frame.h"

namespace {

TEST_F(FlowTest, ElapsedTextFollowsTheTicks) {
    RecordUntilBarShown();
    const DWORD start = GetTickCount();
    ASSERT_TRUE(WaitTicks(3));
    // Ticks of a one-second timer, not a clock difference, but about a second each.
    EXPECT_GE(GetTickCount() - start, 2500u);
    EXPECT_EQ(ElapsedSeconds, 3);
    EXPECT_EQ(ElapsedText, L"00:00:03");
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:03");

    // Every WM_TIMER is a tick while the encoder runs, whatever its id.
    for (int i = 0; i < 58; ++i) PostMessageW(StatusHwnd, WM_TIMER, kElapsedTimerId, 0);
    PostMessageW(StatusHwnd, WM_TIMER, 7, 0);
    Pump(200);
    EXPECT_EQ(ElapsedSeconds, 62);
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:01:02");
    EXPECT_EQ(startup.Closes(), 0);
}

TEST_F(FlowTest, StopPausesAndBringsTheAfterRecordingWindowToTheFront) {
    RecordUntilBarShown();
    ASSERT_TRUE(WaitTicks(1));
    Click(Bar(), L"btnStop");
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 1; }, 2000));
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
    EXPECT_EQ(TopOwnWindow(), ProcessHwnd);

    // Paused time is not counted.
    const int32_t kept = ElapsedSeconds;
    Pump(2200);
    EXPECT_EQ(ElapsedSeconds, kept);
    EXPECT_EQ(env.CommandsReceived("p\n"), 1);
    // The encoder only got "p\n": no carriage return, no other bytes.
    EXPECT_EQ(env.EncoderEvents().back(), "command 70 0a");
}

TEST_F(FlowTest, CloseButtonPausesLikeStop) {
    RecordUntilBarShown();
    Click(Bar(), L"btnClose");
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 1; }, 2000));
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
    EXPECT_TRUE(IsWindow(StatusHwnd));  // the bar is hidden, not closed
}

TEST_F(FlowTest, StopCloseAndHotKeyDoNothingWhileTheBarIsHidden) {
    RecordUntilBarShown();
    PostMessageW(StatusHwnd, WM_HOTKEY, kPauseHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 1; }, 2000));
    ASSERT_TRUE(IsWindowVisible(ProcessHwnd));

    // Hidden: every way of pausing again is ignored; a timer started by
    // someone else would show that the pause did not stop it a second time.
    PostMessageW(StatusHwnd, WM_HOTKEY, kPauseHotKeyId, 0);
    Click(Bar(), L"btnStop");
    Click(Bar(), L"btnClose");
    Pump(500);
    EXPECT_EQ(env.CommandsReceived("p\n"), 1);
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
}

TEST_F(FlowTest, HotKeyPausesAMinimisedBar) {
    RecordUntilBarShown();
    Click(Bar(), L"btnMin");
    ASSERT_TRUE(PumpUntil([] { return IsIconic(StatusHwnd) != FALSE; }, 2000));
    EXPECT_TRUE(IsWindowVisible(StatusHwnd));
    EXPECT_EQ(env.CommandsReceived("p\n"), 0);
    // Minimised, the bar still counts.
    ASSERT_TRUE(WaitTicks(1));

    PostMessageW(StatusHwnd, WM_HOTKEY, kPauseHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 1; }, 2000));
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
}

TEST_F(FlowTest, RealF10ThroughTheHookPausesOnlyWhileTheBarIsUp) {
    ASSERT_EQ(installHook(), 1);
    RecordUntilBarShown();
    SetForegroundWindow(StatusHwnd);
    const auto pressF10 = [] {
        INPUT keys[2] = {};
        for (INPUT& key : keys) {
            key.type = INPUT_KEYBOARD;
            key.ki.wVk = VK_F10;
            key.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_F10, MAPVK_VK_TO_VSC));
        }
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, keys, sizeof(INPUT));
    };
    pressF10();
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 1; }, 2000));
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
    pressF10();
    Pump(500);
    EXPECT_EQ(env.CommandsReceived("p\n"), 1);
    uninstallHook();
}

// The test encoder told by its environment to fail.
class FailingEncoderTest : public FlowTest {
protected:
    void Fail(const wchar_t* how, const wchar_t* value) {
        m_how = how;
        SetEnvironmentVariableW(how, value);
    }
    void TearDown() override {
        if (m_how != nullptr) SetEnvironmentVariableW(m_how, nullptr);
        FlowTest::TearDown();
    }
    const wchar_t* m_how = nullptr;
};

TEST_F(FailingEncoderTest, VanishingIsReportedAtTheNextTickAndClosesTheStartupWindow) {
    Fail(L"TAVRIX_FAKE_ENCODER_CRASH_AFTER_MS", L"1500");
    BoxWatcher watcher([this] {
        return std::to_wstring(ElapsedSeconds) + L" " + std::to_wstring(startup.Closes());
    });
    RecordUntilBarShown();
    ASSERT_TRUE(PumpUntil([&] { return startup.Closes() == 1; }, 6000));
    ASSERT_EQ(watcher.Seen().size(), 1u);
    const SeenBox box = watcher.Seen()[0];
    EXPECT_EQ(box.caption, L"提示");
    EXPECT_EQ(box.text, L"Tavrix异常!");
    EXPECT_TRUE(box.errorIcon);
    // Counted while the encoder ran, not at the tick that found it gone; the
    // startup window is closed only after the box.
    EXPECT_GE(ElapsedSeconds, 1);
    EXPECT_EQ(box.note, std::to_wstring(ElapsedSeconds) + L" 0");
    EXPECT_EQ(ControlText(Bar(), L"timeText"), FormatElapsed(ElapsedSeconds));
    EXPECT_FALSE(IsEncoderProcessRunning());
    // The timer is stopped: no second box, no further count.
    const int32_t count = ElapsedSeconds;
    Pump(2200);
    EXPECT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(startup.Closes(), 1);
    EXPECT_EQ(ElapsedSeconds, count);
}

TEST_F(FailingEncoderTest, ExitingAtOnceIsReportedAtTheFirstTickWithTheCountAtZero) {
    Fail(L"TAVRIX_FAKE_ENCODER_EXIT_AT_ONCE", L"0");
    BoxWatcher watcher([] { return std::to_wstring(ElapsedSeconds); });
    RecordUntilBarShown();
    ASSERT_TRUE(PumpUntil([&] { return startup.Closes() == 1; }, 4000));
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"Tavrix异常!");
    EXPECT_EQ(watcher.Seen()[0].note, L"0");
    EXPECT_EQ(ElapsedSeconds, 0);
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:00");
}

}  // namespace

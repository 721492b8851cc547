// The status bar under Wine with the test encoder: the recorded time (also
// across ten pauses), pausing by stop, close, the system's close and the
// pause key (also minimised), nothing while hidden, the encoder vanishing,
// low disk space, and a pause with no after-recording window.
#include <gtest/gtest.h>

#include <windows.h>

#include "hook/hook_dll.h"
#include "recording/disk_space_win.h"
#include "recording/encoder_process_win.h"
#include "tests/win/ui_test_support.h"
#include "ui/process_frame.h"
#include "ui/ready_frame.h"
#include "ui/status_frame.h"
#include "ui/window_state.h"

namespace {

TEST_F(FlowTest, ElapsedTextFollowsTheRecordedTime) {
    RecordUntilBarShown();
    const DWORD start = GetTickCount();
    ASSERT_TRUE(WaitTicks(3));
    EXPECT_GE(GetTickCount() - start, 1900u);
    EXPECT_EQ(ElapsedSeconds, 3);
    EXPECT_EQ(ElapsedText, L"00:00:03");
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:03");

    // Extra timer messages do not count: only the clock does.
    for (int i = 0; i < 58; ++i) PostMessageW(StatusHwnd, WM_TIMER, kElapsedTimerId, 0);
    Pump(200);
    EXPECT_LE(ElapsedSeconds, 4);
    EXPECT_EQ(startup.Closes(), 0);
}

// Each resume used to restart a one-second timer and drop the partial
// second: ten stretches of 0.6 s showed 00:00:00.
TEST_F(FlowTest, TheCounterAfterTenPausesIsTheRecordedTime) {
    RecordUntilBarShown();
    const CRecProcessFrameWnd* after = Bar().AfterRecordingWindow();
    ASSERT_NE(after, nullptr);
    DWORD recorded = 0;
    for (int i = 0; i < 10; ++i) {
        const DWORD from = GetTickCount();
        Pump(600);
        PostMessageW(StatusHwnd, WM_HOTKEY, kPauseHotKeyId, 0);
        ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(ProcessHwnd) != FALSE; }, 2000));
        recorded += GetTickCount() - from;
        Pump(150);  // paused time must not count
        if (i < 9) {
            Click(After(), L"resumeBtn");
            ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(StatusHwnd) != FALSE; }, 2000));
        }
    }
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 10; }, 3000));
    EXPECT_EQ(env.CommandsReceived("r\n"), 9);
    // Six seconds recorded in pieces of 0.6 s (the old count showed 0 here);
    // the clock also ran while the bar came up before the first piece, but
    // never through the pauses: at most a second more than measured.
    EXPECT_GE(ElapsedSeconds, 5);
    EXPECT_LE(ElapsedSeconds, static_cast<int32_t>(recorded / 1000) + 1);
    EXPECT_EQ(ControlText(Bar(), L"timeText"), FormatElapsed(ElapsedSeconds));
}

// Alt+F4 (and the system menu's or the task bar's close) on the bar used to
// destroy it and leave the encoder recording with nothing to stop it.
TEST_F(FlowTest, ClosingTheBarThroughTheSystemPausesInsteadOfDestroyingIt) {
    RecordUntilBarShown();
    // Real keys: Alt+F4 on the focused bar, which the system turns into its
    // close command.
    SetForegroundWindow(StatusHwnd);
    SetFocus(StatusHwnd);
    Pump(100);
    INPUT keys[4] = {};
    const WORD order[4][2] = {{VK_MENU, 0}, {VK_F4, 0}, {VK_F4, KEYEVENTF_KEYUP}, {VK_MENU, KEYEVENTF_KEYUP}};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = order[i][0];
        keys[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(order[i][0], MAPVK_VK_TO_VSC));
        keys[i].ki.dwFlags = order[i][1];
    }
    SendInput(4, keys, sizeof(INPUT));
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 1; }, 3000));
    EXPECT_TRUE(IsWindow(StatusHwnd));
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
    // The task bar's close is a plain WM_CLOSE: while paused it does nothing.
    SendMessageW(StatusHwnd, WM_CLOSE, 0, 0);
    SendMessageW(StatusHwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(200);
    EXPECT_TRUE(IsWindow(StatusHwnd));
    EXPECT_EQ(env.CommandsReceived("p\n"), 1);
    // And the recording goes on after resume, with the bar back.
    Click(After(), L"resumeBtn");
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("r\n") == 1; }, 2000));
    EXPECT_TRUE(IsWindowVisible(StatusHwnd));
    SendMessageW(StatusHwnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 2; }, 2000));
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
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

const wchar_t kEncoderLost[] = L"录像程序意外停止了，录制已经结束。已经录下的内容都保留着。";

// The encoder gone: one box (never one a second), the timer stopped, and the
// program back at its startup window with the recording kept.
TEST_F(FailingEncoderTest, VanishingIsReportedOnceAndTheRecordingKept) {
    Fail(L"TAVRIX_FAKE_ENCODER_CRASH_AFTER_MS", L"2500");
    BoxWatcher watcher([this] {
        return std::to_wstring(ElapsedSeconds) + L" " + (IsWindowVisible(ProcessHwnd) ? L"after" : L"-") +
               (IsWindowVisible(StatusHwnd) ? L" bar" : L" -");
    });
    RecordUntilBarShown();
    const std::wstring recording = env.RecordingFile();
    ASSERT_TRUE(PumpUntil([&] { return !watcher.Seen().empty(); }, 6000));
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 3000));
    Pump(2500);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    const SeenDialog box = watcher.Seen()[0];
    EXPECT_EQ(box.caption, L"提示");
    EXPECT_EQ(box.text, kEncoderLost);
    EXPECT_TRUE(box.errorIcon);
    // Counted while the encoder ran; nothing left usable behind the box.
    EXPECT_EQ(box.note.substr(box.note.find(L' ')), L" - -");
    EXPECT_GE(std::stoi(box.note), 1);
    EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
    EXPECT_EQ(startup.Closes(), 0);
    // What was recorded stays; the next recording goes elsewhere.
    EXPECT_NE(GetFileAttributesW(recording.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(env.RecordingFile(), recording);
    DeleteRecordingFiles(recording);
}

TEST_F(FailingEncoderTest, VanishingWhilePausedLeavesNoUsableAfterRecordingWindow) {
    BoxWatcher watcher;
    RecordUntilBarShown();
    PostMessageW(StatusHwnd, WM_HOTKEY, kPauseHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 1; }, 2000));
    ASSERT_TRUE(IsWindowVisible(ProcessHwnd));
    TerminateEncoderProcesses();  // ended from outside, as the Task Manager does
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 5000));
    Pump(1000);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, kEncoderLost);
    EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
}

TEST_F(FailingEncoderTest, ExitingAtOnceIsReportedAtTheFirstTickWithTheCountAtZero) {
    Fail(L"TAVRIX_FAKE_ENCODER_EXIT_AT_ONCE", L"0");
    BoxWatcher watcher([] { return std::to_wstring(ElapsedSeconds); });
    StartCountdown();
    ASSERT_TRUE(PumpUntil([&] { return StatusHwnd != nullptr && !watcher.Seen().empty() && startup.Visible(); }, 9000));
    m_bar = m_ready->StatusBar();
    Pump(500);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, kEncoderLost);
    EXPECT_EQ(watcher.Seen()[0].note, L"0");
    EXPECT_EQ(ElapsedSeconds, 0);
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:00");
    // The one prepared during the count had ended: another was started at its end.
    int starts = 0;
    for (const std::string& event : env.EncoderEvents()) starts += event.rfind("start ", 0) == 0 ? 1 : 0;
    EXPECT_EQ(starts, 2);
}

// Too little room on the disk while recording: paused as F10 does, and told.
TEST_F(FlowTest, LowDiskSpacePausesTheRecordingAndSaysWhy) {
    uint64_t freeBytes = 300 * kMegabyte;
    FreeSpaceProbe = [&freeBytes](const std::wstring&) { return freeBytes; };
    BoxWatcher watcher([] { return std::wstring(IsWindowVisible(ProcessHwnd) ? L"paused" : L"recording"); });
    RecordUntilBarShown();
    Pump(2500);
    EXPECT_EQ(env.CommandsReceived("p\n"), 0);  // 300 MB is enough to go on
    freeBytes = 150 * kMegabyte;
    ASSERT_TRUE(PumpUntil([&] { return !watcher.Seen().empty(); }, 4000));
    FreeSpaceProbe = FreeBytesFor;
    EXPECT_EQ(env.CommandsReceived("p\n"), 1);
    EXPECT_EQ(watcher.Seen()[0].text, kTooLittleSpacePausedText);
    EXPECT_EQ(watcher.Seen()[0].caption, L"提示");
    EXPECT_EQ(watcher.Seen()[0].note, L"paused");
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
    EXPECT_EQ(watcher.Seen().size(), 1u);
}

// A pause with no after-recording window: told, and the recording finished
// and offered for saving rather than left paused with nothing on screen.
TEST_F(FlowTest, APauseWithoutTheAfterRecordingWindowFinishesAndOffersToSave) {
    RecordUntilBarShown();
    Pump(800);
    DestroyWindow(ProcessHwnd);  // its end also posts the quit message
    Pump(100);
    TakeQuitSeen();
    ASSERT_EQ(Bar().AfterRecordingWindow(), nullptr);
    // The Save dialog is cancelled by the watcher, which deletes the recording.
    BoxWatcher watcher([this] { return std::to_wstring(env.CommandsReceived("q\n")); }, IDCANCEL);
    PostMessageW(StatusHwnd, WM_HOTKEY, kPauseHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([&] { return watcher.Seen().size() >= 2 && startup.Visible(); }, 8000));
    const std::vector<SeenDialog> seen = watcher.Seen();
    EXPECT_EQ(seen[0].text, L"暂停窗口打不开，录制已经结束。请选择保存录像的位置。");
    EXPECT_EQ(seen[0].note, L"0");
    EXPECT_EQ(seen[1].caption, L"Save Record File");
    EXPECT_EQ(seen[1].note, L"1");
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
}

}  // namespace

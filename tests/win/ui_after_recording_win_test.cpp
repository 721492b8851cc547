// The after-recording window under Wine with the test encoder: resume (and
// close) go on counting, discard ends and deletes the recording, done leads
// into saving, Alt+F4 keeps the window, and the focus stays on resume.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <thread>

#include "recording/encoder_process_win.h"
#include "recording/leftover_recording.h"
#include "tests/win/ui_test_support.h"
#include "ui/finish_wait_win.h"
#include "ui/process_frame.h"
#include "ui/ready_frame.h"
#include "ui/status_frame.h"
#include "ui/window_state.h"

namespace {

// A recording paused by the stop button, the after-recording window up.
class PausedTest : public FlowTest {
protected:
    void Pause() {
        const int pauses = env.CommandsReceived("p\n");
        Click(Bar(), L"btnStop");
        ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == pauses + 1; }, 2000));
        ASSERT_TRUE(IsWindowVisible(ProcessHwnd));
        Pump(150);
    }
    bool FileThere() const { return GetFileAttributesW(env.RecordingFile().c_str()) != INVALID_FILE_ATTRIBUTES; }
};

TEST_F(PausedTest, ResumeSendsRAndTheCountGoesOnFromWhereItStopped) {
    RecordUntilBarShown();
    ASSERT_TRUE(WaitTicks(2));
    Pause();
    const int32_t kept = ElapsedSeconds;
    Pump(1500);
    Click(After(), L"resumeBtn");
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("r\n") == 1; }, 2000));
    EXPECT_EQ(env.EncoderEvents().back(), "command 72 0a");
    EXPECT_TRUE(IsWindowVisible(StatusHwnd));
    EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
    EXPECT_EQ(ElapsedSeconds, kept);
    EXPECT_EQ(ControlText(Bar(), L"timeText"), FormatElapsed(kept));
    ASSERT_TRUE(WaitTicks(1));
    EXPECT_EQ(ElapsedSeconds, kept + 1);
    EXPECT_EQ(ControlText(Bar(), L"timeText"), FormatElapsed(kept + 1));

    // The close button resumes exactly like resume.
    Pause();
    Click(After(), L"closeBtn");
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("r\n") == 2; }, 2000));
    EXPECT_TRUE(IsWindowVisible(StatusHwnd));
    EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
    EXPECT_TRUE(IsEncoderProcessRunning());
}

TEST_F(PausedTest, DiscardEndsTheEncoderDeletesTheFileAndShowsTheStartupWindow) {
    // An encoder that would take 6 s to finish: a discard must not wait for it.
    SetEnvironmentVariableW(L"TAVRIX_FAKE_ENCODER_FINISH_MS", L"6000");
    RecordUntilBarShown();
    SetEnvironmentVariableW(L"TAVRIX_FAKE_ENCODER_FINISH_MS", nullptr);
    ASSERT_TRUE(WaitTicks(2));
    Pause();
    ASSERT_TRUE(FileThere());
    BoxWatcher watcher;
    // Thrown away by the encoder at once, not finished first. Timed from
    // another thread until the encoder and the file are gone: the stand-in
    // startup window has a caption, which Wine without a window manager
    // shows up to two seconds late.
    std::atomic<DWORD> took{0};
    const DWORD clicked = GetTickCount();
    std::thread timer([&] {
        while (GetTickCount() - clicked < 8000 && (FileThere() || IsEncoderProcessRunning())) Sleep(10);
        took = GetTickCount() - clicked;
    });
    Click(After(), L"discardBtn");
    const bool back = PumpUntil([&] { return startup.Visible(); }, 8000);
    timer.join();
    ASSERT_TRUE(back);
    EXPECT_LT(took.load(), 1500u);
    std::printf("discard: %lu ms from the click to the encoder and the file gone\n",
                static_cast<unsigned long>(took.load()));
    EXPECT_EQ(env.CommandsReceived("d\n"), 1);
    EXPECT_EQ(env.CommandsReceived("q\n"), 0);
    EXPECT_EQ(env.EncoderEvents().back(), "discarded");
    EXPECT_FALSE(FileThere());
    // Nothing of the recording is left, not even its folder.
    EXPECT_EQ(GetFileAttributesW(env.Folder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(IsEncoderProcessRunning());
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
    EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
    EXPECT_EQ(ElapsedSeconds, 0);
    EXPECT_EQ(ElapsedText, L"00:00:00");
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:00");
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_EQ(startup.Closes(), 0);
}

TEST_F(PausedTest, DiscardThatCannotDeleteSaysSoAndStillShowsTheStartupWindow) {
    RecordUntilBarShown();
    Pause();
    // Held open without sharing deletion, as a virus scanner or a player would.
    HANDLE holder = CreateFileW(env.RecordingFile().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    BoxWatcher watcher([this] { return std::wstring(startup.Visible() ? L"startup shown" : L"startup hidden"); });
    Click(After(), L"discardBtn");
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 5000));
    CloseHandle(holder);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"失败");
    EXPECT_EQ(watcher.Seen()[0].caption, L"");
    EXPECT_FALSE(watcher.Seen()[0].errorIcon);
    EXPECT_EQ(watcher.Seen()[0].note, L"startup hidden");
    EXPECT_TRUE(FileThere());  // the file stays where it is
    EXPECT_EQ(env.CommandsReceived("d\n"), 1);
    EXPECT_FALSE(IsEncoderProcessRunning());
}

TEST_F(PausedTest, DoneStopsTheEncoderThenAsksWhereToSave) {
    RecordUntilBarShown();
    ASSERT_TRUE(WaitTicks(1));
    Pause();
    // Cancel the Save dialog; note what the encoder had done by then.
    BoxWatcher watcher(
        [this] {
            const std::vector<std::string> events = env.EncoderEvents();
            const bool finished = std::any_of(events.begin(), events.end(),
                                              [](const std::string& e) { return e.rfind("finished", 0) == 0; });
            return std::to_wstring(env.CommandsReceived("q\n")) + (finished ? L" finished" : L" running");
        },
        IDCANCEL);
    Click(After(), L"doneBtn");
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 8000));
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].caption, L"Save Record File");
    EXPECT_EQ(watcher.Seen()[0].note, L"1 finished");
    // Cancelled: the recording is deleted and the flow is back at the start.
    EXPECT_FALSE(FileThere());
    EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
    EXPECT_EQ(ControlText(Bar(), L"timeText"), L"00:00:00");
}

// Finishing keeps the program responsive and shows its progress; a failed
// finish is told and kept, never offered as a saved lesson.
class FinishTest : public PausedTest {
protected:
    void Set(const wchar_t* name, const wchar_t* value) {
        SetEnvironmentVariableW(name, value);
        m_set.push_back(name);
    }
    void TearDown() override {
        for (const wchar_t* name : m_set) SetEnvironmentVariableW(name, nullptr);
        PausedTest::TearDown();
    }
    std::vector<const wchar_t*> m_set;
};

TEST_F(FinishTest, ALongFinishShowsProgressAndTheWindowsKeepAnswering) {
    Set(L"TAVRIX_FAKE_ENCODER_FINISH_MS", L"2500");
    RecordUntilBarShown();
    Pause();
    // From another thread, as the system does: a message round trip to the
    // program's window while the encoder finishes.
    std::atomic<bool> stop{false};
    std::atomic<DWORD> slowest{0};
    std::atomic<int> sawProgress{0};
    const HWND target = startup.Handle();
    std::thread prober([&] {
        while (!stop) {
            const HWND saving = FindOwnWindow(kSavingWindowClass);
            if (saving != nullptr && IsWindowVisible(saving)) {
                ++sawProgress;
                const DWORD from = GetTickCount();
                DWORD_PTR answer = 0;
                SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
                const DWORD took = GetTickCount() - from;
                if (took > slowest) slowest = took;
            }
            Sleep(50);
        }
    });
    BoxWatcher watcher(nullptr, IDCANCEL);
    Click(After(), L"doneBtn");
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 10000));
    stop = true;
    prober.join();
    EXPECT_GT(sawProgress.load(), 5);
    EXPECT_LT(slowest.load(), 100u);
    std::printf("slowest message round trip while finishing: %lu ms\n", static_cast<unsigned long>(slowest.load()));
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].caption, L"Save Record File");
    EXPECT_EQ(FindOwnWindow(kSavingWindowClass) == nullptr || !IsWindowVisible(FindOwnWindow(kSavingWindowClass)),
              true);
}

TEST_F(FinishTest, AFailedFinishIsToldAndTheRecordingKept) {
    Set(L"TAVRIX_FAKE_ENCODER_QUIT_EXIT", L"3");
    RecordUntilBarShown();
    Pause();
    const std::wstring recording = env.RecordingFile();
    BoxWatcher watcher;
    Click(After(), L"doneBtn");
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 8000));
    // One message, no Save dialog.
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].caption, L"提示");
    EXPECT_EQ(watcher.Seen()[0].text, FinishFailureText(3));
    EXPECT_NE(GetFileAttributesW(recording.c_str()), INVALID_FILE_ATTRIBUTES);
    // The next recording goes elsewhere, the kept one is left alone.
    EXPECT_NE(env.RecordingFile(), recording);
    EXPECT_FALSE(IsWindowVisible(StatusHwnd));
    DeleteRecordingFiles(recording);
}

TEST_F(PausedTest, AltF4LeavesTheWindowOpenAndInFront) {
    RecordUntilBarShown();
    Pause();
    TakeQuitSeen();
    SendMessageW(ProcessHwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(300);
    EXPECT_FALSE(TakeQuitSeen());
    EXPECT_TRUE(IsWindow(ProcessHwnd));
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
    EXPECT_EQ(TopOwnWindow(), ProcessHwnd);
    EXPECT_EQ(env.CommandsReceived("q\n"), 0);
    EXPECT_EQ(env.CommandsReceived("r\n"), 0);
}

TEST_F(PausedTest, FocusStaysOnResumeSoEnterResumes) {
    RecordUntilBarShown();
    Pause();
    CControlUI* resume = Control(After(), L"resumeBtn");
    EXPECT_EQ(After().PaintManager().GetFocus(), resume);
    // Tab would move the focus on; it comes straight back.
    PostMessageW(ProcessHwnd, WM_KEYDOWN, VK_TAB, 0);
    PostMessageW(ProcessHwnd, WM_KEYUP, VK_TAB, 0);
    Pump(200);
    EXPECT_EQ(After().PaintManager().GetFocus(), resume);
    // Escape does nothing; Enter presses resume.
    PostMessageW(ProcessHwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(ProcessHwnd, WM_KEYUP, VK_ESCAPE, 0);
    Pump(300);
    EXPECT_TRUE(IsWindowVisible(ProcessHwnd));
    EXPECT_EQ(env.CommandsReceived("q\n"), 0);
    PostMessageW(ProcessHwnd, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(ProcessHwnd, WM_KEYUP, VK_RETURN, 0);
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("r\n") == 1; }, 2000));
    EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
}

}  // namespace

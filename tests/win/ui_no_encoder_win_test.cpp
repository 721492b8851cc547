// The countdown when the encoder cannot be started: this program runs from a
// folder without ffmpeg.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include "ui/window_state.h"
#include "recording/encoder_process_win.h"
#include "support/text_win.h"
#include "tests/win/ui_test_support.h"
#include "ui/ready_frame.h"

namespace {

TEST_F(FlowTest, EncoderThatCannotStartIsReportedWithTheCounterBackAtThree) {
    ASSERT_EQ(GetFileAttributesW((ProgramFolder(nullptr) + L"ffmpeg.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    CReadyFrameWnd* ready = StartCountdown();
    BoxWatcher watcher([this, ready] {
        return std::to_wstring(CountdownValue) + L" " + ControlText(*ready, L"numText") + L" " +
               (IsWindowVisible(ready->GetHWND()) ? L"shown" : L"hidden") + L" " + std::to_wstring(startup.Closes());
    });
    ASSERT_TRUE(PumpUntil([&] { return startup.Closes() == 1; }, 6000));
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].caption, L"error");
    EXPECT_EQ(watcher.Seen()[0].text, L"Tavrix程序启动异常");
    EXPECT_FALSE(watcher.Seen()[0].errorIcon);
    // The counter was back at 3 and the window hidden before the box came up;
    // the startup window was closed after it.
    EXPECT_EQ(watcher.Seen()[0].note, L"3 3 hidden 0");
    EXPECT_EQ(StatusHwnd, nullptr);
    EXPECT_FALSE(IsEncoderProcessRunning());
    Pump(1500);
    EXPECT_EQ(watcher.Seen().size(), 1u);
}

}  // namespace

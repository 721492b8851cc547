// Drawing through a recording under Wine, with the real status bar, its
// after-recording window and the test encoder: the pen button and F9, the
// palette, strokes kept through a pause and a resume, everything gone at the
// end and a new recording clean; no drawing possible and the bar saying so
// while the recording goes on; click rings only when the teacher wants them.
#include <gtest/gtest.h>

#include <windows.h>

#include "hook/hook_dll.h"
#include "recording/record_options.h"
#include "tests/win/ui_test_support.h"
#include "tests/win/win_test_support.h"
#include "ui/ink_overlay_win.h"
#include "ui/ink_session_win.h"
#include "ui/pen_palette.h"
#include "ui/process_frame.h"
#include "ui/status_frame.h"
#include "ui/window_state.h"

namespace {

InkSession& Ink() { return InkSession::Instance(); }

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

bool PaletteShown() {
    return Ink().Palette() != nullptr && IsWindowVisible(Ink().Palette()->GetHWND()) != FALSE;
}

// A real click at a screen point.
void MouseClickAt(int x, int y) {
    MouseAt(x, y, MOUSEEVENTF_LEFTDOWN);
    MouseAt(x, y, MOUSEEVENTF_LEFTUP);
}

class FlowInkTest : public FlowTest {
protected:
    void TearDown() override {
        RecordOptions::Instance()->showClicks = 1;
        FlowTest::TearDown();
    }
    void Discard() {
        Click(After(), L"discardBtn");
        ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(StartupHwnd) != FALSE; }, 3000));
    }
    void Pause() {
        Click(Bar(), L"btnStop");
        ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(ProcessHwnd) != FALSE; }, 2000));
    }
};

TEST_F(FlowInkTest, PenButtonAndF9SwitchDrawingAndTheStrokesLastTheRecording) {
    RecordUntilBarShown();
    InkOverlay* overlay = Ink().Overlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->Area(), RecordOptions::Instance()->captureRect);
    EXPECT_FALSE(Ink().State().drawing);
    EXPECT_TRUE(Topmost(StatusHwnd));  // the bar stays above the drawing

    Click(Bar(), L"btnPen");
    ASSERT_TRUE(PumpUntil([] { return Ink().State().drawing; }, 2000));
    EXPECT_TRUE(overlay->IsDrawing());
    ASSERT_TRUE(PumpUntil(PaletteShown, 2000));
    EXPECT_EQ(Control(Bar(), L"btnPen")->GetBkColor(), 0xFF2563EBu);  // lit while drawing

    // A tool from the palette; then a stroke of it, drawn by the overlay.
    Click(*Ink().Palette(), L"optRectangle");
    ASSERT_TRUE(PumpUntil([] { return Ink().State().tool == InkTool::Rectangle; }, 2000));
    const HWND catching = overlay->CatchWindows().front();
    SendMessageW(catching, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(catching, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 90));
    SendMessageW(catching, WM_LBUTTONUP, 0, MAKELPARAM(120, 90));
    ASSERT_EQ(overlay->Canvas().History().Strokes().size(), 1u);
    EXPECT_EQ(overlay->Canvas().History().Strokes().back().tool, InkTool::Rectangle);

    // F9 from the hook: off, the palette goes, the stroke stays.
    PostMessageW(StatusHwnd, WM_HOTKEY, kDrawHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([] { return !Ink().State().drawing; }, 2000));
    EXPECT_FALSE(PaletteShown());
    EXPECT_EQ(env.CommandsReceived("p\n"), 0);  // F9 is no pause

    // A pause keeps it; the after-recording window stands above it.
    Pause();
    EXPECT_EQ(Ink().Overlay(), overlay);
    EXPECT_TRUE(Topmost(ProcessHwnd));
    EXPECT_EQ(TopOwnWindow(), ProcessHwnd);
    EXPECT_EQ(overlay->Canvas().History().Strokes().size(), 1u);
    // F9 still works while paused; Ctrl+Z then undoes.
    PostMessageW(StatusHwnd, WM_HOTKEY, kDrawHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([] { return Ink().State().drawing; }, 2000));
    EXPECT_FALSE(PaletteShown());  // the bar is away, and its palette with it
    PostMessageW(StatusHwnd, WM_HOTKEY, kUndoHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([&] { return overlay->Canvas().History().Empty(); }, 2000));
    SendMessageW(catching, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    SendMessageW(catching, WM_LBUTTONUP, 0, MAKELPARAM(60, 40));
    PostMessageW(StatusHwnd, WM_HOTKEY, kDrawHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([] { return !Ink().State().drawing; }, 2000));

    // Resume keeps what is drawn.
    Click(After(), L"resumeBtn");
    ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(StatusHwnd) != FALSE; }, 2000));
    EXPECT_EQ(Ink().State().recording, InkRecording::Running);
    EXPECT_EQ(overlay->Canvas().History().Strokes().size(), 1u);

    // The end: the drawing leaves the screen, the windows are as before.
    Pause();
    Discard();
    EXPECT_EQ(Ink().Overlay(), nullptr);
    EXPECT_EQ(Ink().State().recording, InkRecording::None);
    EXPECT_EQ(CountOwnWindows(L"TavrixInkWndClass"), 0);
    EXPECT_FALSE(Topmost(StatusHwnd));
    EXPECT_FALSE(Topmost(ProcessHwnd));
    EXPECT_FALSE(PaletteShown());

    // The next recording starts clean, drawing off, the tool as chosen.
    RecordUntilBarShown();
    ASSERT_NE(Ink().Overlay(), nullptr);
    EXPECT_TRUE(Ink().Overlay()->Canvas().History().Empty());
    EXPECT_FALSE(Ink().State().drawing);
    EXPECT_EQ(Ink().State().tool, InkTool::Rectangle);
    Pause();
    Discard();
}

TEST_F(FlowInkTest, WithoutAnOverlayThePenButtonSaysSoAndTheRecordingGoesOn) {
    // An area no screen shows: the overlay cannot stand there.
    RecordOptions::Instance()->captureRect = Rect{-9000, -9000, -8000, -8000};
    RecordUntilBarShown();
    EXPECT_FALSE(Ink().State().available);
    EXPECT_EQ(Ink().Overlay(), nullptr);
    CControlUI* pen = Control(Bar(), L"btnPen");
    EXPECT_FALSE(pen->IsEnabled());
    EXPECT_EQ(pen->GetText(), L"画笔不可用");
    Click(Bar(), L"btnPen");
    PostMessageW(StatusHwnd, WM_HOTKEY, kDrawHotKeyId, 0);
    ASSERT_TRUE(WaitTicks(2));  // the recording goes on
    EXPECT_FALSE(Ink().State().drawing);
    EXPECT_FALSE(PaletteShown());
    // The pause key still pauses.
    PostMessageW(StatusHwnd, WM_HOTKEY, kPauseHotKeyId, 0);
    ASSERT_TRUE(PumpUntil([&] { return env.CommandsReceived("p\n") == 1; }, 2000));
    Discard();

    // The next recording where the screen is: the pen is back.
    RecordOptions::Instance()->captureRect = Rect{0, 0, 320, 240};
    RecordUntilBarShown();
    EXPECT_TRUE(Ink().State().available);
    EXPECT_TRUE(pen->IsEnabled());
    EXPECT_EQ(pen->GetText(), L"画笔 F9");
    Pause();
    Discard();
}

TEST_F(FlowInkTest, ClickRingsShowOnlyWhenTheTeacherWantsThem) {
    // A real click inside the recorded area, on no window of the program.
    RecordOptions::Instance()->showClicks = 0;
    RecordUntilBarShown();
    InkOverlay* overlay = Ink().Overlay();
    ASSERT_NE(overlay, nullptr);
    MouseClickAt(40, 40);
    Pump(300);
    EXPECT_FALSE(overlay->Canvas().RingsAlive());
    Pause();
    Discard();

    RecordOptions::Instance()->showClicks = 1;
    RecordUntilBarShown();
    overlay = Ink().Overlay();
    ASSERT_NE(overlay, nullptr);
    MouseClickAt(40, 40);
    ASSERT_TRUE(PumpUntil([&] { return overlay->Canvas().RingsAlive(); }, 2000));
    // ... and it fades away by itself.
    ASSERT_TRUE(PumpUntil([&] { return !overlay->Canvas().RingsAlive(); }, 2000));
    Pause();
    Discard();
}

}  // namespace

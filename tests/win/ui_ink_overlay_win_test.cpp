// The drawing's overlay for real under Wine: a topmost layered window over
// the area that never activates, drawing where real mouse input goes and
// showing it on the screen the grabber reads, letting every click through to
// the window below while drawing is off, keeping the program's windows
// above it, and leaving nothing behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "tests/win/ui_test_support.h"
#include "tests/win/win_test_support.h"
#include "ui/ink_overlay_win.h"
#include "uilib/uilib.h"

namespace {


const wchar_t kBelowClass[] = L"InkTestPresented";
int g_clicksBelow = 0;
POINT g_lastClickBelow{};

LRESULT CALLBACK BelowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_LBUTTONDOWN) {
        ++g_clicksBelow;
        g_lastClickBelow = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(window, &g_lastClickBelow);
        return 0;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HBRUSH brush = CreateSolidBrush(RGB(40, 40, 120));
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

template <class Condition>
bool PumpUntil(Condition condition, DWORD timeoutMs) {
    const DWORD end = GetTickCount() + timeoutMs;
    while (!condition()) {
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
        Pump(10);
    }
    return true;
}

// Real mouse input at a screen point: the cursor goes there, then the buttons.
void Mouse(int x, int y, DWORD buttons = 0) { MouseAt(x, y, buttons); }

void Drag(int x1, int y1, int x2, int y2) {
    Mouse(x1, y1);
    Mouse(x1, y1, MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= 6; ++i) Mouse(x1 + (x2 - x1) * i / 6, y1 + (y2 - y1) * i / 6);
    Mouse(x2, y2, MOUSEEVENTF_LEFTUP);
}

bool IsRed(COLORREF c) { return GetRValue(c) > 180 && GetGValue(c) < 80 && GetBValue(c) < 80; }

LONG_PTR ExStyle(HWND window) { return GetWindowLongPtrW(window, GWL_EXSTYLE); }

// How many tiles of the canvas have a pixel that shows.
size_t TilesWithInk(const InkOverlay& overlay) {
    const InkCanvas& canvas = overlay.Canvas();
    const int32_t size = InkOverlay::kTileSize;
    const int32_t columns = (canvas.Width() + size - 1) / size, rows = (canvas.Height() + size - 1) / size;
    std::vector<bool> inked(static_cast<size_t>(columns) * rows);
    for (int32_t y = 0; y < canvas.Height(); ++y)
        for (int32_t x = 0; x < canvas.Width(); ++x)
            if (canvas.PixelAt(x, y) >> 24 != 0) inked[static_cast<size_t>(y / size) * columns + x / size] = true;
    return static_cast<size_t>(std::count(inked.begin(), inked.end(), true));
}

// Whether every catching window is shown and takes the mouse.
bool Catching(const InkOverlay& overlay) {
    for (HWND w : overlay.CatchWindows())
        if (!IsWindowVisible(w) || (ExStyle(w) & WS_EX_TRANSPARENT) != 0) return false;
    return !overlay.CatchWindows().empty();
}
bool NotCatching(const InkOverlay& overlay) {
    for (HWND w : overlay.CatchWindows())
        if (IsWindowVisible(w) || (ExStyle(w) & WS_EX_TRANSPARENT) == 0) return false;
    return true;
}

class InkOverlayTest : public testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        WNDCLASSW wc = {};
        wc.lpfnWndProc = BelowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kBelowClass;
        RegisterClassW(&wc);
        // The presented program: under the drawing, with the keyboard.
        below = CreateWindowExW(0, kBelowClass, L"presented", WS_POPUP | WS_VISIBLE, 60, 60, 600, 400, nullptr,
                                nullptr, wc.hInstance, nullptr);
        ASSERT_NE(below, nullptr);
        SetForegroundWindow(below);
        SetFocus(below);
        Pump(200);
        g_clicksBelow = 0;
        ASSERT_TRUE(overlay.Open(area, 96));
    }
    void TearDown() override {
        overlay.Close();
        DestroyWindow(below);
        Pump(50);
    }
    const Rect area{100, 80, 500, 380};
    InkOverlay overlay;
    HWND below = nullptr;
};

TEST_F(InkOverlayTest, StandsOverTheAreaTopmostLayeredAndSeeThroughToTheMouse) {
    // The catching windows cover the area together, each less than it.
    const std::vector<HWND> catching = overlay.CatchWindows();
    ASSERT_EQ(catching.size(), 2u);
    RECT top = {}, bottom = {};
    GetWindowRect(catching[0], &top);
    GetWindowRect(catching[1], &bottom);
    EXPECT_EQ(top.left, 100);
    EXPECT_EQ(top.top, 80);
    EXPECT_EQ(top.right, 500);
    EXPECT_EQ(top.bottom, bottom.top);
    EXPECT_EQ(bottom.left, 100);
    EXPECT_EQ(bottom.right, 500);
    EXPECT_EQ(bottom.bottom, 380);
    for (HWND window : catching) {
        const LONG_PTR ex = ExStyle(window);
        for (LONG_PTR bit : {LONG_PTR{WS_EX_TOPMOST}, LONG_PTR{WS_EX_LAYERED}, LONG_PTR{WS_EX_TRANSPARENT},
                             LONG_PTR{WS_EX_NOACTIVATE}, LONG_PTR{WS_EX_TOOLWINDOW}})
            EXPECT_EQ(ex & bit, bit) << std::hex << bit;
    }
    // Nothing drawn, drawing off: nothing on the screen.
    EXPECT_TRUE(NotCatching(overlay));
    EXPECT_EQ(overlay.VisibleTiles(), 0u);
    EXPECT_FALSE(IsWindowVisible(overlay.GetHWND()));

    const HWND hub = overlay.GetHWND();
    overlay.Close();
    EXPECT_FALSE(IsWindow(hub));
    for (HWND window : catching) EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(overlay.IsOpen());
}

TEST_F(InkOverlayTest, DrawsWhereTheMouseGoesAndTheScreenShowsIt) {
    overlay.SetDrawing(true, InkTool::Pen);
    EXPECT_TRUE(Catching(overlay));
    // A stroke from the top band into the bottom one (the middle is y 230).
    Drag(150, 150, 400, 200);
    Drag(420, 200, 420, 360);
    EXPECT_EQ(overlay.Canvas().PixelAt(420 - 100, 250 - 80) >> 24, 255u);
    // The stroke is in the picture where the mouse went, in the window's pixels.
    EXPECT_EQ(overlay.Canvas().PixelAt(275 - 100, 175 - 80) >> 24, 255u);
    EXPECT_EQ(overlay.Canvas().PixelAt(275 - 100, 175 - 80 + 10), 0u);
    // Shown on exactly the tiles they cross, squares from the area's corner.
    EXPECT_EQ(overlay.VisibleTiles(), TilesWithInk(overlay));
    EXPECT_EQ(g_clicksBelow, 0);  // the presses drew; the program below got none
    // The presented program kept the keyboard through all of it.
    EXPECT_EQ(GetForegroundWindow(), below);
    EXPECT_EQ(GetFocus(), below);

    // Off: the stroke stays on the screen, and a click goes to the window below.
    overlay.SetDrawing(false, InkTool::Pen);
    EXPECT_TRUE(NotCatching(overlay));
    ASSERT_TRUE(PumpUntil([] { return IsRed(ScreenPixel(275, 175)); }, 2000)) << std::hex << ScreenPixel(275, 175);
    Mouse(300, 300);
    Mouse(300, 300, MOUSEEVENTF_LEFTDOWN);
    Mouse(300, 300, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(PumpUntil([] { return g_clicksBelow == 1; }, 2000));
    EXPECT_EQ(g_lastClickBelow.x, 300);
    EXPECT_EQ(g_lastClickBelow.y, 300);
    EXPECT_TRUE(IsRed(ScreenPixel(275, 175)));
    EXPECT_EQ(GetForegroundWindow(), below);

    // Undo takes them away, on the screen too; the tiles, blank, go.
    overlay.Undo();
    overlay.Undo();
    EXPECT_EQ(overlay.Canvas().PixelAt(175, 95), 0u);
    EXPECT_EQ(overlay.VisibleTiles(), 0u);
    EXPECT_TRUE(PumpUntil([] { return !IsRed(ScreenPixel(275, 175)); }, 2000));
}

TEST_F(InkOverlayTest, ARightClickAsksItsOwnerToSwitchDrawingOff) {
    int asked = 0;
    overlay.OnRightButton = [&] {
        ++asked;
        overlay.SetDrawing(false, InkTool::Pen);
    };
    overlay.SetDrawing(true, InkTool::Arrow);
    Mouse(200, 200);
    Mouse(200, 200, MOUSEEVENTF_RIGHTDOWN);
    Mouse(200, 200, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(PumpUntil([&] { return asked == 1; }, 2000));
    EXPECT_FALSE(overlay.IsDrawing());
    EXPECT_TRUE(NotCatching(overlay));
    EXPECT_EQ(g_clicksBelow, 0);
}

TEST_F(InkOverlayTest, AClickRingShowsAroundTheClickAndGoes) {
    overlay.PostMessage(InkOverlay::kClickMessage, 0, MAKELPARAM(300, 250));
    ASSERT_TRUE(PumpUntil([&] { return overlay.Canvas().RingsAlive(); }, 1000));
    EXPECT_GE(overlay.VisibleTiles(), 1u);
    EXPECT_EQ(overlay.VisibleTiles(), TilesWithInk(overlay));
    EXPECT_NE(overlay.Canvas().PixelAt(300 - 100 + 11, 250 - 80) >> 24, 0u);
    // Outside the area, or while drawing, nothing shows.
    overlay.PostMessage(InkOverlay::kClickMessage, 0, MAKELPARAM(700, 700));
    ASSERT_TRUE(PumpUntil([&] { return !overlay.Canvas().RingsAlive(); }, 1500));
    EXPECT_EQ(overlay.VisibleTiles(), 0u);
    overlay.SetDrawing(true, InkTool::Pen);
    overlay.PostMessage(InkOverlay::kClickMessage, 1, MAKELPARAM(300, 250));
    Pump(100);
    EXPECT_FALSE(overlay.Canvas().RingsAlive());
}

TEST_F(InkOverlayTest, TheProgramsWindowsStayAboveItAndGoBackAfterwards) {
    HWND bar = CreateWindowExW(WS_EX_TOOLWINDOW, kBelowClass, L"bar", WS_POPUP | WS_VISIBLE, 200, 300, 200, 40,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    overlay.KeepAbove(bar);
    EXPECT_EQ(ExStyle(bar) & WS_EX_TOPMOST, WS_EX_TOPMOST);
    overlay.SetDrawing(true, InkTool::Pen);
    // Above the drawing in the z-order: a click on the bar is the bar's.
    bool barFirst = false;
    const std::vector<HWND> catching = overlay.CatchWindows();
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == bar) {
            barFirst = true;
            break;
        }
        if (std::find(catching.begin(), catching.end(), w) != catching.end()) break;
    }
    EXPECT_TRUE(barFirst);
    overlay.Close();
    EXPECT_EQ(ExStyle(bar) & WS_EX_TOPMOST, 0);
    DestroyWindow(bar);
}

TEST_F(InkOverlayTest, AnAreaOffTheScreensCannotBeOpenedAndOneHalfOnIsCut) {
    InkOverlay off;
    EXPECT_FALSE(off.Open(Rect{-6000, -6000, -5000, -5000}, 96));
    EXPECT_FALSE(off.IsOpen());

    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    InkOverlay half;
    ASSERT_TRUE(half.Open(Rect{w - 100, h - 50, w + 300, h + 200}, 144));
    EXPECT_EQ(half.Area(), (Rect{w - 100, h - 50, w, h}));
    EXPECT_EQ(half.Canvas().Width(), 100);
    // The screens "changed" without changing: what is drawn stays.
    half.SetDrawing(true, InkTool::Highlighter);
    SendMessageW(half.GetHWND(), WM_DISPLAYCHANGE, 32, MAKELPARAM(w, h));
    EXPECT_TRUE(half.IsOpen());
    EXPECT_EQ(half.Area(), (Rect{w - 100, h - 50, w, h}));
}

}  // namespace

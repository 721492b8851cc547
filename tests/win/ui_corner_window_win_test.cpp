// The corner markers for real: the colour-keyed topmost window, its strokes
// read back from the window and from the screen, and the drawing itself.
#include "ui/corner_window.h"

#include <gtest/gtest.h>

#include <optional>

#include "recording/record_options.h"
#include "support/unique_win.h"
#include "tests/win/win_test_support.h"
#include "ui/screens_win.h"
#include "ui/window_state.h"

namespace {


const bool kGdiplus = StartGdiplusForTests();

constexpr COLORREF kBlue = RGB(0, 186, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A white 32-bit picture to draw the markers on.
class Canvas {
public:
    Canvas(int w, int h) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_dc.reset(CreateCompatibleDC(nullptr));
        m_select.emplace(m_dc.get(), m_bitmap.get());
        RECT all{0, 0, w, h};
        FillRect(m_dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    HDC dc() const { return m_dc.get(); }
    COLORREF at(int x, int y) const { return GetPixel(m_dc.get(), x, y); }
private:
    UniqueBitmap m_bitmap;
    UniqueDC m_dc;
    std::optional<ScopedSelect> m_select;  // undone first
};

class CornerWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
        options = RecordOptions::Instance();
        options->customArea = 0;
        if (CornerHwnd == nullptr) CreateCornerWindow();
        ASSERT_NE(CornerHwnd, nullptr);
    }
    void TearDown() override {
        options->customArea = 0;
        HideCornerWindow();
        Pump(30);
    }
    void ShowWith(int custom, Rect r) {
        options->customArea = custom;
        options->captureRect = r;
        ShowCornerWindow();
        UpdateWindow(CornerHwnd);
        Pump(150);
    }
    RecordOptions* options = nullptr;
};

TEST_F(CornerWindowTest, ATopmostColorKeyedPopupOverTheWholeScreen) {
    wchar_t name[64] = {};
    GetClassNameW(CornerHwnd, name, 64);
    EXPECT_STREQ(name, L"RecCornerWndClass");
    EXPECT_EQ(GetWindowTextLengthW(CornerHwnd), 0);
    const LONG_PTR ex = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED;
    EXPECT_EQ(GetWindowLongPtrW(CornerHwnd, GWL_EXSTYLE) & ex, ex);
    EXPECT_EQ(GetWindowLongPtrW(CornerHwnd, GWL_STYLE) & (WS_POPUP | WS_CAPTION), WS_POPUP);
    RECT r = {};
    GetWindowRect(CornerHwnd, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, ScreenWidth);
    EXPECT_EQ(r.bottom, ScreenHeight);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(CornerHwnd, &key, &alpha, &flags));
    EXPECT_EQ(key, kWhite);
    EXPECT_EQ(flags, DWORD{LWA_COLORKEY});

    ShowWith(0, Rect{0, 0, ScreenWidth, ScreenHeight});
    EXPECT_TRUE(IsWindowVisible(CornerHwnd));
    HideCornerWindow();
    EXPECT_FALSE(IsWindowVisible(CornerHwnd));
}

TEST_F(CornerWindowTest, StrokesAtTheFourCornersOfTheChosenRegionOnly) {
    ShowWith(1, Rect{100, 120, 400, 300});
    struct Probe {
        int x, y;
        COLORREF colour;
    } probes[] = {
        {100, 120, kBlue}, {130, 120, kBlue}, {159, 120, kBlue}, {100, 150, kBlue}, {100, 179, kBlue},
        {370, 120, kBlue}, {400, 121, kBlue}, {400, 179, kBlue}, {130, 300, kBlue}, {100, 250, kBlue},
        {370, 300, kBlue}, {400, 250, kBlue},
        {170, 120, kWhite}, {100, 190, kWhite}, {250, 210, kWhite}, {250, 120, kWhite}, {101, 121, kWhite},
        {400, 210, kWhite}, {99, 130, kWhite},
    };
    for (const Probe& p : probes)
        EXPECT_EQ(PixelOf(CornerHwnd, p.x, p.y), p.colour) << p.x << "," << p.y;

    // What the user sees: the strokes, and the screen itself where the
    // window is white.
    EXPECT_EQ(ScreenPixel(130, 120), kBlue);
    EXPECT_EQ(ScreenPixel(400, 250), kBlue);
    EXPECT_NE(ScreenPixel(250, 210), kWhite);

    // Without a custom area the window draws nothing but see-through white.
    ShowWith(0, Rect{100, 120, 400, 300});
    EXPECT_EQ(PixelOf(CornerHwnd, 130, 120), kWhite);
    EXPECT_EQ(PixelOf(CornerHwnd, 400, 250), kWhite);
}

// The markers appear while the teacher works in another window (the startup
// window, the after-recording window): that window keeps the activation and
// the keyboard, whether the markers are made, shown again by the program's
// own call, or shown with a plain SW_SHOW as other windows do.
TEST_F(CornerWindowTest, NeverTakesTheActivationOrTheKeyboard) {
    EXPECT_NE(GetWindowLongPtrW(CornerHwnd, GWL_EXSTYLE) & WS_EX_NOACTIVATE, 0);
    HWND typing = CreateWindowExW(0, L"EDIT", L"typing", WS_POPUP | WS_VISIBLE | WS_BORDER, 40, 40, 200, 40, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(typing, nullptr);
    SetForegroundWindow(typing);
    SetActiveWindow(typing);
    SetFocus(typing);
    Pump(100);
    ASSERT_EQ(GetActiveWindow(), typing);
    ASSERT_EQ(GetFocus(), typing);

    DestroyWindow(CornerHwnd);
    CornerHwnd = nullptr;
    options->customArea = 1;
    options->captureRect = Rect{100, 120, 400, 300};
    ShowCornerWindow();  // made now
    Pump(100);
    ASSERT_NE(CornerHwnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(CornerHwnd));
    EXPECT_EQ(GetActiveWindow(), typing);
    EXPECT_EQ(GetFocus(), typing);

    HideCornerWindow();
    ShowCornerWindow();  // shown again
    Pump(100);
    EXPECT_EQ(GetActiveWindow(), typing);
    EXPECT_EQ(GetFocus(), typing);

    HideCornerWindow();
    ShowWindow(CornerHwnd, SW_SHOW);  // as the status bar and the after-recording window show it
    Pump(100);
    EXPECT_TRUE(IsWindowVisible(CornerHwnd));
    EXPECT_EQ(GetActiveWindow(), typing);
    EXPECT_EQ(GetFocus(), typing);

    // A click on a stroke does not activate it either.
    EXPECT_EQ(SendMessageW(CornerHwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(CornerHwnd),
                           MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    DestroyWindow(typing);
}

// The status bar, shown for a recording of a custom region, moves out of the
// region where the screen has room; for the full screen of its own monitor
// it stays where it stands. Real window rectangles.
TEST(StatusBarPlacement, OutsideACustomRegionWithRoomAroundIt) {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    const int x = (w - 410) / 2;
    const int y = (h - 52) / 2;
    HWND bar = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"bar", WS_POPUP | WS_VISIBLE, x, y, 410, 52, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(bar, nullptr);
    auto rectOf = [bar] {
        RECT r = {};
        GetWindowRect(bar, &r);
        return r;
    };

    PlaceOnRecordedScreen(bar, Rect{0, 0, w, h}, false, 8);
    RECT r = rectOf();
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);

    const RECT region{w / 4, h / 4, w * 3 / 4, h * 3 / 4};
    PlaceOnRecordedScreen(bar, Rect{region.left, region.top, region.right, region.bottom}, true, 8);
    r = rectOf();
    RECT overlap = {};
    EXPECT_FALSE(IntersectRect(&overlap, &r, &region)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_EQ(r.right - r.left, 410);
    EXPECT_EQ(r.top, region.bottom + 8);  // below it, centred under it
    EXPECT_EQ((r.left + r.right) / 2, (region.left + region.right) / 2);
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.bottom, h);

    // A region reaching the bottom of the screen: the bar goes above it.
    const RECT low{w / 4, h / 2, w * 3 / 4, h};
    PlaceOnRecordedScreen(bar, Rect{low.left, low.top, low.right, low.bottom}, true, 8);
    r = rectOf();
    EXPECT_FALSE(IntersectRect(&overlap, &r, &low));
    EXPECT_EQ(r.bottom, low.top - 8);
    DestroyWindow(bar);
}

TEST(DrawCornerMarkers, EightStrokesOfSixtyPixelsEvenOnSmallRectangles) {
    Canvas canvas(300, 300);
    DrawCornerMarkers(canvas.dc(), 1.0f, kCornerMarkerColor, 50, 60, 80, 90);
    // From each corner inwards; on a 30 x 30 rectangle they reach past the far edge.
    const POINT blue[] = {{50, 60}, {105, 60}, {50, 115}, {80, 60}, {25, 60}, {80, 115},
                          {50, 90}, {105, 90}, {50, 35}, {80, 90}, {25, 90}, {80, 35}};
    for (const POINT& p : blue) EXPECT_EQ(canvas.at(p.x, p.y), kBlue) << p.x << "," << p.y;
    // One pixel wide, and no longer than sixty.
    const POINT white[] = {{65, 61}, {51, 75}, {65, 75}, {115, 60}, {50, 125}, {15, 90}, {80, 25}, {65, 59}};
    for (const POINT& p : white) EXPECT_EQ(canvas.at(p.x, p.y), kWhite) << p.x << "," << p.y;

    // The colour is the caller's.
    Canvas red(100, 100);
    DrawCornerMarkers(red.dc(), 1.0f, 0xFFFF0000, 10, 10, 90, 90);
    EXPECT_EQ(red.at(30, 10), RGB(255, 0, 0));
    EXPECT_EQ(red.at(90, 70), RGB(255, 0, 0));
}

}  // namespace

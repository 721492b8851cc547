// The region selector for real: its windows and their layering, the named
// mutex, painting, the pictures on its buttons, and every mouse and keyboard
// path, driven with real input (SendInput) and with the messages themselves.
#include "ui/region_selector.h"

#include <windowsx.h>

#include <gtest/gtest.h>

#include "support/text_win.h"
#include "tests/win/win_test_support.h"

namespace {


const bool kGdiplus = StartGdiplusForTests();

constexpr COLORREF kDark = RGB(30, 30, 30);
constexpr COLORREF kKey = RGB(254, 254, 254);
constexpr COLORREF kBlue = RGB(0, 186, 255);

struct Result {
    int calls = 0;
    bool cancelled = false;
    RECT rect = {};
};

void OnSelected(const RECT* rect, void* userData) {
    auto* result = static_cast<Result*>(userData);
    ++result->calls;
    result->cancelled = rect == nullptr;
    if (rect != nullptr) result->rect = *rect;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    return text;
}

RECT WindowRectOf(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

HCURSOR ClassCursor(HWND hwnd) {
    return reinterpret_cast<HCURSOR>(GetClassLongPtrW(hwnd, GCLP_HCURSOR));
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

class RegionSelectorTest : public testing::Test {
protected:
    // The selector loads its pictures from the program's folder; the tests
    // bring their own when none lie there, and take them away afterwards.
    static void SetUpTestSuite() {
        skinFolder() = ProgramFolder(nullptr) + L"skin\\";
        madeFolder() = CreateDirectoryW(skinFolder().c_str(), nullptr) != FALSE;
        madeTick() = !FileExists(skinFolder() + L"tick_nor.png") &&
                     WritePng(skinFolder() + L"tick_nor.png", 35, 20, 0xFF20C040, 0xFFFFFFFF);
        madeCross() = !FileExists(skinFolder() + L"crose_nor.png") &&
                      WritePng(skinFolder() + L"crose_nor.png", 35, 20, 0xFFE03020, 0xFFFFFFFF);
    }
    static void TearDownTestSuite() {
        if (madeTick()) DeleteFileW((skinFolder() + L"tick_nor.png").c_str());
        if (madeCross()) DeleteFileW((skinFolder() + L"crose_nor.png").c_str());
        if (madeFolder()) RemoveDirectoryW(skinFolder().c_str());
    }
    static std::wstring& skinFolder() { static std::wstring s; return s; }
    static bool& madeFolder() { static bool b = false; return b; }
    static bool& madeTick() { static bool b = false; return b; }
    static bool& madeCross() { static bool b = false; return b; }

    void SetUp() override {
        ASSERT_EQ(selector.Create(GetModuleHandleW(nullptr), &result, OnSelected), 0);
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    void TearDown() override {
        selector.Destroy();
        // Taking the selector down must not end the program's message loop.
        MSG msg;
        EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }

    void ShowSelector() {
        selector.Show(true);
        Pump(150);
    }
    void Mouse(UINT message, int x, int y, HWND target = nullptr) {
        SendMessageW(target != nullptr ? target : selector.MaskWindow(), message, 0, MAKELPARAM(x, y));
    }
    // A drag with the messages themselves, painted at the end.
    void DragWithMessages(int x0, int y0, int x1, int y1) {
        Mouse(WM_LBUTTONDOWN, x0, y0);
        Mouse(WM_MOUSEMOVE, (x0 + x1) / 2, (y0 + y1) / 2);
        Mouse(WM_LBUTTONUP, x1, y1);
        UpdateWindow(selector.MaskWindow());
        Pump(50);
    }
    int State() const { return selector.Model().state(); }
    bool Shown() const { return IsWindowVisible(selector.MaskWindow()) && IsWindowVisible(selector.BackgroundWindow()); }
    bool ButtonsVisible() const { return IsWindowVisible(selector.OkButton()) && IsWindowVisible(selector.CancelButton()); }
    COLORREF MaskPixel(int x, int y) const { return PixelOf(selector.MaskWindow(), x, y); }

    RegionSelector selector;
    Result result;
    int width = 0;
    int height = 0;
};

TEST_F(RegionSelectorTest, CreateMakesHiddenLayeredFullScreenWindowsAndOwnerDrawnButtons) {
    HWND background = selector.BackgroundWindow();
    HWND mask = selector.MaskWindow();
    const LONG_PTR layered = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    for (HWND w : {background, mask}) {
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(ClassOf(w), L"SelectWnd");
        EXPECT_EQ(GetWindowLongPtrW(w, GWL_EXSTYLE) & layered, layered);
        EXPECT_EQ(GetWindowLongPtrW(w, GWL_STYLE) & (WS_POPUP | WS_VISIBLE | WS_CAPTION), WS_POPUP);
        EXPECT_EQ(GetParent(w), nullptr);
    }
    EXPECT_EQ(TextOf(background), L"BackGround");
    EXPECT_EQ(TextOf(mask), L"Select");
    EXPECT_TRUE(SameRect(WindowRectOf(background), RECT{0, 0, width + 200, height + 200}));
    EXPECT_TRUE(SameRect(WindowRectOf(mask), RECT{0, 0, width, height}));
    EXPECT_EQ(ClassCursor(mask), LoadCursorW(nullptr, IDC_CROSS));

    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(background, &key, &alpha, &flags));
    EXPECT_EQ(alpha, 1);
    EXPECT_EQ(flags, DWORD{LWA_ALPHA});
    ASSERT_TRUE(GetLayeredWindowAttributes(mask, &key, &alpha, &flags));
    EXPECT_EQ(key, kKey);
    EXPECT_EQ(alpha, 200);
    EXPECT_EQ(flags, DWORD{LWA_COLORKEY | LWA_ALPHA});

    struct Button {
        HWND hwnd;
        const wchar_t* text;
        int id;
        int x;
    } buttons[] = {{selector.CancelButton(), L"Cancel", 1026, 0}, {selector.OkButton(), L"OK", 1027, 35}};
    for (const Button& b : buttons) {
        ASSERT_NE(b.hwnd, nullptr);
        EXPECT_EQ(ClassOf(b.hwnd), L"Button");
        EXPECT_EQ(TextOf(b.hwnd), b.text);
        EXPECT_EQ(GetDlgCtrlID(b.hwnd), b.id);
        EXPECT_EQ(GetParent(b.hwnd), mask);
        EXPECT_EQ(GetWindowLongPtrW(b.hwnd, GWL_STYLE) & (BS_TYPEMASK | WS_CHILD | WS_VISIBLE),
                  BS_OWNERDRAW | WS_CHILD);
        EXPECT_TRUE(SameRect(WindowRectOf(b.hwnd), RECT{b.x, 0, b.x + 35, 20}));
        EXPECT_EQ(ClassCursor(b.hwnd), LoadCursorW(nullptr, IDC_HAND));
    }
    EXPECT_FALSE(IsWindowVisible(background));
    EXPECT_FALSE(IsWindowVisible(mask));
    EXPECT_EQ(State(), StateHidden);
}

TEST_F(RegionSelectorTest, TheNamedMutexAllowsOneSelectorInTheSystem) {
    HANDLE seen = OpenMutexW(SYNCHRONIZE, FALSE, kRegionSelectorMutexName);
    ASSERT_NE(seen, nullptr);
    CloseHandle(seen);

    {
        RegionSelector second;
        Result secondResult;
        EXPECT_EQ(second.Create(GetModuleHandleW(nullptr), &secondResult, OnSelected), -1);
        EXPECT_EQ(second.MaskWindow(), nullptr);
    }  // its release must leave the first selector working

    ShowSelector();
    Mouse(WM_RBUTTONUP, 10, 10);
    EXPECT_EQ(result.calls, 1);
    EXPECT_TRUE(result.cancelled);

    // Once the owner releases it, the next selector can be made.
    selector.Destroy();
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, kRegionSelectorMutexName), nullptr);
    RegionSelector third;
    EXPECT_EQ(third.Create(GetModuleHandleW(nullptr), &result, OnSelected), 0);
    third.Show(true);
    Pump(100);
    EXPECT_TRUE(IsWindowVisible(third.MaskWindow()));
}

TEST_F(RegionSelectorTest, ShowDimsTheWholeScreenTopmostAndGivesTheMaskTheKeyboard) {
    ShowSelector();
    EXPECT_TRUE(Shown());
    EXPECT_FALSE(ButtonsVisible());
    EXPECT_EQ(State(), StateWaiting);
    EXPECT_EQ(GetFocus(), selector.MaskWindow());
    EXPECT_EQ(MaskPixel(0, 0), kDark);
    EXPECT_EQ(MaskPixel(width / 2, height / 2), kDark);
    EXPECT_EQ(MaskPixel(width - 1, height - 1), kDark);

    // Hidden again at the next paint.
    selector.Show(false);
    EXPECT_EQ(State(), StateHidden);
    Pump(100);
    EXPECT_FALSE(IsWindowVisible(selector.MaskWindow()));
    EXPECT_FALSE(IsWindowVisible(selector.BackgroundWindow()));
    EXPECT_EQ(result.calls, 0);
}

TEST_F(RegionSelectorTest, DragResizeMoveAndOkWithRealMouseInput) {
    ShowSelector();
    // Drawn from bottom-right to top-left.
    MouseAt(700, 500, MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(State(), StateDragging);
    MouseAt(450, 330);
    MouseAt(200, 150);
    MouseAt(200, 150, MOUSEEVENTF_LEFTUP);
    ASSERT_EQ(State(), StateChosen);
    EXPECT_EQ(selector.Model().rect(), (Rect{200, 150, 700, 500}));
    Pump(100);
    EXPECT_TRUE(ButtonsVisible());

    // The cut-out, the outline and a handle, and the dark rest.
    EXPECT_EQ(MaskPixel(450, 330), kKey);
    EXPECT_EQ(MaskPixel(200, 300), kBlue);
    EXPECT_EQ(MaskPixel(195, 145), kBlue);  // top-left handle's corner
    EXPECT_EQ(MaskPixel(197, 147), kKey);   // inside that handle
    EXPECT_EQ(MaskPixel(450, 145), kBlue);  // the top midpoint handle
    EXPECT_EQ(MaskPixel(450, 150), kKey);   // whose inside covers the outline
    EXPECT_EQ(MaskPixel(460, 150), kBlue);
    EXPECT_EQ(MaskPixel(190, 300), kDark);
    EXPECT_EQ(MaskPixel(450, 520), kDark);

    // The hover cursor follows the zone under the mouse.
    MouseAt(700, 320);
    EXPECT_EQ(ClassCursor(selector.MaskWindow()), LoadCursorW(nullptr, IDC_SIZEWE));
    MouseAt(450, 320);
    EXPECT_EQ(ClassCursor(selector.MaskWindow()), LoadCursorW(nullptr, IDC_SIZEALL));

    // Wider by the right edge.
    MouseAt(700, 320, MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(State(), StateAdjusting + EdgeRight);
    EXPECT_FALSE(ButtonsVisible());
    MouseAt(730, 320);
    MouseAt(760, 320, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(selector.Model().rect(), (Rect{200, 150, 760, 500}));

    // Moved by its inside.
    MouseAt(450, 320, MOUSEEVENTF_LEFTDOWN);
    MouseAt(480, 340);
    MouseAt(500, 350, MOUSEEVENTF_LEFTUP);
    ASSERT_EQ(selector.Model().rect(), (Rect{250, 180, 810, 530}));
    Pump(100);
    // The old outline is gone, the new one drawn.
    EXPECT_EQ(MaskPixel(200, 300), kDark);
    EXPECT_EQ(MaskPixel(700, 200), kKey);
    EXPECT_EQ(MaskPixel(700, 160), kDark);
    EXPECT_EQ(MaskPixel(230, 300), kDark);  // uncovered by the move, away from both outlines
    EXPECT_EQ(MaskPixel(785, 300), kKey);   // newly inside, away from both outlines
    EXPECT_EQ(MaskPixel(785, 170), kDark);
    EXPECT_EQ(MaskPixel(250, 300), kBlue);
    EXPECT_EQ(MaskPixel(809, 300), kBlue);
    EXPECT_TRUE(ButtonsVisible());
    EXPECT_TRUE(SameRect(WindowRectOf(selector.OkButton()), RECT{775, 535, 810, 555}));
    EXPECT_TRUE(SameRect(WindowRectOf(selector.CancelButton()), RECT{740, 535, 775, 555}));

    // OK, pressed with the mouse.
    MouseAt(792, 545, MOUSEEVENTF_LEFTDOWN);
    MouseAt(792, 545, MOUSEEVENTF_LEFTUP);
    Pump(100);
    ASSERT_EQ(result.calls, 1);
    EXPECT_FALSE(result.cancelled);
    EXPECT_TRUE(SameRect(result.rect, RECT{250, 180, 810, 530}));
    EXPECT_EQ(State(), StateHidden);
    EXPECT_FALSE(Shown());
}

// Which states Escape cancels in is the model's (tested on the host); here the
// key reaches the model through the mask window while the mouse is captured.
TEST_F(RegionSelectorTest, EscapeWhileDraggingCancelsAndEnterDoesNothing) {
    ShowSelector();
    Mouse(WM_LBUTTONDOWN, 300, 200);
    Mouse(WM_MOUSEMOVE, 500, 400);
    Pump(50);
    KeyPress(VK_RETURN);
    EXPECT_EQ(result.calls, 0);
    KeyPress(VK_ESCAPE);
    EXPECT_EQ(result.calls, 1);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(State(), StateHidden);
    Pump(50);
    EXPECT_FALSE(Shown());
    EXPECT_FALSE(ButtonsVisible());
}

TEST_F(RegionSelectorTest, RightClickCancelsBeforeDrawingAndStartsOverOnAChosenRectangle) {
    ShowSelector();
    DragWithMessages(100, 100, 400, 300);
    EXPECT_TRUE(ButtonsVisible());
    EXPECT_EQ(MaskPixel(250, 200), kKey);

    // On the chosen rectangle (the background window catches the cut-out): start over.
    MouseAt(250, 200, MOUSEEVENTF_RIGHTDOWN);
    MouseAt(250, 200, MOUSEEVENTF_RIGHTUP);
    Pump(50);
    EXPECT_EQ(result.calls, 0);
    EXPECT_EQ(State(), StateWaiting);
    EXPECT_TRUE(Shown());
    EXPECT_FALSE(ButtonsVisible());
    EXPECT_EQ(MaskPixel(250, 200), kDark);
    EXPECT_EQ(MaskPixel(100, 200), kDark);
    EXPECT_EQ(ClassCursor(selector.MaskWindow()), LoadCursorW(nullptr, IDC_CROSS));

    // Nothing drawn now: the right click cancels.
    MouseAt(250, 200, MOUSEEVENTF_RIGHTDOWN);
    MouseAt(250, 200, MOUSEEVENTF_RIGHTUP);
    Pump(50);
    EXPECT_EQ(result.calls, 1);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(Shown());
}

TEST_F(RegionSelectorTest, AClickWithoutMovementGivesAnEmptyRectangleThatOkPassesOn) {
    ShowSelector();
    DragWithMessages(640, 360, 640, 360);
    EXPECT_EQ(State(), StateChosen);
    EXPECT_TRUE(ButtonsVisible());
    EXPECT_TRUE(SameRect(WindowRectOf(selector.CancelButton()), RECT{570, 365, 605, 385}));

    // A double-click notification is not a click; a click is.
    SendMessageW(selector.MaskWindow(), WM_COMMAND, MAKEWPARAM(1027, BN_DOUBLECLICKED),
                 reinterpret_cast<LPARAM>(selector.OkButton()));
    EXPECT_EQ(result.calls, 0);
    SendMessageW(selector.OkButton(), BM_CLICK, 0, 0);
    Pump(50);
    ASSERT_EQ(result.calls, 1);
    EXPECT_FALSE(result.cancelled);
    EXPECT_TRUE(SameRect(result.rect, RECT{640, 360, 640, 360}));
}

TEST_F(RegionSelectorTest, CancelButtonAndTheButtonsPictures) {
    ShowSelector();
    DragWithMessages(300, 200, 600, 450);
    ASSERT_TRUE(ButtonsVisible());

    // Each button shows its picture, as loaded from the program's skin folder.
    ButtonImages images = LoadButtonImages(ProgramFolder(nullptr));
    ASSERT_TRUE(images.loaded);
    HBITMAP ok = static_cast<HBITMAP>(images.ok.get());
    HBITMAP cancel = static_cast<HBITMAP>(images.cancel.get());
    for (POINT p : {POINT{0, 0}, POINT{17, 10}, POINT{34, 19}}) {
        EXPECT_EQ(PixelOf(selector.OkButton(), p.x, p.y), BitmapPixel(ok, p.x, p.y)) << p.x << "," << p.y;
        EXPECT_EQ(PixelOf(selector.CancelButton(), p.x, p.y), BitmapPixel(cancel, p.x, p.y)) << p.x << "," << p.y;
    }
    EXPECT_NE(BitmapPixel(ok, 17, 10), BitmapPixel(cancel, 17, 10));

    SendMessageW(selector.CancelButton(), BM_CLICK, 0, 0);
    Pump(50);
    EXPECT_EQ(result.calls, 1);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(Shown());
}

TEST_F(RegionSelectorTest, RepaintsDoNotLeakGdiObjects) {
    ShowSelector();
    DragWithMessages(300, 200, 600, 450);
    Mouse(WM_LBUTTONDOWN, 450, 300);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 200; ++i) {
        Mouse(WM_MOUSEMOVE, 450 + i % 40, 300);
        UpdateWindow(selector.MaskWindow());
        InvalidateRect(selector.OkButton(), nullptr, FALSE);
        UpdateWindow(selector.OkButton());
    }
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    EXPECT_LE(after, before + 2);
    Mouse(WM_LBUTTONUP, 450, 300);
}

TEST(LoadButtonImages, BothPicturesOrNothing) {
    const std::wstring folder = MakeScratchFolder(L"pictures");
    CreateDirectoryW((folder + L"skin").c_str(), nullptr);
    const std::wstring tick = folder + L"skin\\tick_nor.png";
    const std::wstring cross = folder + L"skin\\crose_nor.png";

    // None there.
    ButtonImages none = LoadButtonImages(folder);
    EXPECT_FALSE(none.loaded);
    EXPECT_FALSE(none.ok);

    // Only the cross: the OK picture is needed first, so neither is made.
    ASSERT_TRUE(WritePng(cross, 35, 20, 0xFFE03020, 0xFF000000));
    ButtonImages crossOnly = LoadButtonImages(folder);
    EXPECT_FALSE(crossOnly.loaded);
    EXPECT_FALSE(crossOnly.ok);
    EXPECT_FALSE(crossOnly.cancel);

    // Both, one with see-through pixels: they land on the dark button colour.
    ASSERT_TRUE(WritePng(tick, 35, 20, 0x00000000, 0xFF20C040));
    ButtonImages both = LoadButtonImages(folder);
    ASSERT_TRUE(both.loaded);
    BITMAP info = {};
    ASSERT_EQ(GetObjectW(both.ok.get(), sizeof(info), &info), int{sizeof(info)});
    EXPECT_EQ(info.bmWidth, 35);
    EXPECT_EQ(info.bmHeight, 20);
    EXPECT_EQ(BitmapPixel(static_cast<HBITMAP>(both.ok.get()), 0, 0), RGB(0x20, 0xC0, 0x40));
    EXPECT_EQ(BitmapPixel(static_cast<HBITMAP>(both.ok.get()), 10, 10), RGB(0x1E, 0x1E, 0x1E));
    EXPECT_EQ(BitmapPixel(static_cast<HBITMAP>(both.cancel.get()), 10, 10), RGB(0xE0, 0x30, 0x20));

    DeleteFileW(tick.c_str());
    DeleteFileW(cross.c_str());
    RemoveDirectoryW((folder + L"skin").c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

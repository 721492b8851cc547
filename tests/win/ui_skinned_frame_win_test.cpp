// The shared frame behaviour on real windows: creation, the caption hit test
// per window kind, the round region, the maximised size, the non-client
// messages, maximise and restore buttons, the close table of each of the
// five window kinds, and windows whose skin can't be used.
#include <gtest/gtest.h>

#include <memory>

#include "support/text_win.h"
#include "tests/win/ui_test_support.h"
#include "ui/frame_table.h"

namespace {

const char kFrameSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,160" caption="6,0,6,40" roundcorner="10,10">
  <VerticalLayout name="root" bkcolor="#FFFFFFFF">
    <HorizontalLayout name="captionBar" height="40">
      <Label name="title" width="60"/>
      <Button name="btn" width="40"/>
      <Option name="opt" width="40"/>
      <Text name="txt" width="40"/>
      <Control name="plain" width="40"/>
      <Button name="maxbtn" width="30"/>
      <Button name="restorebtn" width="30" visible="false"/>
    </HorizontalLayout>
    <Button name="body"/>
  </VerticalLayout>
</Window>
)";

const char kSquareSkin[] = R"(<Window size="200,100" caption="0,0,0,30"><Label name="x"/></Window>)";

// The five kinds of window, with the program's own descriptions on a test skin.
FrameDescription Kind(const wchar_t* kind, const wchar_t* skin) {
    const std::wstring k = kind;
    FrameDescription d = k == L"startup"   ? kStartupFrame
                         : k == L"ready"   ? kReadyFrame
                         : k == L"process" ? kProcessFrame
                         : k == L"status"  ? kStatusFrame
                                           : kTipFrame;
    d.skinFile = skin;
    d.requiredControls.clear();
    return d;
}

// The same, for an object the test keeps (on the stack): never deleted by its window.
FrameDescription Kept(const wchar_t* kind, const wchar_t* skin) {
    FrameDescription d = Kind(kind, skin);
    d.lifetime = ObjectLifetime::KeptByOwner;
    return d;
}

class Frames : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write(L"frame.xml", kFrameSkin);
        folder.Write(L"square.xml", kSquareSkin);
        TerminateEncodersHook = [this] { ++encoderEnds; };
        SkinFailureReporter = [this](const std::wstring& file, const std::wstring& problem) {
            reportedFile = file;
            reportedProblem = problem;
        };
        TakeQuitCode();
    }
    void TearDown() override {
        PumpMessages();
        TakeQuitCode();
        TerminateEncodersHook = nullptr;
    }
    // A window made with the style the program's windows use.
    static HWND Make(TestFrame* frame, int x = 100, int y = 100) {
        return frame->Create(nullptr, L"frame", 0x96C80000 & ~WS_VISIBLE, 0, x, y, 0, 0);
    }

    SkinFolder folder;
    int encoderEnds = 0;
    std::wstring reportedFile;
    std::wstring reportedProblem;
};

TEST_F(Frames, CreationRemovesTheSystemFrameAndBuildsTheSkinInOrder) {
    TestFrame frame(Kept(L"process", L"frame.xml"));
    HWND hwnd = Make(&frame);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(frame.SkinReady());
    ASSERT_EQ(frame.log.size(), 2u);
    EXPECT_EQ(frame.log[0], L"before");
    EXPECT_EQ(frame.log[1], L"ready");
    EXPECT_EQ(frame.paintWindowBeforeSkin, hwnd) << "the paint manager is bound before the window's own step";
    EXPECT_FALSE(frame.controlsBeforeSkin) << "and the skin is built after it";

    LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & (WS_CLIPSIBLINGS | WS_CLIPCHILDREN), WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    EXPECT_STREQ(name, L"RecProcessWndClass");
    EXPECT_EQ(::GetClassLongPtrW(hwnd, GCL_STYLE), static_cast<ULONG_PTR>(0x080B));

    // The skin gives the size; the whole window is client area.
    RECT window{};
    RECT client{};
    ::GetWindowRect(hwnd, &window);
    ::GetClientRect(hwnd, &client);
    EXPECT_EQ(window.right - window.left, 300);
    EXPECT_EQ(window.bottom - window.top, 160);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 160);
    RECT proposed = window;
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed)), 0);
    EXPECT_TRUE(::EqualRect(&proposed, &window));
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0), 1);
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0), 0);
    EXPECT_EQ(::SendMessageW(hwnd, WM_NCPAINT, 1, 0), 0);

    // Clicks reach the window's notification handler.
    frame.ShowWindow(true, true);
    frame.PaintManager().UpdateLayout();
    ClickAt(hwnd, CenterOf(frame.PaintManager().FindControl(L"body")));
    EXPECT_EQ(frame.log.back(), L"click:body");
    frame.ShowWindow(false);
}

struct HitCase {
    const wchar_t* where;
    POINT client;
    LRESULT full;     // windows whose buttons, options and texts stay client area
    LRESULT buttons;  // windows where only buttons do
};

const HitCase kHits[] = {
    {L"label", {30, 20}, HTCAPTION, HTCAPTION},
    {L"button", {80, 20}, HTCLIENT, HTCLIENT},
    {L"option", {120, 20}, HTCLIENT, HTCAPTION},
    {L"text", {160, 20}, HTCLIENT, HTCAPTION},
    {L"plain control", {200, 20}, HTCAPTION, HTCAPTION},
    {L"layout", {270, 20}, HTCAPTION, HTCAPTION},
    {L"left inset", {5, 20}, HTCLIENT, HTCLIENT},
    {L"first column", {6, 20}, HTCAPTION, HTCAPTION},
    {L"right inset", {294, 20}, HTCLIENT, HTCLIENT},
    {L"last column", {293, 20}, HTCAPTION, HTCAPTION},
    {L"last caption row", {30, 39}, HTCAPTION, HTCAPTION},
    {L"below the caption", {30, 40}, HTCLIENT, HTCLIENT},
    {L"body", {150, 100}, HTCLIENT, HTCLIENT},
};

TEST_F(Frames, CaptionBandDragsExceptOverEachKindsClientControls) {
    for (const wchar_t* kind : {L"startup", L"ready", L"process", L"status", L"tip"}) {
        SCOPED_TRACE(NarrowText(kind, CP_UTF8));
        auto* frame = new TestFrame(Kind(kind, L"frame.xml"));
        // Left of the screen's origin, so x arrives negative in lParam.
        HWND hwnd = Make(frame, -250, 60);
        ASSERT_NE(hwnd, nullptr);
        bool buttonsOnly = frame->Description().handlers == FrameHandlers::CreationAndHitTest;
        for (const HitCase& c : kHits) {
            POINT screen = c.client;
            ::ClientToScreen(hwnd, &screen);
            LRESULT got = ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
            EXPECT_EQ(got, buttonsOnly ? c.buttons : c.full) << NarrowText(c.where, CP_UTF8);
        }
        if (frame->Description().lifetime == ObjectLifetime::DeletedWithWindow) {
            ::DestroyWindow(hwnd);
        } else {
            delete frame;
        }
        TakeQuitCode();
    }
}

bool InRegion(HWND hwnd, int x, int y) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    bool inside = ::GetWindowRgn(hwnd, region) != ERROR && ::PtInRegion(region, x, y);
    ::DeleteObject(region);
    return inside;
}

bool HasRegion(HWND hwnd) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    bool has = ::GetWindowRgn(hwnd, region) != ERROR;
    ::DeleteObject(region);
    return has;
}

TEST_F(Frames, RoundCornersFollowTheSizeButNotTheMinimisedWindow) {
    TestFrame frame(Kept(L"ready", L"frame.xml"));
    HWND hwnd = Make(&frame);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_TRUE(HasRegion(hwnd));
    EXPECT_FALSE(InRegion(hwnd, 0, 0)) << "the corner is cut";
    EXPECT_FALSE(InRegion(hwnd, 299, 159));
    EXPECT_TRUE(InRegion(hwnd, 150, 80));
    EXPECT_TRUE(InRegion(hwnd, 299, 80)) << "the last column belongs to the window";
    EXPECT_TRUE(InRegion(hwnd, 150, 159)) << "the last row belongs to the window";

    ::SetWindowPos(hwnd, nullptr, 0, 0, 400, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(InRegion(hwnd, 399, 100));
    EXPECT_FALSE(InRegion(hwnd, 399, 199));

    // A WM_SIZE while minimised leaves the region alone.
    frame.ShowWindow(true, false);
    ::ShowWindow(hwnd, SW_MINIMIZE);
    PumpMessages();
    if (::IsIconic(hwnd)) {
        ::SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
        EXPECT_TRUE(InRegion(hwnd, 399, 100));
    }
    ::DestroyWindow(hwnd);
}

TEST_F(Frames, TheSkinSizesWindowsMadeWithTheSystemsDefaultSize) {
    // The status bar and the after-recording window are made this way.
    TestFrame status(Kept(L"status", L"square.xml"));
    HWND hwnd = status.Create(nullptr, L"", WS_SYSMENU | WS_MINIMIZEBOX, 0);
    ASSERT_NE(hwnd, nullptr);
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    EXPECT_EQ(window.right - window.left, 200);
    EXPECT_EQ(window.bottom - window.top, 100);
    status.CenterWindow();
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info);
    ::GetWindowRect(hwnd, &window);
    EXPECT_NEAR((window.left + window.right) / 2, (info.rcWork.left + info.rcWork.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (info.rcWork.top + info.rcWork.bottom) / 2, 1);
}

RECT Rc(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

// Dragged onto a monitor scaled to 150 % and back: the window, its caption
// band, round corners, controls and fonts follow, where Windows suggests; back
// at 96 dpi every rectangle is what it was, to the pixel.
TEST_F(Frames, DpiChangeRescalesTheWholeWindowAndComesBackExactly) {
    for (const wchar_t* kind : {L"ready", L"status"}) {
        SCOPED_TRACE(kind);
        TestFrame frame(Kept(kind, L"frame.xml"));
        HWND hwnd = Make(&frame);
        ASSERT_NE(hwnd, nullptr);
        CPaintManagerUI& pm = frame.PaintManager();
        ASSERT_EQ(pm.GetDpi(), 96);
        RECT before{};
        ::GetWindowRect(hwnd, &before);
        ASSERT_EQ(before.right - before.left, 300);
        pm.UpdateLayout();
        const RECT bodyBefore = pm.FindControl(L"body")->GetPos();
        const RECT btnBefore = pm.FindControl(L"btn")->GetPos();
        TEXTMETRICW font96{};
        HDC dc = ::GetDC(hwnd);
        HGDIOBJ old = ::SelectObject(dc, pm.GetFont(-1));
        ::GetTextMetricsW(dc, &font96);

        RECT suggested{500, 300, 950, 540};
        ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
        RECT scaled{};
        ::GetWindowRect(hwnd, &scaled);
        EXPECT_EQ(scaled.left, 500);
        EXPECT_EQ(scaled.top, 300);
        EXPECT_EQ(scaled.right - scaled.left, 450);
        EXPECT_EQ(scaled.bottom - scaled.top, 240);
        EXPECT_TRUE(SameRect(pm.GetCaptionRect(), Rc(9, 0, 9, 60)));
        pm.UpdateLayout();
        EXPECT_TRUE(SameRect(pm.FindControl(L"btn")->GetPos(), Rc(90, 0, 150, 60)));
        EXPECT_TRUE(SameRect(pm.FindControl(L"body")->GetPos(), Rc(0, 60, 450, 240)));
        // The caption band drags at its scaled place: the plain control at 96 dpi x 200..240.
        EXPECT_EQ(frame.CaptionHitTest(500 + 310, 300 + 30), HTCAPTION);
        EXPECT_EQ(frame.CaptionHitTest(500 + 120, 300 + 30), HTCLIENT);
        if (std::wstring(kind) == L"ready") {
            EXPECT_FALSE(InRegion(hwnd, 1, 1)) << "the round corner grew";
            EXPECT_TRUE(InRegion(hwnd, 449, 120));
        }
        TEXTMETRICW font144{};
        ::SelectObject(dc, pm.GetFont(-1));
        ::GetTextMetricsW(dc, &font144);
        EXPECT_NEAR(font144.tmHeight, font96.tmHeight * 3 / 2, 2);

        ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&before));
        RECT after{};
        ::GetWindowRect(hwnd, &after);
        EXPECT_TRUE(SameRect(after, before));
        pm.UpdateLayout();
        EXPECT_TRUE(SameRect(pm.FindControl(L"body")->GetPos(), bodyBefore));
        EXPECT_TRUE(SameRect(pm.FindControl(L"btn")->GetPos(), btnBefore));
        EXPECT_TRUE(SameRect(pm.GetCaptionRect(), Rc(6, 0, 6, 40)));
        TEXTMETRICW fontBack{};
        ::SelectObject(dc, pm.GetFont(-1));
        ::GetTextMetricsW(dc, &fontBack);
        EXPECT_EQ(fontBack.tmHeight, font96.tmHeight);
        ::SelectObject(dc, old);
        ::ReleaseDC(hwnd, dc);
        ::DestroyWindow(hwnd);
    }
}

TEST_F(Frames, NoRegionWithoutRoundCornersOrForTheSimplerKinds) {
    auto* square = new TestFrame(Kind(L"ready", L"square.xml"));
    HWND hwnd = Make(square);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(HasRegion(hwnd));
    ::DestroyWindow(hwnd);

    TestFrame status(Kept(L"status", L"frame.xml"));
    hwnd = Make(&status);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(HasRegion(hwnd)) << "the status bar takes only creation and hit test";
}

TEST_F(Frames, MaximisedSizeComesFromTheMonitorWorkArea) {
    TestFrame frame(Kept(L"ready", L"frame.xml"));
    HWND hwnd = Make(&frame);
    ASSERT_NE(hwnd, nullptr);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    MINMAXINFO mmi{};
    ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMaxPosition.x, info.rcWork.left - info.rcMonitor.left);
    EXPECT_EQ(mmi.ptMaxPosition.y, info.rcWork.top - info.rcMonitor.top);
    EXPECT_EQ(mmi.ptMaxSize.x, info.rcWork.right - info.rcMonitor.left);
    EXPECT_EQ(mmi.ptMaxSize.y, info.rcWork.bottom - info.rcMonitor.top);

    // A task bar at the top: the window starts below it and its size is the
    // work area's right and bottom.
    RECT saved{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0);
    RECT top{info.rcMonitor.left, info.rcMonitor.top + 40, info.rcMonitor.right, info.rcMonitor.bottom};
    if (::SystemParametersInfoW(SPI_SETWORKAREA, 0, &top, 0)) {
        ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
        if (info.rcWork.top == top.top) {
            mmi = MINMAXINFO{};
            ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
            EXPECT_EQ(mmi.ptMaxPosition.x, 0);
            EXPECT_EQ(mmi.ptMaxPosition.y, 40);
            EXPECT_EQ(mmi.ptMaxSize.x, info.rcMonitor.right - info.rcMonitor.left);
            EXPECT_EQ(mmi.ptMaxSize.y, info.rcMonitor.bottom - info.rcMonitor.top);
        }
        ::SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
    }
    ::DestroyWindow(hwnd);
}

TEST_F(Frames, MaximiseAndRestoreSwapTheirButtons) {
    TestFrame frame(Kept(L"ready", L"frame.xml"));
    HWND hwnd = Make(&frame);
    ASSERT_NE(hwnd, nullptr);
    frame.ShowWindow(true, false);
    CControlUI* maxButton = frame.PaintManager().FindControl(L"maxbtn");
    CControlUI* restoreButton = frame.PaintManager().FindControl(L"restorebtn");
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ASSERT_TRUE(::IsZoomed(hwnd));
    EXPECT_FALSE(maxButton->IsVisible());
    EXPECT_TRUE(restoreButton->IsVisible());
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
    ASSERT_FALSE(::IsZoomed(hwnd));
    EXPECT_TRUE(maxButton->IsVisible());
    EXPECT_FALSE(restoreButton->IsVisible());

    // A skin without the two buttons is fine too.
    auto* square = new TestFrame(Kind(L"ready", L"square.xml"));
    HWND other = Make(square);
    ::ShowWindow(other, SW_SHOWNOACTIVATE);
    ::SendMessageW(other, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    ::SendMessageW(other, WM_SYSCOMMAND, SC_RESTORE, 0);
    ::DestroyWindow(other);
    ::DestroyWindow(hwnd);
}

// What closing does to one window: through the system (Alt+F4), then WM_CLOSE.
struct CloseOutcome {
    LRESULT systemCloseResult = -1;
    bool aliveAfterSystemClose = false;
    int quitAfterSystemClose = -1000;
    int endsAfterSystemClose = 0;
    bool aliveAfterClose = false;
    int quitAfterClose = -1000;
    int endsAfterClose = 0;
    bool deleted = false;
    bool discarded = false;
};

CloseOutcome CloseBoth(const wchar_t* kind, int& encoderEnds) {
    CloseOutcome out;
    int deletedBefore = TestFrame::Deleted();
    auto* frame = new TestFrame(Kind(kind, L"frame.xml"));
    HWND hwnd = frame->Create(nullptr, L"frame", 0x96C80000 & ~WS_VISIBLE, 0, 100, 100, 0, 0);
    if (hwnd == nullptr) return out;
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    encoderEnds = 0;
    out.systemCloseResult = ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    out.aliveAfterSystemClose = ::IsWindow(hwnd) != FALSE;
    out.quitAfterSystemClose = TakeQuitCode();
    out.endsAfterSystemClose = encoderEnds;
    if (out.aliveAfterSystemClose) {
        encoderEnds = 0;
        ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
        out.aliveAfterClose = ::IsWindow(hwnd) != FALSE;
        out.quitAfterClose = TakeQuitCode();
        out.endsAfterClose = encoderEnds;
    }
    out.deleted = TestFrame::Deleted() != deletedBefore;
    if (!out.deleted) {
        for (const auto& e : frame->log) out.discarded |= e == L"discard";
        delete frame;
    }
    return out;
}

TEST_F(Frames, StartupKindEndsEncodersAndTheProgram) {
    CloseOutcome o = CloseBoth(L"startup", encoderEnds);
    EXPECT_EQ(o.systemCloseResult, 0);
    EXPECT_TRUE(o.aliveAfterSystemClose) << "Alt+F4 quits without destroying";
    EXPECT_EQ(o.quitAfterSystemClose, 0);
    EXPECT_EQ(o.endsAfterSystemClose, 1);
    EXPECT_FALSE(o.aliveAfterClose);
    EXPECT_EQ(o.endsAfterClose, 1);
    EXPECT_EQ(o.quitAfterClose, 0) << "posted when the window is destroyed";
    EXPECT_TRUE(o.deleted);
}

TEST_F(Frames, StartupKindDiscardsItsOwnedWindowsOnClose) {
    // Kept alive by hand to read its log: same kind, object not deleted.
    FrameDescription d = Kind(L"startup", L"frame.xml");
    d.lifetime = ObjectLifetime::KeptByOwner;
    TestFrame frame(d);
    HWND hwnd = Make(&frame);
    ASSERT_NE(hwnd, nullptr);
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(frame.log.back(), L"discard");
    EXPECT_EQ(encoderEnds, 1);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(Frames, CountdownKindQuitsOnAltF4WithoutEndingEncoders) {
    CloseOutcome o = CloseBoth(L"ready", encoderEnds);
    EXPECT_EQ(o.systemCloseResult, 0);
    EXPECT_TRUE(o.aliveAfterSystemClose);
    EXPECT_EQ(o.quitAfterSystemClose, 0);
    EXPECT_EQ(o.endsAfterSystemClose, 0);
    EXPECT_FALSE(o.aliveAfterClose);
    EXPECT_EQ(o.quitAfterClose, 0);
    EXPECT_EQ(o.endsAfterClose, 0);
    EXPECT_TRUE(o.deleted);
}

TEST_F(Frames, AfterRecordingKindStaysOpenAndInFrontOnAltF4) {
    CloseOutcome o = CloseBoth(L"process", encoderEnds);
    EXPECT_EQ(o.systemCloseResult, 0);
    EXPECT_TRUE(o.aliveAfterSystemClose);
    EXPECT_EQ(o.quitAfterSystemClose, -1000) << "no quit message";
    EXPECT_FALSE(o.aliveAfterClose);
    EXPECT_EQ(o.quitAfterClose, 0);
    EXPECT_EQ(o.endsAfterSystemClose + o.endsAfterClose, 0);
    EXPECT_TRUE(o.deleted);

    // In front: above a window that was above it before.
    auto* process = new TestFrame(Kind(L"process", L"frame.xml"));
    HWND hwnd = Make(process);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    TestFrame other(Kept(L"tip", L"square.xml"));
    HWND above = Make(&other);
    ::ShowWindow(above, SW_SHOWNOACTIVATE);
    ::SetWindowPos(above, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    auto isAbove = [](HWND upper, HWND lower) {
        for (HWND w = ::GetWindow(upper, GW_HWNDNEXT); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
            if (w == lower) return true;
        }
        return false;
    };
    ASSERT_TRUE(isAbove(above, hwnd));
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(isAbove(hwnd, above));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    ::DestroyWindow(hwnd);
}

TEST_F(Frames, StatusAndTipKindsCloseByDefaultAndKeepTheirObjects) {
    for (const wchar_t* kind : {L"status", L"tip"}) {
        SCOPED_TRACE(NarrowText(kind, CP_UTF8));
        CloseOutcome o = CloseBoth(kind, encoderEnds);
        EXPECT_FALSE(o.aliveAfterSystemClose) << "the system's close destroys it";
        EXPECT_EQ(o.quitAfterSystemClose, -1000);
        EXPECT_EQ(o.endsAfterSystemClose, 0);
        EXPECT_FALSE(o.deleted);
        EXPECT_FALSE(o.discarded);
    }
    TestFrame status(Kept(L"status", L"frame.xml"));
    HWND hwnd = Make(&status);
    ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(TakeQuitCode(), -1000);
}

TEST_F(Frames, DeletingTheObjectTakesItsWindowAlong) {
    auto* tip = new TestFrame(Kind(L"tip", L"frame.xml"));
    HWND hwnd = Make(tip);
    ASSERT_TRUE(::IsWindow(hwnd));
    delete tip;
    EXPECT_FALSE(::IsWindow(hwnd));
    PumpMessages();
}

struct BrokenCase {
    const wchar_t* what;
    const wchar_t* file;
    std::vector<RequiredControl> required;
    const wchar_t* problem;
};

TEST_F(Frames, ABrokenSkinIsReportedAndTheWindowNeverUsed) {
    folder.Write(L"broken.xml", "<Window size=\"100,100\"><VerticalLayout></Window>");
    const BrokenCase cases[] = {
        {L"missing file", L"absent.xml", {}, L"不存在"},
        {L"not well-formed", L"broken.xml", {}, L"XML"},
        {L"missing control", L"frame.xml", {{L"btn", L"Button"}, {L"ghost", L"Button"}}, L"ghost"},
        {L"wrong kind", L"frame.xml", {{L"title", L"Button"}}, L"不是按钮"},
        {L"wrong kind of option", L"frame.xml", {{L"btn", L"Option"}}, L"不是选项"},
    };
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(NarrowText(c.what, CP_UTF8));
        reportedFile.clear();
        reportedProblem.clear();
        encoderEnds = 0;
        FrameDescription d = Kind(L"startup", c.file);
        d.requiredControls = c.required;
        d.lifetime = ObjectLifetime::KeptByOwner;
        TestFrame frame(d);
        HWND hwnd = Make(&frame);
        ASSERT_NE(hwnd, nullptr) << "the object stays usable for its creator";
        EXPECT_FALSE(frame.SkinReady());
        EXPECT_NE(frame.SkinProblem().find(c.problem), std::wstring::npos) << NarrowText(frame.SkinProblem(), CP_UTF8);
        EXPECT_EQ(reportedProblem, frame.SkinProblem());
        EXPECT_EQ(reportedFile, folder.Path() + c.file) << "the user is told which file";
        EXPECT_NE(SkinFailureMessage(reportedFile, reportedProblem).find(c.file), std::wstring::npos);
        EXPECT_EQ(encoderEnds, 1) << "no encoder outlives the program";
        EXPECT_EQ(TakeQuitCode(), kSkinFailureExitCode);
        EXPECT_EQ(frame.log, std::vector<std::wstring>{L"before"}) << "the window's own initialisation never runs";

        // Shown, clicked, typed at, ticked: it stays hidden and nothing of
        // the window's own runs.
        frame.ShowWindow(true, true);
        ::ShowWindow(hwnd, SW_SHOW);
        EXPECT_FALSE(::IsWindowVisible(hwnd));
        int ownBefore = frame.ownMessages;
        ClickAt(hwnd, POINT{80, 20});
        ::SendMessageW(hwnd, WM_KEYDOWN, VK_SPACE, 1);
        ::SendMessageW(hwnd, WM_TIMER, 20, 0);
        EXPECT_EQ(frame.ownMessages, ownBefore);
        EXPECT_EQ(frame.log.size(), 1u);
        ::DestroyWindow(hwnd);
        TakeQuitCode();
    }
}

TEST(FrameHelpers, MissingControlProblemNamesTheFirstMissingControl) {
    SkinFolder folder;
    folder.Write(L"f.xml", kFrameSkin);
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"f.xml", nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(root);
    EXPECT_EQ(MissingControlProblem(pm, {{L"btn", L"Button"}, {L"opt", L"Option"}, {L"txt", L"Text"},
                                         {L"title", L"Label"}, {L"plain", nullptr}}),
              L"");
    EXPECT_EQ(MissingControlProblem(pm, {{L"btn", L"Button"}, {L"nope", nullptr}, {L"zip", nullptr}}),
              L"缺少控件“nope”");
    EXPECT_EQ(MissingControlProblem(pm, {{L"opt", L"Button"}}), L"") << "an option is a button";
    EXPECT_EQ(MissingControlProblem(pm, {{L"plain", L"Label"}}), L"控件“plain”不是标签");
}

}  // namespace

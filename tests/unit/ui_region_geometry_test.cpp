// Hit testing, dragging and button placement of the region selector.
#include <gtest/gtest.h>

#include "ui/region_geometry.h"
#include "ui/region_state.h"

namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

struct HitCase {
    Rect rect;
    int32_t x, y;
    int32_t zone;
};

TEST(HitTestEdges, BandsReachFivePixelsEitherSideOfEachEdge) {
    const Rect r{100, 100, 300, 200};
    const HitCase cases[] = {
        {r, 94, 150, EdgeNone},   {r, 95, 150, EdgeLeft},    {r, 105, 150, EdgeLeft},
        {r, 106, 150, EdgeAll},   {r, 294, 150, EdgeAll},    {r, 295, 150, EdgeRight},
        {r, 305, 150, EdgeRight}, {r, 306, 150, EdgeNone},   {r, 200, 94, EdgeNone},
        {r, 200, 95, EdgeTop},    {r, 200, 105, EdgeTop},    {r, 200, 106, EdgeAll},
        {r, 200, 195, EdgeBottom}, {r, 200, 205, EdgeBottom}, {r, 200, 206, EdgeNone},
        {r, 100, 100, EdgeLeft | EdgeTop},     {r, 300, 200, EdgeRight | EdgeBottom},
        {r, 300, 100, EdgeRight | EdgeTop},    {r, 100, 200, EdgeLeft | EdgeBottom},
        {r, 95, 95, EdgeLeft | EdgeTop},       {r, 94, 95, EdgeNone},
    };
    for (const HitCase& c : cases) {
        Rect stored = c.rect;
        EXPECT_EQ(HitTestEdges(stored, c.x, c.y), c.zone) << "at " << c.x << "," << c.y;
    }
}

TEST(HitTestEdges, BandsOnSmallRectanglesMeetAtTheCentre) {
    // 10 pixels wide: the left band ends at mx - 1, the right starts at mx, no move zone.
    Rect narrow{100, 100, 110, 300};
    EXPECT_EQ(HitTestEdges(narrow, 104, 200), EdgeLeft);
    EXPECT_EQ(HitTestEdges(narrow, 105, 200), EdgeRight);
    for (int32_t x = 95; x <= 115; ++x) EXPECT_NE(HitTestEdges(narrow, x, 200), EdgeAll) << x;

    // 12 wide: mx - left is 6, not more, so the left band still stops short
    // of the centre (105), while right - mx is 6 and the right band is a full
    // one (from 107): one column of move zone remains in between.
    Rect twelve{100, 100, 112, 300};
    EXPECT_EQ(HitTestEdges(twelve, 105, 200), EdgeLeft);
    EXPECT_EQ(HitTestEdges(twelve, 106, 200), EdgeAll);
    EXPECT_EQ(HitTestEdges(twelve, 107, 200), EdgeRight);

    // 14 wide: both bands are full ones.
    Rect fourteen{100, 100, 114, 300};
    EXPECT_EQ(HitTestEdges(fourteen, 105, 200), EdgeLeft);
    EXPECT_EQ(HitTestEdges(fourteen, 106, 200), EdgeAll);
    EXPECT_EQ(HitTestEdges(fourteen, 108, 200), EdgeAll);
    EXPECT_EQ(HitTestEdges(fourteen, 109, 200), EdgeRight);

    // The same rule vertically, and an empty rectangle: only edges, left of
    // the point itself is Left, the point and right of it Right.
    Rect low{100, 100, 300, 110};
    EXPECT_EQ(HitTestEdges(low, 200, 104), EdgeTop);
    EXPECT_EQ(HitTestEdges(low, 200, 105), EdgeBottom);
    Rect empty{50, 60, 50, 60};
    EXPECT_EQ(HitTestEdges(empty, 49, 59), EdgeLeft | EdgeTop);
    EXPECT_EQ(HitTestEdges(empty, 50, 60), EdgeRight | EdgeBottom);
    EXPECT_EQ(HitTestEdges(empty, 56, 60), EdgeNone);
}

TEST(HitTestEdges, SwapsCrossedEdgesBackInTheStoredRectangle) {
    Rect crossed{300, 200, 100, 100};
    EXPECT_EQ(HitTestEdges(crossed, 100, 150), EdgeLeft);
    EXPECT_EQ(crossed, (Rect{100, 100, 300, 200}));
}

TEST(ApplyDrag, MovingAgainstEachBorderKeepsTheSize) {
    const Rect start{200, 300, 500, 600};
    struct Move {
        Point to;
        Rect expected;
    } moves[] = {
        {{-1000, 450}, {0, 300, 300, 600}},          // left border
        {{5000, 450}, {1620, 300, 1920, 600}},       // right border
        {{350, -1000}, {200, 0, 500, 300}},          // top border
        {{350, 5000}, {200, 780, 500, 1080}},        // bottom border
        {{-1000, -1000}, {0, 0, 300, 300}},          // a corner
        {{360, 470}, {210, 320, 510, 620}},          // free move
    };
    for (const Move& m : moves) {
        Rect r = start;
        Point last{350, 450};
        ApplyDrag(r, EdgeAll, last, m.to, kWidth, kHeight);
        EXPECT_EQ(r, m.expected) << "to " << m.to.x << "," << m.to.y;
        EXPECT_EQ(r.right - r.left, 300);
        EXPECT_EQ(r.bottom - r.top, 300);
        EXPECT_EQ(last, m.to);
    }
}

TEST(ApplyDrag, ResizingMovesOnlyTheGrabbedEdgesAndStopsThemAtTheBorder) {
    Rect r{200, 300, 500, 600};
    Point last{200, 300};
    ApplyDrag(r, EdgeLeft | EdgeTop, last, Point{150, 280}, kWidth, kHeight);
    EXPECT_EQ(r, (Rect{150, 280, 500, 600}));
    ApplyDrag(r, EdgeLeft | EdgeTop, last, Point{-400, -400}, kWidth, kHeight);
    EXPECT_EQ(r, (Rect{0, 0, 500, 600}));

    r = Rect{200, 300, 500, 600};
    last = Point{500, 600};
    ApplyDrag(r, EdgeRight | EdgeBottom, last, Point{3000, 3000}, kWidth, kHeight);
    EXPECT_EQ(r, (Rect{200, 300, 1920, 1080}));

    // One edge only: the vertical step is ignored.
    r = Rect{200, 300, 500, 600};
    last = Point{500, 450};
    ApplyDrag(r, EdgeRight, last, Point{520, 900}, kWidth, kHeight);
    EXPECT_EQ(r, (Rect{200, 300, 520, 600}));
}

TEST(ApplyDrag, EdgesCrossedDuringAResizeAreSwappedBackWhenTheButtonsArePlaced) {
    Rect r{200, 300, 500, 600};
    Point last{500, 600};
    ApplyDrag(r, EdgeRight | EdgeBottom, last, Point{100, 250}, kWidth, kHeight);
    EXPECT_EQ(r, (Rect{200, 300, 100, 250}));  // crossed while the button is down
    const Point buttons = PlaceButtons(r, kWidth, kHeight);
    EXPECT_EQ(r, (Rect{100, 250, 200, 300}));
    EXPECT_EQ(buttons, (Point{130, 305}));
}

TEST(PlaceButtons, BelowAboveOrInsideTheRectangle) {
    struct Case {
        Rect rect;
        Point expected;
    } cases[] = {
        {{100, 100, 500, 400}, {430, 405}},        // under the right end
        {{100, 100, 500, 1055}, {430, 1060}},      // just fits below
        {{100, 100, 500, 1056}, {430, 75}},        // near the bottom: above
        {{100, 10, 500, 1070}, {425, 1045}},       // no room above either: inside
        {{0, 0, 1920, 1080}, {1845, 1055}},        // the whole screen: inside
        {{0, 100, 40, 200}, {0, 205}},             // narrow at the left border
        {{0, 0, 30, 1080}, {0, 1055}},             // narrow and full height
    };
    for (const Case& c : cases) {
        Rect r = c.rect;
        EXPECT_EQ(PlaceButtons(r, kWidth, kHeight), c.expected)
            << c.rect.left << "," << c.rect.top << "," << c.rect.right << "," << c.rect.bottom;
    }
}

TEST(RegionGeometry, CursorsHandlesAndRepaintBounds) {
    EXPECT_EQ(CursorForZone(EdgeNone), ZoneCursor::Arrow);
    EXPECT_EQ(CursorForZone(EdgeLeft), ZoneCursor::SizeWE);
    EXPECT_EQ(CursorForZone(EdgeRight), ZoneCursor::SizeWE);
    EXPECT_EQ(CursorForZone(EdgeTop), ZoneCursor::SizeNS);
    EXPECT_EQ(CursorForZone(EdgeBottom), ZoneCursor::SizeNS);
    EXPECT_EQ(CursorForZone(EdgeLeft | EdgeTop), ZoneCursor::SizeNWSE);
    EXPECT_EQ(CursorForZone(EdgeRight | EdgeBottom), ZoneCursor::SizeNWSE);
    EXPECT_EQ(CursorForZone(EdgeRight | EdgeTop), ZoneCursor::SizeNESW);
    EXPECT_EQ(CursorForZone(EdgeLeft | EdgeBottom), ZoneCursor::SizeNESW);
    EXPECT_EQ(CursorForZone(EdgeAll), ZoneCursor::SizeAll);

    const auto h = HandleCentres(Rect{10, 20, 111, 221});
    const Point expected[] = {{10, 20}, {10, 221}, {111, 20}, {111, 221}, {10, 120}, {111, 120}, {60, 20}, {60, 221}};
    for (size_t i = 0; i < h.size(); ++i) EXPECT_EQ(h[i], expected[i]) << i;

    // Handles reach 5 pixels past the edges; the repaint area must hold them,
    // also while the edges are crossed.
    EXPECT_EQ(PaintBounds(Rect{300, 400, 100, 200}), (Rect{94, 194, 306, 406}));
    // The plain inside stays clear of the outline (on right - 1 and bottom - 1)
    // and of the handles reaching 5 pixels in; small rectangles have none.
    EXPECT_EQ(InnerArea(Rect{300, 400, 100, 200}), (Rect{106, 206, 294, 394}));
    EXPECT_TRUE(IsEmptyRect(InnerArea(Rect{100, 100, 112, 300})));
    EXPECT_EQ(InnerArea(Rect{100, 100, 113, 300}), (Rect{106, 106, 107, 294}));
    EXPECT_EQ(UnionRect(Rect{}, Rect{1, 2, 3, 4}), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(UnionRect(Rect{0, 5, 10, 20}, Rect{5, 0, 20, 10}), (Rect{0, 0, 20, 20}));
}

}  // namespace

// Two monitors as a teacher's classroom has them: the projector (1024 x 768)
// left of the laptop's primary screen (1920 x 1080), so at negative x. This
// machine's Xvfb gives Wine one monitor only; the geometry is checked here.
namespace two_screens {

const Rect kProjector{-1024, 0, 0, 768};
const Rect kLaptop{0, 0, 1920, 1080};
const std::vector<Rect> kMonitors{kLaptop, kProjector};

TEST(TwoMonitors, VirtualScreenAndTheMonitorOfARectangle) {
    EXPECT_EQ(BoundingRect(kMonitors), (Rect{-1024, 0, 1920, 1080}));
    EXPECT_EQ(BoundingRect({kLaptop}), kLaptop);
    EXPECT_EQ(MonitorForRect(kMonitors, Rect{-900, 100, -300, 500}), 1u);
    EXPECT_EQ(MonitorForRect(kMonitors, Rect{100, 100, 500, 500}), 0u);
    // Across the edge: the monitor holding most of it.
    EXPECT_EQ(MonitorForRect(kMonitors, Rect{-600, 100, 100, 500}), 1u);
    EXPECT_EQ(MonitorForRect(kMonitors, Rect{-100, 100, 600, 500}), 0u);
    // Dragged from right to left, or a click: still found.
    EXPECT_EQ(MonitorForRect(kMonitors, Rect{-300, 500, -900, 100}), 1u);
    EXPECT_EQ(MonitorForRect(kMonitors, Rect{-5, 5, -5, 5}), 1u);
    // Nowhere (below the shorter projector): the primary.
    EXPECT_EQ(MonitorForRect(kMonitors, Rect{-900, 900, -800, 1000}), 0u);
}

// The selector works in its windows' client pixels: the virtual screen moved
// to (0, 0). A region near the projector's bottom gets its buttons above it
// although the virtual screen goes on below (the laptop is taller).
TEST(TwoMonitors, SelectorButtonsStayOnTheRegionsMonitor) {
    SelectionModel model;
    const Rect all = BoundingRect(kMonitors);
    model.SetScreenSize(all.right - all.left, all.bottom - all.top);
    model.SetMonitors({Offset(kLaptop, -all.left, 0), Offset(kProjector, -all.left, 0)});
    model.Show();
    model.LeftButtonDown(700, 760);
    model.LeftButtonUp(100, 400);
    EXPECT_EQ(model.rect(), (Rect{100, 400, 700, 760}));
    EXPECT_EQ(model.buttons(), (Point{630, 375}));  // above: the projector ends at 768
    // Back in screen pixels the region lies on the projector, at negative x.
    EXPECT_EQ(Offset(model.rect(), all.left, all.top), (Rect{-924, 400, -324, 760}));

    // On the laptop the same height has room below.
    model.Show();
    model.LeftButtonDown(1200, 400);
    model.LeftButtonUp(1800, 760);
    EXPECT_EQ(model.buttons(), (Point{1730, 765}));

    // Moved left past the virtual screen's edge: stops there, size kept.
    model.LeftButtonDown(1500, 600);
    model.MouseMove(-2000, 600);
    model.LeftButtonUp(-2000, 600);
    EXPECT_EQ(model.rect(), (Rect{0, 400, 600, 760}));
}

TEST(TwoMonitors, PairStaysOnItsMonitorsLeftEdge) {
    Rect r{-1020, 10, -1000, 30};
    EXPECT_EQ(PlaceButtonsOn(r, kProjector), (Point{-1024, 35}));
    // One screen: as before.
    Rect same{10, 10, 30, 30};
    EXPECT_EQ(PlaceButtonsOn(same, kLaptop), PlaceButtons(same, 1920, 1080));
}

TEST(StatusBar, OutsideACustomRegionWhereThereIsRoom) {
    const Rect work{0, 0, 1920, 1040};
    // Room below: centred under the region.
    EXPECT_EQ(PlaceOutside(Rect{400, 200, 1000, 600}, 410, 52, work, 8), (Point{495, 608}));
    // Region down to the task bar: above it.
    EXPECT_EQ(PlaceOutside(Rect{400, 600, 1000, 1000}, 410, 52, work, 8), (Point{495, 540}));
    // Full height: beside it, right first, then left.
    EXPECT_EQ(PlaceOutside(Rect{100, 0, 1200, 1040}, 410, 52, work, 8), (Point{1208, 494}));
    EXPECT_EQ(PlaceOutside(Rect{600, 0, 1920, 1040}, 410, 52, work, 8), (Point{182, 494}));
    // Near the left edge: moved along so it stays on the screen.
    EXPECT_EQ(PlaceOutside(Rect{0, 100, 200, 300}, 410, 52, work, 8), (Point{0, 308}));
    // No room anywhere: the middle of the work area, as the bar always stood.
    EXPECT_EQ(PlaceOutside(Rect{0, 0, 1920, 1040}, 410, 52, work, 8), (Point{755, 494}));
    // On the projector, at negative x.
    EXPECT_EQ(PlaceOutside(Rect{-900, 100, -300, 500}, 410, 52, kProjector, 8), (Point{-805, 508}));
}

TEST(StatusBar, MovesOnlyWhenOnAnotherMonitorOrOverTheRegion) {
    const Rect centred{755, 514, 1165, 566};
    Point p;
    // Full screen on the laptop, bar centred there: it stays (today's place).
    EXPECT_FALSE(StatusBarPlace(centred, kLaptop, kLaptop, false, kLaptop, kLaptop, 8, p));
    // Full screen on the projector: centred on the projector.
    ASSERT_TRUE(StatusBarPlace(centred, kLaptop, kProjector, false, kProjector, kProjector, 8, p));
    EXPECT_EQ(p, (Point{-717, 358}));
    // A custom region under the bar: moved out of it.
    ASSERT_TRUE(StatusBarPlace(centred, kLaptop, Rect{400, 200, 1500, 700}, true, kLaptop, kLaptop, 8, p));
    EXPECT_EQ(p, (Point{745, 708}));
    // A custom region clear of the bar, on the same monitor: the bar stays.
    EXPECT_FALSE(StatusBarPlace(centred, kLaptop, Rect{100, 100, 500, 400}, true, kLaptop, kLaptop, 8, p));
}

}  // namespace two_screens

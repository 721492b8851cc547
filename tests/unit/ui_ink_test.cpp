// The drawing's model: sizes at each scaling, strokes, the undo history's
// limits, the arrow head, the rings' fading and the drawing switch.
#include <gtest/gtest.h>

#include <cmath>

#include "ui/ink.h"

namespace {

TEST(InkSizes, ScaleWithTheMonitorsDensity) {
    struct Case {
        int32_t value;
        int dpi;
        int32_t expected;
    };
    const Case cases[] = {
        {kPenWidth96, 96, 4},    {kPenWidth96, 120, 5},      {kPenWidth96, 144, 6},
        {kPenWidth96, 192, 8},   {kRingDiameter96, 144, 36}, {kRingDiameter96, 120, 30},
        {kRingThickness96, 144, 5}, {1, 48, 1},               {kPenWidth96, 0, 4},  // unknown density: 100 %
    };
    for (const Case& c : cases) EXPECT_EQ(ScaleForDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;

    EXPECT_EQ(StyleForTool(InkTool::Pen, 144).width, 6);
    EXPECT_EQ(StyleForTool(InkTool::Pen, 96).colour, kPenColour);
    const InkStyle marker = StyleForTool(InkTool::Highlighter, 96);
    EXPECT_GT(marker.width, 3 * StyleForTool(InkTool::Pen, 96).width);  // wide
    EXPECT_LT(marker.colour >> 24, 0xC0u);                               // see-through
    EXPECT_GT(marker.colour >> 24, 0x30u);
    // The shapes draw with the pen.
    EXPECT_EQ(StyleForTool(InkTool::Arrow, 144).width, 6);
    EXPECT_EQ(StyleForTool(InkTool::Rectangle, 96).colour, kPenColour);
}

TEST(InkStrokes, FreehandKeepsItsPathAndShapesTheirTwoEnds) {
    InkStroke pen{InkTool::Pen, StyleForTool(InkTool::Pen, 96), {}};
    EXPECT_TRUE(ExtendStroke(pen, Point{10, 10}));
    EXPECT_FALSE(ExtendStroke(pen, Point{10, 10}));  // the mouse did not move
    EXPECT_TRUE(ExtendStroke(pen, Point{12, 11}));
    EXPECT_EQ(pen.points.size(), 2u);

    InkStroke box{InkTool::Rectangle, StyleForTool(InkTool::Rectangle, 96), {}};
    ExtendStroke(box, Point{5, 5});
    ExtendStroke(box, Point{50, 40});
    EXPECT_TRUE(ExtendStroke(box, Point{60, 30}));
    ASSERT_EQ(box.points.size(), 2u);
    EXPECT_EQ(box.points[0], (Point{5, 5}));
    EXPECT_EQ(box.points[1], (Point{60, 30}));

    // What a stroke can touch: its points, half its width and the smoothed edge.
    const Rect b = StrokeBounds(box);
    EXPECT_LE(b.left, 5 - 2);
    EXPECT_GE(b.right, 61 + 2);
    EXPECT_TRUE(IsEmptyRect(StrokeBounds(InkStroke{})));
}

TEST(InkStrokes, AFreehandStrokeIsFullAtItsLimitAShapeNever) {
    InkStroke pen{InkTool::Highlighter, StyleForTool(InkTool::Highlighter, 96), {}};
    for (int32_t i = 0; pen.points.size() < kMaxStrokePoints; ++i) ExtendStroke(pen, Point{i, 0});
    EXPECT_TRUE(StrokeIsFull(pen));
    InkStroke arrow{InkTool::Arrow, StyleForTool(InkTool::Arrow, 96), {Point{0, 0}, Point{1, 1}}};
    EXPECT_FALSE(StrokeIsFull(arrow));
}

TEST(InkHistory, KeepsTheNewestStrokesUpToItsLimits) {
    InkHistory history;
    std::vector<InkStroke> left;
    for (int32_t i = 0; i < 150; ++i) {
        InkStroke s{InkTool::Pen, {}, {Point{i, 0}, Point{i, 1}}};
        for (InkStroke& gone : history.Add(s)) left.push_back(std::move(gone));
    }
    EXPECT_EQ(history.Strokes().size(), kMaxUndoStrokes);
    ASSERT_EQ(left.size(), 150 - kMaxUndoStrokes);
    EXPECT_EQ(left.front().points[0].x, 0);  // the oldest leave first
    EXPECT_EQ(left.back().points[0].x, 49);
    EXPECT_EQ(history.Strokes().front().points[0].x, 50);
    EXPECT_EQ(history.PointCount(), 2 * kMaxUndoStrokes);

    // By points: a few long strokes push the older ones out; the newest stays
    // undoable however long it is.
    history.Clear();
    InkStroke longStroke{InkTool::Pen, {}, std::vector<Point>(kMaxUndoPoints / 2 + 1)};
    EXPECT_TRUE(history.Add(longStroke).empty());
    EXPECT_EQ(history.Add(longStroke).size(), 1u);
    InkStroke huge{InkTool::Pen, {}, std::vector<Point>(kMaxUndoPoints * 2)};
    EXPECT_EQ(history.Add(huge).size(), 1u);
    EXPECT_EQ(history.Strokes().size(), 1u);
    EXPECT_TRUE(history.Undo());
    EXPECT_EQ(history.PointCount(), 0u);
    EXPECT_FALSE(history.Undo());
}

TEST(InkArrow, TheHeadEndsAtTheTipAndSitsAcrossTheShaft) {
    const ArrowHead head = ArrowHeadFor(Point{100, 100}, Point{300, 100}, 4);
    EXPECT_FLOAT_EQ(head.tip.x, 300.5f);
    EXPECT_FLOAT_EQ(head.tip.y, 100.5f);
    // Both back corners behind the tip, one each side, equally far.
    EXPECT_LT(head.left.x, 300.5f);
    EXPECT_FLOAT_EQ(head.left.x, head.right.x);
    EXPECT_NEAR(head.left.y - 100.5f, 100.5f - head.right.y, 1e-3);
    EXPECT_GT(std::fabs(head.left.y - head.right.y), 3 * 4.0f);  // wider than the shaft
    EXPECT_GT(head.shaftEnd.x, head.left.x);                     // the shaft ends inside the head
    EXPECT_LT(head.shaftEnd.x, head.tip.x);

    // A short arrow's head is at most half of it; a zero-length one is a point.
    const ArrowHead shortHead = ArrowHeadFor(Point{0, 0}, Point{0, 10}, 8);
    EXPECT_GE(shortHead.left.y, 5.0f);
    const ArrowHead none = ArrowHeadFor(Point{7, 7}, Point{7, 7}, 4);
    EXPECT_FLOAT_EQ(none.left.x, none.tip.x);
}

TEST(InkRings, FadeOutWithinHalfASecond) {
    EXPECT_LE(kRingLifetimeMs, 500u);
    EXPECT_EQ(RingOpacity(0), 255);
    EXPECT_EQ(RingOpacity(50), 255);  // full in the first picture after the click
    uint8_t last = 255;
    for (uint64_t t = 100; t < kRingLifetimeMs; t += 50) {
        EXPECT_LT(RingOpacity(t), last) << t;
        last = RingOpacity(t);
    }
    EXPECT_EQ(RingOpacity(kRingLifetimeMs), 0);
    EXPECT_EQ(RingOpacity(10000), 0);
    // Around the centre pixel, as far each way.
    const Rect b = RingBounds(Point{100, 50}, 24, 3);
    EXPECT_EQ(100 - b.left, b.right - 1 - 100);
    EXPECT_EQ(50 - b.top, b.bottom - 1 - 50);
    EXPECT_GE(b.right - b.left, 24 + 3);
}

// One step of the drawing switch and what follows from the new state.
struct SwitchCase {
    const char* what;
    InkState before;
    InkEvent event;
    bool drawing;
    InkRecording recording;
    InkKeys keys;
};

TEST(InkSwitch, FollowsTheRecordingAndTheTeacher) {
    const InkState idle{};
    const InkState running{true, InkRecording::Running, false, InkTool::Pen};
    const InkState drawing{true, InkRecording::Running, true, InkTool::Arrow};
    const InkState paused{true, InkRecording::Paused, false, InkTool::Pen};
    const InkState broken{false, InkRecording::Running, false, InkTool::Pen};
    const SwitchCase cases[] = {
        {"no recording: the pen button does nothing", idle, InkEvent::PenButton, false, InkRecording::None,
         InkKeys::None},
        {"no recording: F9 does nothing", idle, InkEvent::DrawKey, false, InkRecording::None, InkKeys::None},
        {"a start: drawing off, F9 delivered", idle, InkEvent::RecordingStarted, false, InkRecording::Running,
         InkKeys::DrawKey},
        {"a new start after drawing: off again", drawing, InkEvent::RecordingStarted, false,
         InkRecording::Running, InkKeys::DrawKey},
        {"the pen button: on, Ctrl+Z delivered too", running, InkEvent::PenButton, true, InkRecording::Running,
         InkKeys::DrawKeyAndUndo},
        {"F9 while on: off", drawing, InkEvent::DrawKey, false, InkRecording::Running, InkKeys::DrawKey},
        {"a right click: off", drawing, InkEvent::RightButton, false, InkRecording::Running, InkKeys::DrawKey},
        {"a pause: off, F9 still delivered", drawing, InkEvent::RecordingPaused, false, InkRecording::Paused,
         InkKeys::DrawKey},
        {"F9 while paused: on", paused, InkEvent::DrawKey, true, InkRecording::Paused, InkKeys::DrawKeyAndUndo},
        {"resume: the drawing stays as it was", paused, InkEvent::RecordingResumed, false, InkRecording::Running,
         InkKeys::DrawKey},
        {"the end: off, no key delivered", drawing, InkEvent::RecordingEnded, false, InkRecording::None,
         InkKeys::None},
        {"no overlay: the pen button does nothing", broken, InkEvent::PenButton, false, InkRecording::Running,
         InkKeys::None},
        {"no overlay: F9 does nothing", broken, InkEvent::DrawKey, false, InkRecording::Running, InkKeys::None},
        {"the overlay fails while drawing: off", drawing, InkEvent::Unavailable, false, InkRecording::Running,
         InkKeys::None},
        {"resume without a recording stays without", idle, InkEvent::RecordingResumed, false, InkRecording::None,
         InkKeys::None},
    };
    for (const SwitchCase& c : cases) {
        const InkState after = NextInkState(c.before, c.event);
        EXPECT_EQ(after.drawing, c.drawing) << c.what;
        EXPECT_EQ(after.recording, c.recording) << c.what;
        EXPECT_EQ(KeysForInkState(after), c.keys) << c.what;
        EXPECT_EQ(after.tool, c.before.tool) << c.what;  // the tool chosen stays
    }
}

TEST(InkSwitch, ThePaletteAndTheRingsFollowTheSwitch) {
    InkState s = NextInkState(InkState{}, InkEvent::RecordingStarted);
    EXPECT_FALSE(PaletteShownFor(s));
    EXPECT_TRUE(RingsShownFor(s, true));
    EXPECT_FALSE(RingsShownFor(s, false));  // the teacher switched them off

    // A tool from the palette switches drawing on with it.
    s = ChooseInkTool(s, InkTool::Highlighter);
    EXPECT_TRUE(s.drawing);
    EXPECT_EQ(s.tool, InkTool::Highlighter);
    EXPECT_TRUE(PaletteShownFor(s));
    EXPECT_FALSE(RingsShownFor(s, true));  // a press draws, it is no click to show

    // Paused with drawing on (F9): no palette, the bar is away.
    s = NextInkState(NextInkState(s, InkEvent::RecordingPaused), InkEvent::DrawKey);
    EXPECT_TRUE(s.drawing);
    EXPECT_FALSE(PaletteShownFor(s));
    EXPECT_FALSE(RingsShownFor(NextInkState(s, InkEvent::DrawKey), true));  // nothing is recorded

    // Without a recording a tool is remembered, drawing stays off.
    const InkState idle = ChooseInkTool(InkState{}, InkTool::Arrow);
    EXPECT_FALSE(idle.drawing);
    EXPECT_EQ(idle.tool, InkTool::Arrow);
}

TEST(InkPalette, StandsAboveTheBarOrBelowItOnTheBarsScreen) {
    const Rect work{0, 0, 1280, 760};
    const Rect button{700, 610, 790, 642};
    // Room above: above, right edges together.
    Point p = PalettePlace(260, 56, Rect{400, 600, 900, 652}, button, work, 8);
    EXPECT_EQ(p, (Point{790 - 260, 600 - 8 - 56}));
    // The bar at the top of the screen: below it.
    p = PalettePlace(260, 56, Rect{400, 10, 900, 62}, Rect{700, 20, 790, 52}, work, 8);
    EXPECT_EQ(p, (Point{530, 62 + 8}));
    // A pen button near the left edge: the palette stays on the screen, on a
    // monitor left of the primary one too.
    p = PalettePlace(260, 56, Rect{-1000, 600, -500, 652}, Rect{-990, 610, -900, 642}, Rect{-1024, 0, 0, 768}, 8);
    EXPECT_EQ(p.x, -1024);
    EXPECT_EQ(p.y, 600 - 8 - 56);
}

}  // namespace


// The drawing's pixels: strokes land where they were drawn and nowhere else,
// every change names all the pixels it touched, undo and clear give back
// exactly what was there, the highlighter stays one shade, rings are centred
// on the click and fade, and the limits keep a long lesson bounded.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ui/ink_canvas.h"

namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 200;

uint32_t Alpha(uint32_t p) { return p >> 24; }
uint32_t Red(uint32_t p) { return (p >> 16) & 0xFF; }

std::vector<uint32_t> Picture(const InkCanvas& canvas) {
    std::vector<uint32_t> pixels(static_cast<size_t>(canvas.Width()) * canvas.Height(), 0xDEADBEEF);
    canvas.Compose(canvas.Bounds(), pixels.data(), canvas.Width());
    return pixels;
}

// Every pixel that differs between two pictures lies inside `area`.
void ExpectChangesInside(const std::vector<uint32_t>& before, const std::vector<uint32_t>& after, const Rect& area,
                         const char* what) {
    int outside = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const size_t i = static_cast<size_t>(y) * kWidth + x;
            if (before[i] == after[i]) continue;
            if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) ++outside;
        }
    EXPECT_EQ(outside, 0) << what << ": pixels changed outside the named rectangle";
}

float DistanceToPath(float px, float py, const std::vector<Point>& path) {
    float best = 1e9f;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const float ax = path[i].x + 0.5f, ay = path[i].y + 0.5f;
        const float bx = path[i + 1].x + 0.5f, by = path[i + 1].y + 0.5f;
        const float dx = bx - ax, dy = by - ay, l2 = dx * dx + dy * dy;
        float t = l2 > 0 ? ((px - ax) * dx + (py - ay) * dy) / l2 : 0;
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        best = std::fmin(best, std::hypot(ax + t * dx - px, ay + t * dy - py));
    }
    return best;
}

class InkCanvasTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(canvas.Resize(kWidth, kHeight)); }
    // A stroke along `path`, each step a mouse move; returns the union of the
    // rectangles each step named.
    Rect Draw(InkTool tool, const std::vector<Point>& path, int dpi = 96) {
        Rect dirty = canvas.BeginStroke(tool, StyleForTool(tool, dpi), path.front());
        for (size_t i = 1; i < path.size(); ++i) dirty = UnionRect(dirty, canvas.ExtendStroke(path[i]));
        canvas.EndStroke();
        return dirty;
    }
    InkCanvas canvas;
};

TEST_F(InkCanvasTest, APenStrokeLiesOnItsPathAtItsWidth) {
    for (int dpi : {96, 144}) {
        canvas.Clear();
        const std::vector<Point> path{{20, 30}, {80, 35}, {150, 120}, {151, 121}, {300, 60}};
        Draw(InkTool::Pen, path, dpi);
        const float half = ScaleForDpi(kPenWidth96, dpi) / 2.0f;
        int red = 0;
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) {
                const uint32_t p = canvas.PixelAt(x, y);
                const float d = DistanceToPath(x + 0.5f, y + 0.5f, path);
                if (d <= half - 0.6f) {
                    EXPECT_EQ(Alpha(p), 255u) << x << "," << y << " at " << dpi;
                    EXPECT_GT(Red(p), 200u);
                }
                if (d >= half + 0.6f) {
                    EXPECT_EQ(p, 0u) << x << "," << y << " lies " << d << " from the path";
                }
                if (Alpha(p) > 128) ++red;
            }
        EXPECT_GT(red, 300) << dpi;
    }
}

TEST_F(InkCanvasTest, AStraightStrokeIsCentredOnThePixelsItPassed) {
    Draw(InkTool::Pen, {{40, 100}, {200, 100}});
    // Rows the same distance above and below the path are covered alike.
    for (int32_t k = 1; k <= 4; ++k) EXPECT_EQ(canvas.PixelAt(120, 100 - k), canvas.PixelAt(120, 100 + k)) << k;
    EXPECT_EQ(Alpha(canvas.PixelAt(120, 100)), 255u);
}

TEST_F(InkCanvasTest, EveryStepNamesEveryPixelItChanged) {
    // Freehand: each move adds its segment.
    std::vector<uint32_t> before = Picture(canvas);
    Rect dirty = canvas.BeginStroke(InkTool::Highlighter, StyleForTool(InkTool::Highlighter, 144), Point{50, 50});
    std::vector<uint32_t> after = Picture(canvas);
    ExpectChangesInside(before, after, dirty, "the first point");
    for (Point p : {Point{90, 70}, Point{130, 40}, Point{60, 150}}) {
        before = after;
        dirty = canvas.ExtendStroke(p);
        after = Picture(canvas);
        ExpectChangesInside(before, after, dirty, "a highlighter move");
    }
    before = after;
    canvas.EndStroke();
    EXPECT_EQ(Picture(canvas), before);  // finishing changes nothing on the screen

    // A shape is rubber-banded: a rectangle that shrinks leaves nothing behind.
    canvas.BeginStroke(InkTool::Rectangle, StyleForTool(InkTool::Rectangle, 96), Point{10, 10});
    for (Point p : {Point{300, 190}, Point{100, 80}, Point{20, 20}, Point{200, 30}}) {
        before = Picture(canvas);
        dirty = canvas.ExtendStroke(p);
        after = Picture(canvas);
        ExpectChangesInside(before, after, dirty, "a rectangle's corner moved");
    }
    canvas.EndStroke();
    // Only the last rectangle remains: its far corner, not the first one's.
    EXPECT_GT(Alpha(canvas.PixelAt(200, 30)), 128u);
    EXPECT_EQ(Alpha(canvas.PixelAt(300, 190)), 0u);

    // An arrow, and a ring.
    before = Picture(canvas);
    dirty = Draw(InkTool::Arrow, {{250, 150}, {300, 100}, {160, 180}});
    ExpectChangesInside(before, Picture(canvas), dirty, "an arrow");
    before = Picture(canvas);
    dirty = canvas.AddRing(Point{5, 195}, false, 1000);
    ExpectChangesInside(before, Picture(canvas), dirty, "a ring at the corner");
}

TEST_F(InkCanvasTest, TheHighlighterIsOneSeeThroughShadeWhereItCrossesItself) {
    Draw(InkTool::Highlighter, {{20, 100}, {300, 100}, {300, 60}, {160, 60}, {160, 190}});
    const uint32_t single = canvas.PixelAt(60, 100);
    const uint32_t crossing = canvas.PixelAt(160, 100);
    EXPECT_GT(Alpha(single), 60u);
    EXPECT_LT(Alpha(single), 200u);
    EXPECT_EQ(crossing, single);
    // A second stroke over it does deepen the colour: it is another stroke.
    Draw(InkTool::Highlighter, {{60, 80}, {60, 120}});
    EXPECT_GT(Alpha(canvas.PixelAt(60, 100)), Alpha(single));
}

TEST_F(InkCanvasTest, UndoAndClearGiveBackExactlyWhatWasThere) {
    Draw(InkTool::Pen, {{10, 10}, {300, 190}});
    Draw(InkTool::Highlighter, {{10, 190}, {300, 10}});
    const std::vector<uint32_t> two = Picture(canvas);
    const Rect arrowArea = Draw(InkTool::Arrow, {{150, 20}, {150, 180}});
    EXPECT_NE(Picture(canvas), two);
    const Rect undone = canvas.Undo();
    EXPECT_EQ(Picture(canvas), two);  // the crossing of the older two is as it was
    EXPECT_EQ(UnionRect(undone, arrowArea), undone);  // all the arrow touched is shown again

    canvas.Undo();
    canvas.Undo();
    EXPECT_TRUE(IsEmptyRect(canvas.Undo()));  // nothing left to undo
    for (uint32_t p : Picture(canvas)) ASSERT_EQ(p, 0u);

    Draw(InkTool::Pen, {{50, 50}, {60, 60}});
    EXPECT_EQ(canvas.Clear(), canvas.Bounds());
    for (uint32_t p : Picture(canvas)) ASSERT_EQ(p, 0u);
    EXPECT_TRUE(canvas.Blank());
}

TEST_F(InkCanvasTest, StrokesPastTheUndoLimitStayButCannotBeUndone) {
    for (int32_t i = 0; i < 130; ++i) Draw(InkTool::Pen, {{2 + 2 * i, 20}, {2 + 2 * i, 25}});
    EXPECT_EQ(canvas.History().Strokes().size(), kMaxUndoStrokes);
    for (size_t i = 0; i < kMaxUndoStrokes; ++i) EXPECT_FALSE(IsEmptyRect(canvas.Undo()));
    EXPECT_TRUE(IsEmptyRect(canvas.Undo()));
    // The first 30 strokes are still on the screen, the others are gone.
    EXPECT_EQ(Alpha(canvas.PixelAt(2, 22)), 255u);
    EXPECT_EQ(Alpha(canvas.PixelAt(2 + 2 * 29, 22)), 255u);
    EXPECT_EQ(Alpha(canvas.PixelAt(2 + 2 * 31, 22)), 0u);
    EXPECT_FALSE(canvas.Blank());
    canvas.Clear();
    EXPECT_EQ(Alpha(canvas.PixelAt(2, 22)), 0u);
}

TEST_F(InkCanvasTest, AVeryLongStrokeIsKeptInBoundedParts) {
    std::vector<Point> path;
    for (int32_t i = 0; i < 3 * static_cast<int32_t>(kMaxStrokePoints); ++i)
        path.push_back(Point{20 + (i % 280), 20 + (i / 280) % 160});
    Draw(InkTool::Pen, path);
    EXPECT_GE(canvas.History().Strokes().size(), 3u);
    for (const InkStroke& s : canvas.History().Strokes()) EXPECT_LE(s.points.size(), kMaxStrokePoints);
    EXPECT_LE(canvas.History().PointCount(), kMaxUndoPoints);
    EXPECT_EQ(Alpha(canvas.PixelAt(path.back().x, path.back().y)), 255u);
    EXPECT_EQ(Alpha(canvas.PixelAt(path.front().x, path.front().y)), 255u);
}

TEST_F(InkCanvasTest, ARingIsCentredOnTheClickAndFades) {
    const Point click{100, 80};
    canvas.SetRingSize(ScaleForDpi(kRingDiameter96, 144), ScaleForDpi(kRingThickness96, 144));
    canvas.AddRing(click, false, 1000);
    double sum = 0, sx = 0, sy = 0, maxRadius = 0;
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x) {
            const uint32_t a = Alpha(canvas.PixelAt(x, y));
            if (a == 0) continue;
            sum += a;
            sx += a * (x + 0.5);
            sy += a * (y + 0.5);
            maxRadius = std::fmax(maxRadius, std::hypot(x + 0.5 - 100.5, y + 0.5 - 80.5));
        }
    ASSERT_GT(sum, 0);
    EXPECT_NEAR(sx / sum, 100.5, 0.05);
    EXPECT_NEAR(sy / sum, 80.5, 0.05);
    EXPECT_NEAR(maxRadius, 36 / 2.0, 1.5);  // about 24 px across at 100 %, 36 at 150 %
    EXPECT_EQ(canvas.PixelAt(100, 80), 0u);  // a ring, not a disc: the point itself stays visible
    const uint32_t yellow = canvas.PixelAt(100 + 16, 80);
    EXPECT_GT(Red(yellow), 200u);
    EXPECT_GT((yellow >> 8) & 0xFF, 160u);
    EXPECT_LT(yellow & 0xFF, 60u);

    // Right clicks in another colour.
    canvas.AddRing(Point{250, 80}, true, 1000);
    EXPECT_NE(canvas.PixelAt(250 + 16, 80) & 0xFFFFFF, canvas.PixelAt(100 + 16, 80) & 0xFFFFFF);

    const uint32_t strong = Alpha(canvas.PixelAt(100 + 16, 80));
    canvas.AdvanceRings(1000 + kRingLifetimeMs * 3 / 4);
    EXPECT_LT(Alpha(canvas.PixelAt(100 + 16, 80)), strong);
    EXPECT_TRUE(canvas.RingsAlive());
    const Rect last = canvas.AdvanceRings(1000 + kRingLifetimeMs);
    EXPECT_FALSE(canvas.RingsAlive());
    EXPECT_FALSE(IsEmptyRect(last));  // where they were is shown once more, now empty
    EXPECT_EQ(canvas.PixelAt(100 + 16, 80), 0u);
    EXPECT_TRUE(canvas.Blank());
}

TEST_F(InkCanvasTest, TellsWhereAnythingShows) {
    EXPECT_FALSE(canvas.AnyInk(canvas.Bounds()));
    Draw(InkTool::Pen, {{10, 10}, {20, 10}});
    EXPECT_TRUE(canvas.AnyInk(Rect{0, 0, 64, 64}));
    EXPECT_FALSE(canvas.AnyInk(Rect{64, 0, 128, 64}));
    canvas.AddRing(Point{100, 30}, false, 0);
    EXPECT_TRUE(canvas.AnyInk(Rect{64, 0, 128, 64}));
    // The stroke being drawn counts before it is finished.
    canvas.BeginStroke(InkTool::Pen, StyleForTool(InkTool::Pen, 96), Point{200, 150});
    EXPECT_TRUE(canvas.AnyInk(Rect{192, 128, 256, 192}));
}

TEST_F(InkCanvasTest, ComposeWritesOnlyItsAreaAtTheGivenStride) {
    Draw(InkTool::Pen, {{0, 0}, {kWidth - 1, kHeight - 1}});
    const int32_t stride = kWidth + 8;
    std::vector<uint32_t> screen(static_cast<size_t>(stride) * kHeight, 0x12345678);
    canvas.Compose(Rect{-50, -50, 40, 30}, screen.data(), stride);
    EXPECT_EQ(screen[0], canvas.PixelAt(0, 0));
    EXPECT_EQ(screen[static_cast<size_t>(29) * stride + 39], canvas.PixelAt(39, 29));
    EXPECT_EQ(screen[static_cast<size_t>(30) * stride], 0x12345678u);
    EXPECT_EQ(screen[40], 0x12345678u);
    EXPECT_EQ(screen[kWidth], 0x12345678u);  // the padding of a row is never written

    // A tile of 64 x 64 whose top-left is the canvas's (128, 64).
    std::vector<uint32_t> tile(64 * 64, 0x12345678);
    canvas.Compose(Rect{100, 50, 150, 100}, tile.data(), 64, Rect{128, 64, 192, 128});
    EXPECT_EQ(tile[0], canvas.PixelAt(128, 64));
    EXPECT_EQ(tile[static_cast<size_t>(35) * 64 + 21], canvas.PixelAt(149, 99));
    EXPECT_EQ(tile[22], 0x12345678u);                          // right of the area
    EXPECT_EQ(tile[static_cast<size_t>(36) * 64], 0x12345678u);  // below it
    // Nothing of an area beside the tile, and nothing past the canvas's edge.
    canvas.Compose(Rect{0, 0, 128, 64}, tile.data(), 64, Rect{128, 64, 192, 128});
    std::vector<uint32_t> edge(64 * 64, 0x12345678);
    canvas.Compose(canvas.Bounds(), edge.data(), 64, Rect{300, 180, 364, 244});
    EXPECT_EQ(edge[static_cast<size_t>(19) * 64 + 19], canvas.PixelAt(319, 199));
    EXPECT_EQ(edge[static_cast<size_t>(20) * 64], 0x12345678u);
    EXPECT_EQ(edge[20], 0x12345678u);
}

TEST(InkCanvasSize, ANewSizeStartsEmptyAndNoSizeIsRefused) {
    InkCanvas canvas;
    EXPECT_FALSE(canvas.Resize(0, 100));
    EXPECT_TRUE(IsEmptyRect(canvas.BeginStroke(InkTool::Pen, StyleForTool(InkTool::Pen, 96), Point{1, 1})));
    ASSERT_TRUE(canvas.Resize(64, 64));
    canvas.BeginStroke(InkTool::Pen, StyleForTool(InkTool::Pen, 96), Point{10, 10});
    canvas.ExtendStroke(Point{50, 50});
    canvas.EndStroke();
    ASSERT_TRUE(canvas.Resize(80, 40));
    EXPECT_TRUE(canvas.History().Empty());
    EXPECT_EQ(canvas.PixelAt(30, 30), 0u);
    EXPECT_TRUE(canvas.Blank());
}

}  // namespace

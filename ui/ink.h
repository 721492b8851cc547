// What the teacher draws over a lesson, without Windows: the tools and their
// sizes at a monitor's density, the strokes and how many of them stay
// undoable, the arrow head, the click rings' fading, and the drawing switch
// (on, off, which tool) through a recording's life.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "support/rect.h"
#include "ui/region_geometry.h"

enum class InkTool { Pen, Highlighter, Arrow, Rectangle };

// Sizes in pixels at 100 % (96 dpi); the overlay draws them at its monitor's density.
constexpr int32_t kPenWidth96 = 4;
constexpr int32_t kHighlighterWidth96 = 22;
constexpr int32_t kRingDiameter96 = 24;
constexpr int32_t kRingThickness96 = 3;

// Colours as 0xAARRGGBB with straight (not premultiplied) alpha.
constexpr uint32_t kPenColour = 0xFFE61919;          // red
constexpr uint32_t kHighlighterColour = 0x73FFE600;  // yellow, 45 % opaque
constexpr uint32_t kLeftRingColour = 0xF0FFD400;     // yellow
constexpr uint32_t kRightRingColour = 0xF02B8CFF;    // blue

// A size given at 96 dpi, at `dpi` (rounded, never below one pixel).
int32_t ScaleForDpi(int32_t value96, int dpi);

struct InkStyle {
    uint32_t colour = kPenColour;
    int32_t width = kPenWidth96;
};
// How a tool draws at a density: the arrow and the rectangle use the pen.
InkStyle StyleForTool(InkTool tool, int dpi);

// One stroke in overlay pixels (physical pixels from the overlay's top-left
// corner; a point names the pixel whose centre the line passes through). Pen
// and highlighter keep their path; the arrow and the rectangle their two ends.
struct InkStroke {
    InkTool tool = InkTool::Pen;
    InkStyle style;
    std::vector<Point> points;
};

// A freehand stroke ends and a new one goes on from its last point at this
// many points, so no single stroke grows without bound.
constexpr size_t kMaxStrokePoints = 4000;

// Adds the mouse's next position to a stroke: a freehand stroke gains it
// (unless it is where the stroke already is), a shape moves its second end.
// False when nothing changed.
bool ExtendStroke(InkStroke& stroke, Point p);
// A freehand stroke has reached kMaxStrokePoints.
bool StrokeIsFull(const InkStroke& stroke);

// The rectangle a stroke's pixels can touch (width and the edge's smoothing
// included); empty for a stroke without points.
Rect StrokeBounds(const InkStroke& stroke);
// The same for the segment from a to b of a line `width` wide.
Rect SegmentBounds(Point a, Point b, int32_t width);

// The filled head of an arrow from `from` to `to` drawn `width` wide: its tip
// at `to` and the two back corners, in pixel-centre coordinates. The head
// is never longer than half the arrow (a short arrow gets a small head).
struct InkPointF {
    float x = 0;
    float y = 0;
};
struct ArrowHead {
    InkPointF tip, left, right;
    // Where the shaft ends: inside the head, so the shaft's round end never
    // shows past the tip.
    InkPointF shaftEnd;
};
ArrowHead ArrowHeadFor(Point from, Point to, int32_t width);

// The strokes that can still be undone, oldest first. Past kMaxUndoStrokes
// strokes or kMaxUndoPoints points the oldest ones leave the history: they
// stay on the screen (the caller keeps them in its picture) but can no
// longer be undone one by one.
constexpr size_t kMaxUndoStrokes = 100;
constexpr size_t kMaxUndoPoints = 40000;

class InkHistory {
public:
    // Adds a finished stroke; returns the strokes that left the history, oldest first.
    std::vector<InkStroke> Add(InkStroke stroke);
    // Takes the newest stroke away; false when there is none.
    bool Undo();
    void Clear();

    const std::deque<InkStroke>& Strokes() const { return m_strokes; }
    size_t PointCount() const { return m_points; }
    bool Empty() const { return m_strokes.empty(); }

private:
    std::deque<InkStroke> m_strokes;
    size_t m_points = 0;
};

// A click ring: shown at once, fully, then fading to nothing within the lifetime.
constexpr uint32_t kRingLifetimeMs = 450;
// The ring's opacity at `elapsedMs` after the click, 255 down to 0 (0 from the lifetime on).
uint8_t RingOpacity(uint64_t elapsedMs);

struct ClickRing {
    Point centre;
    bool rightButton = false;
    uint64_t startMs = 0;
};

// The rectangle a ring of this size covers around `centre`.
Rect RingBounds(Point centre, int32_t diameter, int32_t thickness);

// The drawing switch through a recording's life. Drawing is possible only
// while a recording runs or is paused; it starts off, and a new recording
// starts with nothing drawn.
enum class InkRecording { None, Running, Paused };

enum class InkEvent {
    RecordingStarted,
    RecordingPaused,
    RecordingResumed,
    RecordingEnded,
    PenButton,     // the pen button on the status bar
    DrawKey,       // F9
    RightButton,   // a right click on the drawing
    Unavailable,   // the overlay could not be made
};

struct InkState {
    bool available = true;
    InkRecording recording = InkRecording::None;
    bool drawing = false;
    InkTool tool = InkTool::Pen;
};

InkState NextInkState(InkState state, InkEvent event);
// A tool chosen on the palette: drawing goes on with it (when it can).
InkState ChooseInkTool(InkState state, InkTool tool);

// Which keys the keyboard hook delivers for drawing (the presented program
// keeps every other key): none, F9, or F9 and Ctrl+Z.
enum class InkKeys : int32_t { None = 0, DrawKey = 1, DrawKeyAndUndo = 2 };
InkKeys KeysForInkState(const InkState& state);
// The palette stands beside the status bar while drawing is on during a
// recording that runs (the bar is hidden while paused).
bool PaletteShownFor(const InkState& state);
// Click rings are drawn for clicks given to the programs below: while a
// recording runs and drawing is off.
bool RingsShownFor(const InkState& state, bool showClicks);

// Where the palette goes: `width` x `height` beside the status bar `bar`
// whose pen button is `button` (both on screen), on `work`, the work area of
// the bar's monitor. Above the bar with `gap` between when there is room,
// else below; its right edge at the button's; always on the work area.
Point PalettePlace(int32_t width, int32_t height, const Rect& bar, const Rect& button, const Rect& work,
                   int32_t gap);

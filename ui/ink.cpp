// The drawing's model: sizes, strokes, the undo history, the arrow head, the
// rings' fading and the drawing switch.
#include "ui/ink.h"

#include <algorithm>
#include <cmath>

int32_t ScaleForDpi(int32_t value96, int dpi) {
    if (dpi <= 0) dpi = 96;
    const int64_t scaled = (static_cast<int64_t>(value96) * dpi + 48) / 96;
    return static_cast<int32_t>(std::max<int64_t>(1, scaled));
}

InkStyle StyleForTool(InkTool tool, int dpi) {
    if (tool == InkTool::Highlighter) return InkStyle{kHighlighterColour, ScaleForDpi(kHighlighterWidth96, dpi)};
    return InkStyle{kPenColour, ScaleForDpi(kPenWidth96, dpi)};
}

bool ExtendStroke(InkStroke& stroke, Point p) {
    std::vector<Point>& points = stroke.points;
    if (stroke.tool == InkTool::Arrow || stroke.tool == InkTool::Rectangle) {
        if (points.empty()) {
            points = {p, p};
            return true;
        }
        if (points.size() < 2) points.push_back(points.front());
        if (points[1] == p) return false;
        points[1] = p;
        return true;
    }
    if (!points.empty() && points.back() == p) return false;
    points.push_back(p);
    return true;
}

bool StrokeIsFull(const InkStroke& stroke) {
    return (stroke.tool == InkTool::Pen || stroke.tool == InkTool::Highlighter) &&
           stroke.points.size() >= kMaxStrokePoints;
}

namespace {

// Half the width plus the smoothed edge's pixel, rounded up.
int32_t Reach(int32_t width) { return width / 2 + 2; }

Rect PointsBounds(const std::vector<Point>& points, int32_t reach) {
    if (points.empty()) return Rect{};
    Rect r{points[0].x, points[0].y, points[0].x + 1, points[0].y + 1};
    for (const Point& p : points) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x + 1);
        r.bottom = std::max(r.bottom, p.y + 1);
    }
    return Rect{r.left - reach, r.top - reach, r.right + reach, r.bottom + reach};
}

float Length(float dx, float dy) { return std::sqrt(dx * dx + dy * dy); }

}  // namespace

Rect SegmentBounds(Point a, Point b, int32_t width) { return PointsBounds({a, b}, Reach(width)); }

Rect StrokeBounds(const InkStroke& stroke) {
    if (stroke.points.empty()) return Rect{};
    if (stroke.tool == InkTool::Arrow && stroke.points.size() >= 2) {
        // The head reaches out beside the shaft.
        const ArrowHead head = ArrowHeadFor(stroke.points[0], stroke.points[1], stroke.style.width);
        std::vector<Point> corners = stroke.points;
        for (const InkPointF& c : {head.left, head.right}) {
            corners.push_back(Point{static_cast<int32_t>(std::floor(c.x)), static_cast<int32_t>(std::floor(c.y))});
        }
        return PointsBounds(corners, Reach(stroke.style.width));
    }
    return PointsBounds(stroke.points, Reach(stroke.style.width));
}

ArrowHead ArrowHeadFor(Point from, Point to, int32_t width) {
    const float fx = from.x + 0.5f, fy = from.y + 0.5f;
    const float tx = to.x + 0.5f, ty = to.y + 0.5f;
    ArrowHead head;
    head.tip = InkPointF{tx, ty};
    const float length = Length(tx - fx, ty - fy);
    if (length < 0.5f) {
        head.left = head.right = head.shaftEnd = head.tip;
        return head;
    }
    const float ux = (tx - fx) / length, uy = (ty - fy) / length;
    float headLength = 3.0f * width + 6.0f;
    float halfWidth = 1.6f * width + 3.0f;
    if (headLength > length / 2) {
        const float shrink = (length / 2) / headLength;
        headLength *= shrink;
        halfWidth *= shrink;
    }
    const float bx = tx - ux * headLength, by = ty - uy * headLength;
    head.left = InkPointF{bx - uy * halfWidth, by + ux * halfWidth};
    head.right = InkPointF{bx + uy * halfWidth, by - ux * halfWidth};
    head.shaftEnd = InkPointF{tx - ux * headLength * 0.5f, ty - uy * headLength * 0.5f};
    return head;
}

std::vector<InkStroke> InkHistory::Add(InkStroke stroke) {
    m_points += stroke.points.size();
    m_strokes.push_back(std::move(stroke));
    std::vector<InkStroke> leaving;
    // The newest stroke always stays undoable, however long it is.
    while (m_strokes.size() > 1 && (m_strokes.size() > kMaxUndoStrokes || m_points > kMaxUndoPoints)) {
        m_points -= m_strokes.front().points.size();
        leaving.push_back(std::move(m_strokes.front()));
        m_strokes.pop_front();
    }
    return leaving;
}

bool InkHistory::Undo() {
    if (m_strokes.empty()) return false;
    m_points -= m_strokes.back().points.size();
    m_strokes.pop_back();
    return true;
}

void InkHistory::Clear() {
    m_strokes.clear();
    m_points = 0;
}

uint8_t RingOpacity(uint64_t elapsedMs) {
    if (elapsedMs >= kRingLifetimeMs) return 0;
    // Full for the first fifth, then a straight fade: the ring is seen at
    // its full strength in the first picture after the click.
    const uint64_t hold = kRingLifetimeMs / 5;
    if (elapsedMs <= hold) return 255;
    return static_cast<uint8_t>(255 * (kRingLifetimeMs - elapsedMs) / (kRingLifetimeMs - hold));
}

Rect RingBounds(Point centre, int32_t diameter, int32_t thickness) {
    const int32_t reach = diameter / 2 + thickness / 2 + 2;
    return Rect{centre.x - reach, centre.y - reach, centre.x + reach + 1, centre.y + reach + 1};
}

InkState NextInkState(InkState state, InkEvent event) {
    switch (event) {
    case InkEvent::RecordingStarted:
        state.recording = InkRecording::Running;
        state.drawing = false;
        break;
    case InkEvent::RecordingPaused:
        // The bar and its palette go away; the strokes stay, the programs
        // below get the mouse back.
        if (state.recording != InkRecording::None) state.recording = InkRecording::Paused;
        state.drawing = false;
        break;
    case InkEvent::RecordingResumed:
        if (state.recording != InkRecording::None) state.recording = InkRecording::Running;
        break;
    case InkEvent::RecordingEnded:
        state.recording = InkRecording::None;
        state.drawing = false;
        break;
    case InkEvent::PenButton:
    case InkEvent::DrawKey:
        if (state.available && state.recording != InkRecording::None) state.drawing = !state.drawing;
        break;
    case InkEvent::RightButton:
        state.drawing = false;
        break;
    case InkEvent::Unavailable:
        state.available = false;
        state.drawing = false;
        break;
    }
    return state;
}

InkState ChooseInkTool(InkState state, InkTool tool) {
    state.tool = tool;
    if (state.available && state.recording != InkRecording::None) state.drawing = true;
    return state;
}

InkKeys KeysForInkState(const InkState& state) {
    if (!state.available || state.recording == InkRecording::None) return InkKeys::None;
    return state.drawing ? InkKeys::DrawKeyAndUndo : InkKeys::DrawKey;
}

bool PaletteShownFor(const InkState& state) {
    return state.available && state.drawing && state.recording == InkRecording::Running;
}

bool RingsShownFor(const InkState& state, bool showClicks) {
    return showClicks && state.available && !state.drawing && state.recording == InkRecording::Running;
}

Point PalettePlace(int32_t width, int32_t height, const Rect& bar, const Rect& button, const Rect& work,
                   int32_t gap) {
    Point p{button.right - width, bar.top - gap - height};
    if (p.y < work.top) p.y = bar.bottom + gap;
    p.x = std::max(work.left, std::min(p.x, work.right - width));
    p.y = std::max(work.top, std::min(p.y, work.bottom - height));
    return p;
}

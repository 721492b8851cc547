// Hit testing, dragging and button placement of the region selector.
#include "ui/region_geometry.h"

#include <algorithm>
#include <utility>

namespace {

// The band of one axis that `v` falls in: the low edge's, the high edge's or
// neither. On a short span the bands stop at the centre, so the two edges of
// a thin rectangle never overlap and there is no move zone left.
int32_t AxisBand(int32_t v, int32_t low, int32_t high, int32_t lowEdge, int32_t highEdge) {
    const int32_t mid = (low + high) / 2;
    const int32_t lowEnd = mid - low > 6 ? low + kEdgeGrip : mid - 1;
    const int32_t highStart = high - mid > 5 ? high - kEdgeGrip : mid;
    if (v <= lowEnd) return lowEdge;
    if (v >= highStart) return highEdge;
    return EdgeNone;
}

}  // namespace

void NormalizeRect(Rect& r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
}

int32_t HitTestEdges(Rect& r, int32_t x, int32_t y) {
    NormalizeRect(r);
    if (x < r.left - kEdgeGrip || x > r.right + kEdgeGrip) return EdgeNone;
    if (y < r.top - kEdgeGrip || y > r.bottom + kEdgeGrip) return EdgeNone;

    const int32_t zone =
        AxisBand(x, r.left, r.right, EdgeLeft, EdgeRight) | AxisBand(y, r.top, r.bottom, EdgeTop, EdgeBottom);
    return zone == EdgeNone ? EdgeAll : zone;
}

namespace {

// How far a pair of edges must shift to lie within 0..limit again.
int32_t Correction(int32_t a, int32_t b, int32_t limit) {
    if (a < 0 || b < 0) return -std::min(a, b);
    if (a > limit || b > limit) return limit - std::max(a, b);
    return 0;
}

}  // namespace

void ApplyDrag(Rect& r, int32_t zone, Point& last, Point mouse, int32_t screenWidth, int32_t screenHeight) {
    const int32_t dx = mouse.x - last.x;
    const int32_t dy = mouse.y - last.y;
    const int32_t left = (zone & EdgeLeft) ? r.left + dx : r.left;
    const int32_t right = (zone & EdgeRight) ? r.right + dx : r.right;
    const int32_t top = (zone & EdgeTop) ? r.top + dy : r.top;
    const int32_t bottom = (zone & EdgeBottom) ? r.bottom + dy : r.bottom;
    const int32_t gx = Correction(left, right, screenWidth);
    const int32_t gy = Correction(top, bottom, screenHeight);
    if (zone & EdgeLeft) r.left = left + gx;
    if (zone & EdgeRight) r.right = right + gx;
    if (zone & EdgeTop) r.top = top + gy;
    if (zone & EdgeBottom) r.bottom = bottom + gy;
    last = mouse;
}

Point PlaceButtons(Rect& r, int32_t screenWidth, int32_t screenHeight) {
    return PlaceButtonsOn(r, Rect{0, 0, screenWidth, screenHeight});
}

Point PlaceButtonsOn(Rect& r, const Rect& monitor) {
    NormalizeRect(r);
    Point p{r.right - 2 * kButtonWidth, r.bottom + 5};
    if (r.bottom + kButtonHeight + 5 > monitor.bottom) p.y = r.top - kButtonHeight - 5;
    if (p.y < monitor.top) {
        p.x = r.right - 2 * kButtonWidth - 5;
        p.y = r.bottom - kButtonHeight - 5;
    }
    if (p.x < monitor.left) p.x = monitor.left;
    return p;
}

Rect BoundingRect(const std::vector<Rect>& monitors) {
    Rect all;
    for (const Rect& m : monitors) all = UnionRect(all, m);
    return all;
}

namespace {

int64_t OverlapArea(const Rect& a, const Rect& b) {
    const int64_t w = static_cast<int64_t>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    const int64_t h = static_cast<int64_t>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

size_t MonitorForRect(const std::vector<Rect>& monitors, const Rect& r) {
    Rect n = r;
    NormalizeRect(n);
    // An empty rectangle (a click) counts as its corner pixel.
    if (n.right == n.left) ++n.right;
    if (n.bottom == n.top) ++n.bottom;
    size_t best = 0;
    int64_t bestArea = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const int64_t area = OverlapArea(monitors[i], n);
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

Rect Offset(const Rect& r, int32_t dx, int32_t dy) {
    return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

Point PlaceOutside(const Rect& region, int32_t width, int32_t height, const Rect& workArea, int32_t gap) {
    Rect n = region;
    NormalizeRect(n);
    const auto clamp = [](int32_t v, int32_t lo, int32_t hi) { return std::max(lo, std::min(v, hi)); };
    const int32_t centreX = clamp((n.left + n.right - width) / 2, workArea.left, workArea.right - width);
    const int32_t centreY = clamp((n.top + n.bottom - height) / 2, workArea.top, workArea.bottom - height);
    const Point candidates[] = {
        {centreX, n.bottom + gap},
        {centreX, n.top - gap - height},
        {n.right + gap, centreY},
        {n.left - gap - width, centreY},
    };
    for (const Point& p : candidates) {
        const Rect bar{p.x, p.y, p.x + width, p.y + height};
        if (Inside(bar, workArea) && OverlapArea(bar, n) == 0) return p;
    }
    return Point{(workArea.left + workArea.right - width) / 2, (workArea.top + workArea.bottom - height) / 2};
}

ZoneCursor CursorForZone(int32_t zone) {
    switch (zone) {
    case EdgeLeft:
    case EdgeRight:
        return ZoneCursor::SizeWE;
    case EdgeTop:
    case EdgeBottom:
        return ZoneCursor::SizeNS;
    case EdgeLeft | EdgeTop:
    case EdgeRight | EdgeBottom:
        return ZoneCursor::SizeNWSE;
    case EdgeRight | EdgeTop:
    case EdgeLeft | EdgeBottom:
        return ZoneCursor::SizeNESW;
    case EdgeAll:
        return ZoneCursor::SizeAll;
    default:
        return ZoneCursor::Arrow;
    }
}

std::array<Point, 8> HandleCentres(const Rect& r) {
    const int32_t mx = (r.left + r.right) / 2;
    const int32_t my = (r.top + r.bottom) / 2;
    return {Point{r.left, r.top},  Point{r.left, r.bottom}, Point{r.right, r.top}, Point{r.right, r.bottom},
            Point{r.left, my},     Point{r.right, my},      Point{mx, r.top},      Point{mx, r.bottom}};
}

Rect PaintBounds(const Rect& r) {
    Rect n = r;
    NormalizeRect(n);
    const int32_t margin = kHandleHalf + 1;
    return Rect{n.left - margin, n.top - margin, n.right + margin, n.bottom + margin};
}

Rect InnerArea(const Rect& r) {
    Rect n = r;
    NormalizeRect(n);
    const int32_t margin = kHandleHalf + 1;
    const Rect inner{n.left + margin, n.top + margin, n.right - margin, n.bottom - margin};
    return IsEmptyRect(inner) ? Rect{} : inner;
}

bool IsEmptyRect(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

Rect UnionRect(const Rect& a, const Rect& b) {
    if (IsEmptyRect(a)) return b;
    if (IsEmptyRect(b)) return a;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool StatusBarPlace(const Rect& bar, const Rect& barMonitor, const Rect& recorded, bool customRegion,
                    const Rect& monitor, const Rect& workArea, int32_t gap, Point& place) {
    Rect region = recorded;
    NormalizeRect(region);
    const bool elsewhere = barMonitor != monitor;
    const bool over = customRegion && OverlapArea(bar, region) > 0;
    if (!elsewhere && !over) return false;
    const int32_t width = bar.right - bar.left;
    const int32_t height = bar.bottom - bar.top;
    if (customRegion) {
        place = PlaceOutside(region, width, height, workArea, gap);
    } else {
        place = Point{(workArea.left + workArea.right - width) / 2, (workArea.top + workArea.bottom - height) / 2};
    }
    return true;
}

// Rasterising strokes and rings with smoothed edges, and composing them.
#include "ui/ink_canvas.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

uint8_t Coverage(float signedInside) {
    // signedInside: how far (in pixels) the pixel's centre lies inside the
    // shape's edge; half a pixel either side of the edge is blended.
    const float c = signedInside + 0.5f;
    if (c <= 0) return 0;
    if (c >= 1) return 255;
    return static_cast<uint8_t>(c * 255.0f + 0.5f);
}

// `colour` (straight alpha) at `coverage`, premultiplied.
uint32_t Premultiplied(uint32_t colour, uint32_t coverage) {
    const uint32_t a = ((colour >> 24) * coverage + 127) / 255;
    const uint32_t r = (((colour >> 16) & 0xFF) * a + 127) / 255;
    const uint32_t g = (((colour >> 8) & 0xFF) * a + 127) / 255;
    const uint32_t b = ((colour & 0xFF) * a + 127) / 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// A premultiplied pixel over another.
uint32_t Over(uint32_t src, uint32_t dst) {
    const uint32_t keep = 255 - (src >> 24);
    if (keep == 0) return src;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t s = (src >> shift) & 0xFF;
        const uint32_t d = (dst >> shift) & 0xFF;
        out |= std::min<uint32_t>(255, s + (d * keep + 127) / 255) << shift;
    }
    return out;
}

float DistanceToSegment(float px, float py, float ax, float ay, float bx, float by) {
    const float dx = bx - ax, dy = by - ay;
    const float lengthSquared = dx * dx + dy * dy;
    float t = lengthSquared > 0 ? ((px - ax) * dx + (py - ay) * dy) / lengthSquared : 0;
    t = std::clamp(t, 0.0f, 1.0f);
    const float cx = ax + t * dx - px, cy = ay + t * dy - py;
    return std::sqrt(cx * cx + cy * cy);
}

class Mask {
public:
    Mask(std::vector<uint8_t>& pixels, int32_t width, const Rect& clip) : m_pixels(pixels), m_width(width), m_clip(clip) {}

    // A line with round ends, centre points in pixel-centre coordinates.
    void Capsule(float ax, float ay, float bx, float by, float width) {
        const float radius = width / 2;
        const Rect box = Box(std::min(ax, bx) - radius, std::min(ay, by) - radius, std::max(ax, bx) + radius,
                             std::max(ay, by) + radius);
        for (int32_t y = box.top; y < box.bottom; ++y) {
            uint8_t* row = &m_pixels[static_cast<size_t>(y) * m_width];
            for (int32_t x = box.left; x < box.right; ++x) {
                const uint8_t c = Coverage(radius - DistanceToSegment(x + 0.5f, y + 0.5f, ax, ay, bx, by));
                if (c > row[x]) row[x] = c;
            }
        }
    }

    void Triangle(InkPointF p0, InkPointF p1, InkPointF p2) {
        const InkPointF corners[3] = {p0, p1, p2};
        // Outward normals of the three edges, whichever way round the corners go.
        const float turn = (p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x);
        if (std::fabs(turn) < 0.01f) return;
        float nx[3], ny[3], offset[3];
        for (int i = 0; i < 3; ++i) {
            const InkPointF a = corners[i], b = corners[(i + 1) % 3];
            float ex = b.x - a.x, ey = b.y - a.y;
            const float length = std::sqrt(ex * ex + ey * ey);
            ex /= length;
            ey /= length;
            nx[i] = turn > 0 ? ey : -ey;
            ny[i] = turn > 0 ? -ex : ex;
            offset[i] = nx[i] * a.x + ny[i] * a.y;
        }
        const Rect box = Box(std::min({p0.x, p1.x, p2.x}), std::min({p0.y, p1.y, p2.y}), std::max({p0.x, p1.x, p2.x}),
                             std::max({p0.y, p1.y, p2.y}));
        for (int32_t y = box.top; y < box.bottom; ++y) {
            uint8_t* row = &m_pixels[static_cast<size_t>(y) * m_width];
            for (int32_t x = box.left; x < box.right; ++x) {
                float outside = -1e9f;
                for (int i = 0; i < 3; ++i)
                    outside = std::max(outside, nx[i] * (x + 0.5f) + ny[i] * (y + 0.5f) - offset[i]);
                const uint8_t c = Coverage(-outside);
                if (c > row[x]) row[x] = c;
            }
        }
    }

private:
    // The pixels a shape between these coordinates can touch, within the clip.
    Rect Box(float left, float top, float right, float bottom) const {
        const Rect r{static_cast<int32_t>(std::floor(left)) - 1, static_cast<int32_t>(std::floor(top)) - 1,
                     static_cast<int32_t>(std::ceil(right)) + 1, static_cast<int32_t>(std::ceil(bottom)) + 1};
        return IntersectRects(r, m_clip);
    }

    std::vector<uint8_t>& m_pixels;
    int32_t m_width;
    Rect m_clip;
};

float Centre(int32_t v) { return v + 0.5f; }

}  // namespace

Rect IntersectRects(const Rect& a, const Rect& b) {
    const Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top) return Rect{};
    return r;
}

bool InkCanvas::Resize(int32_t width, int32_t height) {
    m_base.clear();
    m_floor.clear();
    m_mask.clear();
    m_base.shrink_to_fit();
    m_floor.shrink_to_fit();
    m_mask.shrink_to_fit();
    m_history.Clear();
    m_live = InkStroke{};
    m_drawing = false;
    m_rings.clear();
    m_anyStroke = false;
    m_width = m_height = 0;
    if (width <= 0 || height <= 0) return false;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    try {
        m_base.assign(pixels, 0);
        m_mask.assign(pixels, 0);
    } catch (const std::bad_alloc&) {
        m_base.clear();
        m_mask.clear();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void InkCanvas::SetRingSize(int32_t diameter, int32_t thickness) {
    m_ringDiameter = std::max(2, diameter);
    m_ringThickness = std::max(1, thickness);
}

Rect InkCanvas::BeginStroke(InkTool tool, InkStyle style, Point p) {
    if (m_drawing) EndStroke();
    if (m_width == 0) return Rect{};
    m_live = InkStroke{tool, style, {}};
    m_drawing = true;
    m_liveBounds = Rect{};
    ::ExtendStroke(m_live, p);
    return ExtendStroke(p);
}

Rect InkCanvas::ExtendStroke(Point p) {
    if (!m_drawing) return Rect{};
    const bool freehand = m_live.tool == InkTool::Pen || m_live.tool == InkTool::Highlighter;
    if (freehand) {
        // A long stroke is cut into parts: the finished part goes into the
        // picture and the stroke goes on from where it was.
        if (StrokeIsFull(m_live)) {
            const InkStroke carried{m_live.tool, m_live.style, {m_live.points.back()}};
            EndStroke();
            m_live = carried;
            m_drawing = true;
            m_liveBounds = Rect{};
        }
        const Point from = m_live.points.back();
        const bool first = m_liveBounds.right == m_liveBounds.left;
        if (!::ExtendStroke(m_live, p) && !first) return Rect{};
        const Rect dirty = IntersectRects(SegmentBounds(from, p, m_live.style.width), Bounds());
        Mask(m_mask, m_width, dirty)
            .Capsule(Centre(from.x), Centre(from.y), Centre(p.x), Centre(p.y), static_cast<float>(m_live.style.width));
        m_liveBounds = UnionRect(m_liveBounds, dirty);
        return dirty;
    }
    // A shape is drawn anew where it was and where it is now.
    const Rect before = m_liveBounds;
    if (!::ExtendStroke(m_live, p) && !IsEmptyRect(before)) return Rect{};
    ClearMask(before);
    const Rect after = IntersectRects(StrokeBounds(m_live), Bounds());
    RasterizeStroke(m_live, after);
    m_liveBounds = after;
    return UnionRect(before, after);
}

void InkCanvas::EndStroke() {
    if (!m_drawing) return;
    m_drawing = false;
    const Rect area = IntersectRects(StrokeBounds(m_live), Bounds());
    StampMask(m_base, m_live.style, area);
    m_anyStroke = true;
    std::vector<InkStroke> leaving = m_history.Add(std::move(m_live));
    m_live = InkStroke{};
    m_liveBounds = Rect{};
    if (leaving.empty()) return;
    // Strokes past the undo limit are kept as pixels only.
    if (m_floor.empty()) {
        try {
            m_floor.assign(m_base.size(), 0);
        } catch (const std::bad_alloc&) {
            // No room for the flattened strokes: the picture keeps them, but
            // an undo can no longer bring back what lay beneath them.
            m_floor.clear();
            return;
        }
    }
    for (const InkStroke& stroke : leaving) {
        const Rect strokeArea = IntersectRects(StrokeBounds(stroke), Bounds());
        RasterizeStroke(stroke, strokeArea);
        StampMask(m_floor, stroke.style, strokeArea);
    }
}

Rect InkCanvas::Undo() {
    if (m_drawing) EndStroke();
    if (m_history.Empty()) return Rect{};
    const Rect area = IntersectRects(StrokeBounds(m_history.Strokes().back()), Bounds());
    m_history.Undo();
    RedrawBase(area);
    return area;
}

Rect InkCanvas::Clear() {
    m_drawing = false;
    m_live = InkStroke{};
    m_liveBounds = Rect{};
    m_history.Clear();
    m_floor.clear();
    m_floor.shrink_to_fit();
    std::fill(m_base.begin(), m_base.end(), 0);
    std::fill(m_mask.begin(), m_mask.end(), 0);
    m_anyStroke = false;
    return Bounds();
}

Rect InkCanvas::AddRing(Point centre, bool rightButton, uint64_t nowMs) {
    if (m_width == 0) return Rect{};
    m_now = std::max(m_now, nowMs);
    m_rings.push_back(ClickRing{centre, rightButton, nowMs});
    return IntersectRects(RingBounds(centre, m_ringDiameter, m_ringThickness), Bounds());
}

Rect InkCanvas::AdvanceRings(uint64_t nowMs) {
    m_now = std::max(m_now, nowMs);
    Rect dirty;
    for (const ClickRing& ring : m_rings)
        dirty = UnionRect(dirty, RingBounds(ring.centre, m_ringDiameter, m_ringThickness));
    m_rings.erase(std::remove_if(m_rings.begin(), m_rings.end(),
                                 [nowMs](const ClickRing& r) {
                                     return nowMs >= r.startMs && RingOpacity(nowMs - r.startMs) == 0;
                                 }),
                  m_rings.end());
    return IntersectRects(dirty, Bounds());
}

bool InkCanvas::Blank() const {
    return !m_anyStroke && !m_drawing && m_rings.empty();
}

bool InkCanvas::AnyInk(const Rect& area) const {
    const Rect r = IntersectRects(area, Bounds());
    if (IsEmptyRect(r) || Blank()) return false;
    if (!RingsIn(r).empty()) return true;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        const size_t row = static_cast<size_t>(y) * m_width;
        for (int32_t x = r.left; x < r.right; ++x)
            if (m_base[row + x] != 0 || (m_drawing && m_mask[row + x] != 0)) return true;
    }
    return false;
}

void InkCanvas::RasterizeStroke(const InkStroke& stroke, const Rect& clip) {
    if (stroke.points.empty() || IsEmptyRect(clip)) return;
    Mask mask(m_mask, m_width, clip);
    const float width = static_cast<float>(stroke.style.width);
    const std::vector<Point>& p = stroke.points;
    switch (stroke.tool) {
    case InkTool::Pen:
    case InkTool::Highlighter:
        if (p.size() == 1) mask.Capsule(Centre(p[0].x), Centre(p[0].y), Centre(p[0].x), Centre(p[0].y), width);
        for (size_t i = 1; i < p.size(); ++i)
            mask.Capsule(Centre(p[i - 1].x), Centre(p[i - 1].y), Centre(p[i].x), Centre(p[i].y), width);
        break;
    case InkTool::Arrow: {
        const Point to = p.size() > 1 ? p[1] : p[0];
        const ArrowHead head = ArrowHeadFor(p[0], to, stroke.style.width);
        mask.Capsule(Centre(p[0].x), Centre(p[0].y), head.shaftEnd.x, head.shaftEnd.y, width);
        mask.Triangle(head.tip, head.left, head.right);
        break;
    }
    case InkTool::Rectangle: {
        const Point to = p.size() > 1 ? p[1] : p[0];
        const float l = Centre(p[0].x), t = Centre(p[0].y), r = Centre(to.x), b = Centre(to.y);
        mask.Capsule(l, t, r, t, width);
        mask.Capsule(r, t, r, b, width);
        mask.Capsule(r, b, l, b, width);
        mask.Capsule(l, b, l, t, width);
        break;
    }
    }
}

void InkCanvas::StampMask(std::vector<uint32_t>& target, const InkStyle& style, const Rect& area) {
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const size_t row = static_cast<size_t>(y) * m_width;
        for (int32_t x = area.left; x < area.right; ++x) {
            uint8_t& m = m_mask[row + x];
            if (m == 0) continue;
            target[row + x] = Over(Premultiplied(style.colour, m), target[row + x]);
            m = 0;
        }
    }
}

void InkCanvas::ClearMask(const Rect& area) {
    const Rect r = IntersectRects(area, Bounds());
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint8_t* row = &m_mask[static_cast<size_t>(y) * m_width];
        std::fill(row + r.left, row + r.right, 0);
    }
}

void InkCanvas::RedrawBase(const Rect& area) {
    if (IsEmptyRect(area)) return;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        const size_t row = static_cast<size_t>(y) * m_width;
        for (int32_t x = area.left; x < area.right; ++x) m_base[row + x] = m_floor.empty() ? 0 : m_floor[row + x];
    }
    // Each stroke alone, so a highlighter crossing itself stays one shade.
    for (const InkStroke& stroke : m_history.Strokes()) {
        const Rect strokeArea = IntersectRects(StrokeBounds(stroke), area);
        if (IsEmptyRect(strokeArea)) continue;
        RasterizeStroke(stroke, strokeArea);
        StampMask(m_base, stroke.style, strokeArea);
    }
    m_anyStroke = !m_history.Empty() || !m_floor.empty();
}

std::vector<InkCanvas::RingPaint> InkCanvas::RingsIn(const Rect& area) const {
    std::vector<RingPaint> rings;
    for (const ClickRing& ring : m_rings) {
        const Rect b = IntersectRects(RingBounds(ring.centre, m_ringDiameter, m_ringThickness), area);
        const uint32_t opacity = RingOpacity(m_now >= ring.startMs ? m_now - ring.startMs : 0);
        if (IsEmptyRect(b) || opacity == 0) continue;
        const uint32_t colour = ring.rightButton ? kRightRingColour : kLeftRingColour;
        const uint32_t alpha = ((colour >> 24) * opacity + 127) / 255;
        rings.push_back(RingPaint{b, Centre(ring.centre.x), Centre(ring.centre.y), (alpha << 24) | (colour & 0xFFFFFF)});
    }
    return rings;
}

uint32_t InkCanvas::ComposedPixel(int32_t x, int32_t y, const std::vector<RingPaint>& rings) const {
    const size_t at = static_cast<size_t>(y) * m_width + x;
    uint32_t p = m_base[at];
    if (m_drawing && m_mask[at] != 0) p = Over(Premultiplied(m_live.style.colour, m_mask[at]), p);
    if (!rings.empty()) {
        const float radius = (m_ringDiameter - m_ringThickness) / 2.0f;
        const float half = m_ringThickness / 2.0f;
        for (const RingPaint& ring : rings) {
            if (x < ring.bounds.left || x >= ring.bounds.right || y < ring.bounds.top || y >= ring.bounds.bottom)
                continue;
            const float dx = x + 0.5f - ring.cx, dy = y + 0.5f - ring.cy;
            const uint8_t c = Coverage(half - std::fabs(std::sqrt(dx * dx + dy * dy) - radius));
            if (c != 0) p = Over(Premultiplied(ring.colour, c), p);
        }
    }
    return p;
}

void InkCanvas::Compose(const Rect& area, uint32_t* screen, int32_t stride, const Rect& picture) const {
    const Rect r = IntersectRects(IntersectRects(area, Bounds()), picture);
    if (IsEmptyRect(r) || screen == nullptr) return;
    const std::vector<RingPaint> rings = RingsIn(r);
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint32_t* out = screen + static_cast<size_t>(y - picture.top) * stride;
        for (int32_t x = r.left; x < r.right; ++x) out[x - picture.left] = ComposedPixel(x, y, rings);
    }
}

uint32_t InkCanvas::PixelAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return ComposedPixel(x, y, RingsIn(Rect{x, y, x + 1, y + 1}));
}

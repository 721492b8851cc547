// The drawing's pixels, without Windows: the finished strokes in one
// picture, the stroke being drawn, and the click rings, composed into the
// premultiplied 32-bit pixels a layered window shows (0xAARRGGBB words: B, G,
// R, A in memory, as a top-down 32-bit DIB holds them). Every change names
// the rectangle it touched, so only that is composed and shown again; the
// cost of a change is its own area, however many strokes lie on the canvas.
#pragma once

#include <cstdint>
#include <vector>

#include "support/rect.h"
#include "ui/ink.h"

class InkCanvas {
public:
    // An empty canvas of this size (everything drawn is gone); false, and a
    // canvas of no size, when the memory cannot be had.
    bool Resize(int32_t width, int32_t height);
    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    Rect Bounds() const { return Rect{0, 0, m_width, m_height}; }

    // The click rings' size in pixels (at the overlay's density).
    void SetRingSize(int32_t diameter, int32_t thickness);

    // The stroke being drawn, from the mouse's press to its release. Each
    // returns the rectangle whose pixels changed.
    Rect BeginStroke(InkTool tool, InkStyle style, Point p);
    Rect ExtendStroke(Point p);
    // The stroke becomes part of the picture (its pixels are shown already).
    void EndStroke();
    bool Drawing() const { return m_drawing; }
    const InkStroke& LiveStroke() const { return m_live; }

    // The newest stroke taken away; empty when there was none.
    Rect Undo();
    // Every stroke taken away.
    Rect Clear();
    const InkHistory& History() const { return m_history; }

    Rect AddRing(Point centre, bool rightButton, uint64_t nowMs);
    // Rings that have faded out are dropped; returns where rings were before.
    Rect AdvanceRings(uint64_t nowMs);
    bool RingsAlive() const { return !m_rings.empty(); }

    // Nothing to show: no stroke, no ring.
    bool Blank() const;
    // Whether anything shows inside `area`.
    bool AnyInk(const Rect& area) const;

    // The canvas's pixels inside `area` written into `screen`, a top-down
    // picture with `stride` pixels a row that holds the canvas's rectangle
    // `picture` (a tile of the canvas; all of it without one). Only what lies
    // in the canvas and in the picture is written.
    void Compose(const Rect& area, uint32_t* screen, int32_t stride, const Rect& picture) const;
    void Compose(const Rect& area, uint32_t* screen, int32_t stride) const {
        Compose(area, screen, stride, Bounds());
    }

    // One composed pixel (for tests and probes).
    uint32_t PixelAt(int32_t x, int32_t y) const;

private:
    // Draws a stroke's coverage into the mask, inside `clip`.
    void RasterizeStroke(const InkStroke& stroke, const Rect& clip);
    // The mask inside `area` laid over `target` in the stroke's colour, and
    // the mask cleared there.
    void StampMask(std::vector<uint32_t>& target, const InkStyle& style, const Rect& area);
    // The finished strokes drawn anew inside `area`, from the flattened ones up.
    void RedrawBase(const Rect& area);
    void ClearMask(const Rect& area);
    // The rings that show inside `area` now, and one pixel with them.
    struct RingPaint {
        Rect bounds;
        float cx, cy;
        uint32_t colour;  // straight alpha, the fade applied
    };
    std::vector<RingPaint> RingsIn(const Rect& area) const;
    uint32_t ComposedPixel(int32_t x, int32_t y, const std::vector<RingPaint>& rings) const;

    int32_t m_width = 0;
    int32_t m_height = 0;
    // The finished strokes as one picture.
    std::vector<uint32_t> m_base;
    // Strokes that left the undo history, made only when the first one does.
    std::vector<uint32_t> m_floor;
    // The coverage (0-255) of the stroke being drawn, also used to redraw one.
    std::vector<uint8_t> m_mask;
    InkHistory m_history;
    InkStroke m_live;
    Rect m_liveBounds;
    bool m_drawing = false;
    std::vector<ClickRing> m_rings;
    uint64_t m_now = 0;  // the rings' clock: the last time given
    int32_t m_ringDiameter = kRingDiameter96;
    int32_t m_ringThickness = kRingThickness96;
    bool m_anyStroke = false;
};

// Helpers of the rectangle arithmetic, shared with the overlay.
Rect IntersectRects(const Rect& a, const Rect& b);

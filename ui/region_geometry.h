// Geometry of the region selector: which edges a mouse point grabs, how a drag
// moves or resizes the chosen rectangle, where the Cancel/OK pair sits, and the
// area a repaint has to touch. Plain integers only, no Windows.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/rect.h"

// The edges a mouse point grabs; all four together move the whole rectangle.
enum EdgeMask : int32_t {
    EdgeNone = 0,
    EdgeLeft = 1,
    EdgeRight = 2,
    EdgeTop = 4,
    EdgeBottom = 8,
    EdgeAll = 15,
};

// Adjusting is 16 plus the grabbed EdgeMask (17 to 31).
enum SelectionState : int32_t {
    StateHidden = 0,
    StateWaiting = 1,
    StateDragging = 2,
    StateChosen = 3,
    StateAdjusting = 16,
};

struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
};

// The cursor a zone shows; the Win32 side maps each to a system cursor.
enum class ZoneCursor { Cross, Arrow, SizeWE, SizeNS, SizeNWSE, SizeNESW, SizeAll };

constexpr int32_t kEdgeGrip = 5;      // an edge catches the mouse 5 pixels either side
constexpr int32_t kHandleHalf = 5;    // handles are 10 x 10 squares around their centre
constexpr int32_t kButtonWidth = 35;  // each of Cancel and OK
constexpr int32_t kButtonHeight = 20;

// Swaps left/right and top/bottom where they crossed.
void NormalizeRect(Rect& r);

// The zone under (x, y): the grabbed edges, EdgeAll inside, EdgeNone outside.
// Normalises the stored rectangle first.
int32_t HitTestEdges(Rect& r, int32_t x, int32_t y);

// One step of a move or resize: moves the edges in `zone` by the mouse's travel
// since `last`, keeps them on the screen (a move keeps the size), and makes the
// mouse point the new `last`. Edges may cross; HitTestEdges and PlaceButtons
// swap them back.
void ApplyDrag(Rect& r, int32_t zone, Point& last, Point mouse, int32_t screenWidth, int32_t screenHeight);

// Top-left corner of the Cancel/OK pair (70 x 20): under the rectangle's right
// end, above it near the screen's bottom, inside its bottom-right corner when
// neither fits. Normalises the stored rectangle first.
Point PlaceButtons(Rect& r, int32_t screenWidth, int32_t screenHeight);
// The same within `monitor`, the screen the rectangle lies on (on several
// monitors the pair stays on the rectangle's own, not in a gap between them).
Point PlaceButtonsOn(Rect& r, const Rect& monitor);

// Several monitors. The smallest rectangle holding them all (the virtual
// screen; its left or top is negative when a monitor lies left of or above
// the primary one).
Rect BoundingRect(const std::vector<Rect>& monitors);
// The monitor that holds most of `r` (the first, the primary, when none does).
size_t MonitorForRect(const std::vector<Rect>& monitors, const Rect& r);
// Every rectangle moved by (dx, dy).
Rect Offset(const Rect& r, int32_t dx, int32_t dy);

// Where the recording status bar (width x height) goes for a custom region:
// outside the region where the work area has room, below it, else above,
// else right, else left of it, `gap` pixels away; its centre when there is
// no room anywhere. The top-left corner.
Point PlaceOutside(const Rect& region, int32_t width, int32_t height, const Rect& workArea, int32_t gap);

// Where the status bar goes when a recording shows it: `bar` is where it is,
// on `barMonitor`; `recorded` the area being recorded, on `monitor` with
// `workArea`. A bar on another monitor moves onto the recorded one (centred,
// or outside a custom region); a bar over a custom region moves outside it;
// otherwise it stays where it is (where the teacher may have put it): false.
bool StatusBarPlace(const Rect& bar, const Rect& barMonitor, const Rect& recorded, bool customRegion,
                    const Rect& monitor, const Rect& workArea, int32_t gap, Point& place);

ZoneCursor CursorForZone(int32_t zone);

// Centres of the eight handles: the corners, then the edge midpoints.
std::array<Point, 8> HandleCentres(const Rect& r);

// Everything the outline and handles of `r` touch, with a pixel to spare.
Rect PaintBounds(const Rect& r);

// The inside of `r` that is plain see-through in the picture, clear of the
// outline and the handles (empty for a small rectangle).
Rect InnerArea(const Rect& r);

// The smallest rectangle holding both; an empty one adds nothing.
Rect UnionRect(const Rect& a, const Rect& b);
bool IsEmptyRect(const Rect& r);

// The screens as Windows reports them, in physical pixels (the program is
// DPI aware): every monitor, the virtual screen around them, the monitor a
// window or rectangle is on; and keeping the program's own windows out of
// what a screen grabber records.
#pragma once

#include <windows.h>

#include <vector>

#include "support/rect.h"

// Every monitor's rectangle, the primary one first.
std::vector<Rect> MonitorRects();
// The virtual screen: the rectangle around every monitor (its left or top is
// negative when a monitor lies left of or above the primary one).
Rect VirtualScreenRect();

struct MonitorArea {
    Rect monitor;
    Rect work;
    bool primary = true;
};
// The monitor that holds most of the window (the nearest when none does).
MonitorArea MonitorOfWindow(HWND hwnd);
// The monitor that holds most of the rectangle (the nearest when none does).
MonitorArea MonitorOfRect(const Rect& r);

// The work area of the monitor that holds most of the area being recorded:
// the countdown, the tip and the after-recording window stand there, where
// the teacher is looking (on a projector when that is what is recorded).
RECT RecordedWorkArea();

// Asks Windows to leave the window out of screen captures (Windows 10 2004
// and later): the grabber records what lies under it. False where Windows
// cannot, and the window is then recorded as before.
bool ExcludeFromCapture(HWND hwnd);

// Puts the status bar where a recording of `recorded` wants it (see
// StatusBarPlace): on the recorded monitor, outside a custom region where
// there is room.
void PlaceOnRecordedScreen(HWND bar, const Rect& recorded, bool customRegion, int gap);

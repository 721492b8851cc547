// The corner markers: a topmost, colour-keyed, full-screen window that draws
// two short strokes at each corner of the chosen region and lets everything
// else of the screen show through and take the mouse.
#pragma once

#include <windows.h>

#include <cstdint>

// Opaque ARGB of the strokes: red 0, green 186, blue 255.
constexpr uint32_t kCornerMarkerColor = 0xFF00BAFF;
// Each stroke runs this far from its corner along one edge.
constexpr int32_t kCornerStrokeLength = 60;

// Registers the class, creates and shows the window and publishes CornerHwnd.
// Call only while CornerHwnd is null; a failed creation leaves it null.
void CreateCornerWindow();

// The eight strokes, two per corner, with GDI+ on `dc`.
void DrawCornerMarkers(HDC dc, float penWidth, uint32_t colour, int32_t left, int32_t top, int32_t right,
                       int32_t bottom);

// Shows the window and repaints it from the recording choices, creating it on
// first use; hides it when it exists.
void ShowCornerWindow();
void HideCornerWindow();

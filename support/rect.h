// The program's rectangle: four signed 32-bit coordinates, right and bottom
// exclusive. The Windows-free logic computes with it; code that calls Win32
// passes a RECT (in the skinned windows the UI library's CDuiRect, a RECT
// that moves). The area the encoder records is kept as the screen filter's
// settings hold it, corner and size (CaptureArea, in the encoder's protocol).
#pragma once

#include <cstdint>

struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    friend bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }
};

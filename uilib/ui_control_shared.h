// What the control kinds' own files share: attribute values read into a
// control's fields, a rectangle made smaller, the first colour or picture
// that is set among a state's candidates.
#pragma once

#include <windows.h>

#include <array>
#include <initializer_list>
#include <string>

#include "uilib/ui_control.h"
#include "uilib/ui_values.h"

// The value as a colour into `color`; false (and `color` kept) when it is none.
inline bool AssignColor(const std::wstring& value, UiColor& color) {
    uint32_t parsed = 0;
    if (!ParseUiColor(value, parsed)) return false;
    color = parsed;
    return true;
}

// The value as four numbers into `rc`; false (and `rc` kept) when it is not.
inline bool AssignRect(const std::wstring& value, RECT& rc) {
    std::array<int32_t, 4> v{};
    if (!ParseUiInts(value, v)) return false;
    rc = RECT{v[0], v[1], v[2], v[3]};
    return true;
}

inline RECT Deflate(const RECT& rc, const RECT& by) {
    return RECT{rc.left + by.left, rc.top + by.top, rc.right - by.right, rc.bottom - by.bottom};
}

inline UiColor FirstColor(std::initializer_list<UiColor> colors) {
    for (UiColor c : colors) {
        if (c != 0) return c;
    }
    return 0;
}

inline const std::wstring& FirstImage(std::initializer_list<const std::wstring*> images) {
    static const std::wstring none;
    for (const std::wstring* image : images) {
        if (!image->empty()) return *image;
    }
    return none;
}

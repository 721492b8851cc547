// Layout arithmetic of the skinned controls: how a vertical or horizontal
// layout shares its length among its children. Windows-free, tested on the host.
#pragma once

#include <cstdint>
#include <vector>

// One child along the layout's axis: its declared size (0: it stretches) and
// its padding before and after.
struct UiAxisItem {
    int32_t fixed = 0;
    int32_t before = 0;
    int32_t after = 0;
};

// The size of each item in `length`, with `gap` between neighbours. Fixed
// sizes are kept as declared; what is left after them, the paddings and the
// gaps (never less than 0) is split evenly among the stretching items, the
// last of which takes the remainder of the division, so the stretching sizes
// add up to exactly what was left.
std::vector<int32_t> ShareLength(const std::vector<UiAxisItem>& items, int32_t length, int32_t gap);

// How a layout shares its length among its children.
#include "uilib/ui_layout.h"

#include <algorithm>

std::vector<int32_t> ShareLength(const std::vector<UiAxisItem>& items, int32_t length, int32_t gap) {
    int32_t used = 0;
    int32_t stretching = 0;
    for (const UiAxisItem& item : items) {
        used += item.before + item.after + item.fixed;
        if (item.fixed == 0) ++stretching;
    }
    if (!items.empty()) used += gap * static_cast<int32_t>(items.size() - 1);
    const int32_t rest = std::max<int32_t>(0, length - used);
    std::vector<int32_t> sizes;
    sizes.reserve(items.size());
    int32_t given = 0;
    int32_t seen = 0;
    for (const UiAxisItem& item : items) {
        if (item.fixed != 0) {
            sizes.push_back(item.fixed);
            continue;
        }
        ++seen;
        const int32_t share = seen == stretching ? rest - given : rest / stretching;
        given += share;
        sizes.push_back(share);
    }
    return sizes;
}

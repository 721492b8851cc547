// The operating-system class test, without Windows.
#pragma once

#include <cstdint>

// Windows of the NT family (platform id above 1) with major version above 5:
// Vista and later. A zeroed record (failed query) answers false.
inline bool IsCurrentWindows(uint32_t platformId, uint32_t majorVersion) {
    return platformId > 1 && majorVersion > 5;
}

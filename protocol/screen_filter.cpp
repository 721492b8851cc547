#include "protocol/screen_filter.h"

std::optional<CaptureArea> CaptureAreaFromSettings(const ReadSetting& read) {
    CaptureArea area;
    auto take = [&read](const wchar_t* name, int32_t& value) {
        const std::optional<uint32_t> stored = read(name);
        if (stored) value = static_cast<int32_t>(*stored);  // stored from signed coordinates
        return stored.has_value();
    };
    if (!take(kStartXValue, area.x) || !take(kStartYValue, area.y) || !take(kCaptureWidthValue, area.width) ||
        !take(kCaptureHeightValue, area.height))
        return std::nullopt;
    if (!take(kMaxFpsValue, area.fps) || area.fps <= 0) area.fps = kFrameRate;
    return area;
}

// The screen filter's settings: six DWORD values under HKEY_CURRENT_USER in
// the registry's 32-bit view (the filter is a 32-bit COM server). Tavrix
// writes them before each start; the encoder reads the area back when the
// filter is not registered. Nothing here touches Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "protocol/command_line.h"

inline constexpr wchar_t kScreenFilterKey[] = L"SOFTWARE\\screen-capture-recorder";
inline constexpr wchar_t kStartXValue[] = L"start_x";
inline constexpr wchar_t kStartYValue[] = L"start_y";
inline constexpr wchar_t kCaptureWidthValue[] = L"capture_width";
inline constexpr wchar_t kCaptureHeightValue[] = L"capture_height";
inline constexpr wchar_t kMaxFpsValue[] = L"default_max_fps";
inline constexpr wchar_t kCaptureMouseValue[] =
    L"capture_transparent_windows_including_mouse_in_non_aero_if_1_causes_annoying_mouse_flicker";

// The area those values describe: the top-left corner (which may be left of
// or above the primary screen), the size and the frames a second.
struct CaptureArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t fps = kFrameRate;
};

// The capture area from the settings as Tavrix wrote them: `read` gives a
// value by its name, or nothing when it is missing. Empty when a corner or
// the size is missing; a missing or zero frame rate is kFrameRate.
using ReadSetting = std::function<std::optional<uint32_t>(const wchar_t* name)>;
std::optional<CaptureArea> CaptureAreaFromSettings(const ReadSetting& read);

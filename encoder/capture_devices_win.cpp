#include "encoder/capture_devices_win.h"

#include <windows.h>

#include <algorithm>

#include "support/directshow_win.h"
#include "support/unique_win.h"

namespace {

std::optional<uint32_t> ReadDword(HKEY key, const wchar_t* name) {
    DWORD data = 0, size = sizeof(data), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return data;
}

}  // namespace

std::optional<CaptureArea> ReadScreenFilterArea() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kScreenFilterKey, 0, KEY_READ | KEY_WOW64_32KEY, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<CaptureArea> stored = CaptureAreaFromSettings([&key](const wchar_t* name) {
        return ReadDword(key.get(), name);
    });
    if (!stored) return std::nullopt;
    CaptureArea area = *stored;

    // The GDI grabber refuses an area that reaches past the screens; keep it
    // inside, and even, as the encoder's picture format needs.
    const int32_t left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int32_t right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN), bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (right > left && bottom > top) {
        area.x = std::clamp(area.x, left, right - 2);
        area.y = std::clamp(area.y, top, bottom - 2);
        area.width = std::clamp(area.width, 2, right - area.x) & ~1;
        area.height = std::clamp(area.height, 2, bottom - area.y) & ~1;
    }
    if (area.width < 2 || area.height < 2) return std::nullopt;
    return area;
}

CaptureDevices FindCaptureDevices() {
    CaptureDevices devices;
    {
        const ScopedCom com;
        for (const std::wstring& name : DirectShowInputNames(DirectShowCategory::Video))
            if (name == kScreenFilterName) devices.screenFilter = true;
        for (const std::wstring& name : DirectShowInputNames(DirectShowCategory::Audio))
            if (name == kSpeakerFilterName) devices.speakerFilter = true;
    }
    if (!devices.screenFilter) devices.area = ReadScreenFilterArea();
    return devices;
}

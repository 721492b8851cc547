#include "encoder/capture_devices_win.h"

#include <windows.h>


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

BOOL CALLBACK AddScreen(HMONITOR monitor, HDC, LPRECT, LPARAM data) noexcept {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    auto& screens = *reinterpret_cast<std::vector<Rect>*>(data);
    const Rect screen{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    if (info.dwFlags & MONITORINFOF_PRIMARY) screens.insert(screens.begin(), screen);
    else screens.push_back(screen);
    return TRUE;
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
    // The GDI grabber refuses an area that reaches past the screens; keep it
    // on them, and even, as the encoder's picture format needs.
    const CaptureArea area = AreaOnScreens(*stored, ScreenRects());
    if (area.width < 2 || area.height < 2) return std::nullopt;
    return area;
}

std::vector<Rect> ScreenRects() {
    std::vector<Rect> screens;
    EnumDisplayMonitors(nullptr, nullptr, AddScreen, reinterpret_cast<LPARAM>(&screens));
    return screens;
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

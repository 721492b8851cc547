// Monitors and display affinity from user32.
#include "ui/screens_win.h"

#include "recording/record_options.h"
#include "ui/region_geometry.h"

namespace {

Rect ToRect(const RECT& r) {
    return Rect{r.left, r.top, r.right, r.bottom};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto* rects = reinterpret_cast<std::vector<Rect>*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        rects->insert(rects->begin(), ToRect(info.rcMonitor));
    else
        rects->push_back(ToRect(info.rcMonitor));
    return TRUE;
}

MonitorArea AreaOf(HMONITOR monitor) {
    MonitorArea area;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) {
        area.monitor = ToRect(info.rcMonitor);
        area.work = ToRect(info.rcWork);
        area.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        return area;
    }
    area.monitor = Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT work = {};
    area.work = SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) ? ToRect(work) : area.monitor;
    return area;
}

}  // namespace

std::vector<Rect> MonitorRects() {
    std::vector<Rect> rects;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&rects));
    if (rects.empty()) rects.push_back(Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    return rects;
}

Rect VirtualScreenRect() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // Systems without the virtual-screen metrics answer 0: the primary screen.
    if (w <= 0 || h <= 0) return Rect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return Rect{x, y, x + w, y + h};
}

MonitorArea MonitorOfWindow(HWND hwnd) {
    return AreaOf(hwnd != nullptr ? MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST) : nullptr);
}

MonitorArea MonitorOfRect(const Rect& r) {
    const RECT rc{r.left, r.top, r.right, r.bottom};
    return AreaOf(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST));
}

bool ExcludeFromCapture(HWND hwnd) {
    using SetAffinityFn = BOOL(WINAPI*)(HWND, DWORD);
    constexpr DWORD kExcludeFromCapture = 0x00000011;  // WDA_EXCLUDEFROMCAPTURE
    static const auto setAffinity = reinterpret_cast<SetAffinityFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetWindowDisplayAffinity")));
    // Older Windows refuse the value (only WDA_MONITOR existed, which would
    // black the window out in the recording): nothing is changed there.
    return hwnd != nullptr && setAffinity != nullptr && setAffinity(hwnd, kExcludeFromCapture) != FALSE;
}

void PlaceOnRecordedScreen(HWND bar, const Rect& recorded, bool customRegion, int gap) {
    RECT window = {};
    if (bar == nullptr || !GetWindowRect(bar, &window)) return;
    const MonitorArea screen = MonitorOfRect(recorded);
    const MonitorArea current = MonitorOfWindow(bar);
    Point place;
    if (!StatusBarPlace(ToRect(window), current.monitor, recorded, customRegion, screen.monitor, screen.work, gap,
                        place)) {
        return;
    }
    SetWindowPos(bar, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT RecordedWorkArea() {
    const Rect work = MonitorOfRect(RecordOptions::Instance()->captureRect).work;
    return RECT{work.left, work.top, work.right, work.bottom};
}

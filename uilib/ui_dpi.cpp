// Display density from user32 and shcore, loaded at run time.
#include "uilib/ui_dpi.h"

#include <string>

#include "support/unique_win.h"

namespace UiDpi {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using SetContextFn = BOOL(WINAPI*)(HANDLE);
using SetAwarenessFn = HRESULT(WINAPI*)(int);
using SetAwareFn = BOOL(WINAPI*)();

constexpr int kEffectiveDpi = 0;             // MDT_EFFECTIVE_DPI
constexpr int kPerMonitorAwareness = 2;      // PROCESS_PER_MONITOR_DPI_AWARE
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitor = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

template <class Fn>
Fn Lookup(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

HMODULE User32() {
    return ::GetModuleHandleW(L"user32.dll");
}

}  // namespace

int System() {
    const ScopedWindowDC screen(nullptr);
    const int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

int ForMonitor(HMONITOR monitor) {
    // shcore.dll: Windows 8.1 and later.
    static const auto getForMonitor = SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    if (monitor != nullptr && getForMonitor != nullptr && SUCCEEDED(getForMonitor(monitor, kEffectiveDpi, &x, &y)) &&
        x > 0) {
        return static_cast<int>(x);
    }
    return System();
}

int ForWindow(HWND hwnd) {
    static const auto getForWindow = Lookup<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
    if (hwnd != nullptr && getForWindow != nullptr) {
        const UINT dpi = getForWindow(hwnd);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    if (hwnd != nullptr) return ForMonitor(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST));
    return System();
}

bool MakeProcessPerMonitorAware() {
    if (const auto setContext = Lookup<SetContextFn>(User32(), "SetProcessDpiAwarenessContext")) {
        if (setContext(kPerMonitorV2) || setContext(kPerMonitor)) return true;
    }
    if (const auto setAwareness = SystemFunction<SetAwarenessFn>(L"shcore.dll", "SetProcessDpiAwareness")) {
        if (SUCCEEDED(setAwareness(kPerMonitorAwareness))) return true;
    }
    const auto setAware = Lookup<SetAwareFn>(User32(), "SetProcessDPIAware");
    return setAware != nullptr && setAware();
}

}  // namespace UiDpi

// A plain coloured window at a given place on the screens, for recordings to
// show: "colour_window X Y WIDTH HEIGHT RRGGBB". X and Y are screen
// coordinates, negative on a monitor left of or above the primary one. No
// caption and no activation, so it shows at once and takes nobody's focus.
// Runs until killed.
#include <windows.h>

#include <cwchar>

namespace {

COLORREF g_colour = RGB(255, 0, 0);

LRESULT CALLBACK ColorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        const HBRUSH brush = CreateSolidBrush(g_colour);
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) {
        std::fwprintf(stderr, L"usage: colour_window X Y WIDTH HEIGHT RRGGBB\n");
        return 2;
    }
    const int x = std::wcstol(argv[1], nullptr, 10), y = std::wcstol(argv[2], nullptr, 10);
    const int width = std::wcstol(argv[3], nullptr, 10), height = std::wcstol(argv[4], nullptr, 10);
    const unsigned long rgb = std::wcstoul(argv[5], nullptr, 16);
    g_colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);

    // Placed in physical pixels whatever the display scaling.
    using SetAwareness = BOOL(WINAPI*)(HANDLE);
    if (const HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        if (auto set = reinterpret_cast<SetAwareness>(
                reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext"))))
            set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    }

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = ColorProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavrixTestColourWindow";
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, windowClass.lpszClassName,
                                        L"colour window", WS_POPUP, x, y, width, height, nullptr, nullptr,
                                        windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

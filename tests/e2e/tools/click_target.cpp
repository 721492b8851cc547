// A plain window standing in for the program a teacher presents, for the
// drawing tests: "click_target X Y WIDTH HEIGHT RRGGBB LOGFILE [TEXT]". It
// stands at X, Y (screen pixels, per-monitor aware), titled "click target",
// is filled with the colour (and shows TEXT large in its middle, a slide),
// and appends to LOGFILE "left|right <screen x> <screen y>" for each button
// press and "key <virtual key>" for each key it is given. No caption. Runs
// until killed.
#include <windows.h>
#include <windowsx.h>

#include <cstdio>
#include <cwchar>

namespace {

COLORREF g_colour = RGB(60, 60, 60);
const wchar_t* g_log = nullptr;
const wchar_t* g_text = nullptr;

void Append(const char* line) {
    FILE* log = _wfopen(g_log, L"ab");
    if (log == nullptr) return;
    std::fputs(line, log);
    std::fclose(log);
}

void Note(HWND window, const char* button, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &p);
    char line[64];
    std::snprintf(line, sizeof(line), "%s %ld %ld\n", button, p.x, p.y);
    Append(line);
}

void PaintText(HWND window, HDC dc) {
    if (g_text == nullptr) return;
    RECT client{};
    GetClientRect(window, &client);
    const HFONT font = CreateFontW(client.bottom / 7, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                   ANTIALIASED_QUALITY, 0, L"Microsoft YaHei");
    const HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(30, 41, 59));
    DrawTextW(dc, g_text, -1, &client, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(window, &paint);
        const HBRUSH brush = CreateSolidBrush(g_colour);
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        PaintText(window, dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN: Note(window, "left", lParam); return 0;
    case WM_RBUTTONDOWN: Note(window, "right", lParam); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        char line[32];
        std::snprintf(line, sizeof(line), "key %u\n", static_cast<unsigned>(wParam));
        Append(line);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 7 && argc != 8) {
        std::fwprintf(stderr, L"usage: click_target X Y WIDTH HEIGHT RRGGBB LOGFILE [TEXT]\n");
        return 2;
    }
    const int x = std::wcstol(argv[1], nullptr, 10), y = std::wcstol(argv[2], nullptr, 10);
    const int width = std::wcstol(argv[3], nullptr, 10), height = std::wcstol(argv[4], nullptr, 10);
    const unsigned long rgb = std::wcstoul(argv[5], nullptr, 16);
    g_colour = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    g_log = argv[6];
    if (argc == 8) g_text = argv[7];

    using SetAwareness = BOOL(WINAPI*)(HANDLE);
    if (const HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        if (auto set = reinterpret_cast<SetAwareness>(
                reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext"))))
            set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
    }

    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = TargetProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"TavrixTestClickTarget";
    RegisterClassExW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"click target", WS_POPUP, x,
                                        y, width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

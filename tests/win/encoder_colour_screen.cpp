// A test screen for recordings: a topmost window over the whole screen whose
// colour changes every second through a fixed palette. Prints one line per
// change, "colour INDEX R G B", so a test knows which second showed which colour.
// Runs until killed, or for the number of seconds given as its argument.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Far apart in colour, so each is still told apart after lossy encoding.
const COLORREF kPalette[] = {RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(0, 0, 255),     RGB(255, 255, 0),
                             RGB(0, 255, 255),   RGB(255, 0, 255),   RGB(255, 255, 255), RGB(255, 128, 0),
                             RGB(128, 0, 255),   RGB(128, 128, 128), RGB(0, 128, 64),    RGB(128, 0, 0),
                             RGB(0, 0, 128),     RGB(128, 255, 128), RGB(255, 128, 192), RGB(64, 64, 0)};
constexpr int kColours = sizeof(kPalette) / sizeof(kPalette[0]);
int g_index = 0;
int g_secondsLeft = -1;

void PrintColour() {
    const COLORREF c = kPalette[g_index];
    std::printf("colour %d %d %d %d\n", g_index, GetRValue(c), GetGValue(c), GetBValue(c));
    std::fflush(stdout);
}

LRESULT CALLBACK ColourProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (g_secondsLeft > 0 && --g_secondsLeft == 0) {
            PostQuitMessage(0);
            return 0;
        }
        g_index = (g_index + 1) % kColours;
        PrintColour();
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(kPalette[g_index]);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_secondsLeft = std::atoi(argv[1]);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ColourProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavrixColourScreen";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"colour screen", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    PrintColour();
    SetTimer(hwnd, 1, 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

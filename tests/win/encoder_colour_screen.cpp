// A test screen for recordings: a topmost window over the whole screen whose
// colour changes every second through a fixed palette. Prints one line per
// change, "colour INDEX R G B", so a test knows which second showed which colour.
// Runs until killed, or for the number of seconds given as its argument.
// With "slides" as second argument it shows a lesson instead: a slide of
// text and shapes that changes every four seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

// Far apart in colour, so each is still told apart after lossy encoding.
const COLORREF kPalette[] = {RGB(255, 0, 0),     RGB(0, 255, 0),     RGB(0, 0, 255),     RGB(255, 255, 0),
                             RGB(0, 255, 255),   RGB(255, 0, 255),   RGB(255, 255, 255), RGB(255, 128, 0),
                             RGB(128, 0, 255),   RGB(128, 128, 128), RGB(0, 128, 64),    RGB(128, 0, 0),
                             RGB(0, 0, 128),     RGB(128, 255, 128), RGB(255, 128, 192), RGB(64, 64, 0)};
constexpr int kColors = sizeof(kPalette) / sizeof(kPalette[0]);
int g_index = 0;
int g_secondsLeft = -1;
bool g_slides = false;
int g_tick = 0;

void PaintSlide(HDC dc, const RECT& r) {
    const int slide = g_tick / 4;
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &r, white);
    DeleteObject(white);
    RECT title = {0, 0, r.right, r.bottom / 8};
    HBRUSH bar = CreateSolidBrush(kPalette[slide % kColors]);
    FillRect(dc, &title, bar);
    DeleteObject(bar);
    HFONT big = CreateFontW(r.bottom / 14, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    HFONT small = CreateFontW(r.bottom / 24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, big);
    wchar_t text[128];
    swprintf(text, 128, L"Lesson %d: fractions and decimals", slide + 1);
    TextOutW(dc, r.right / 20, r.bottom / 40, text, static_cast<int>(wcslen(text)));
    SelectObject(dc, small);
    for (int line = 0; line < 8; ++line) {
        swprintf(text, 128, L"%d.%d  %d/%d = %.3f  worked example number %d", slide + 1, line + 1, line + slide + 1,
                 line + 3, (line + slide + 1) / double(line + 3), line * 7 + slide);
        TextOutW(dc, r.right / 16, r.bottom / 6 + line * r.bottom / 16, text, static_cast<int>(wcslen(text)));
    }
    SelectObject(dc, old);
    DeleteObject(big);
    DeleteObject(small);
    // A chart that differs per slide, and a pointer the teacher moves each second.
    for (int b = 0; b < 6; ++b) {
        RECT barRect = {r.right * 6 / 10 + b * r.right / 18, r.bottom * 8 / 10 - ((b * 37 + slide * 53) % 7 + 1) * r.bottom / 20,
                        r.right * 6 / 10 + b * r.right / 18 + r.right / 24, r.bottom * 8 / 10};
        HBRUSH fill = CreateSolidBrush(kPalette[(b + slide) % kColors]);
        FillRect(dc, &barRect, fill);
        DeleteObject(fill);
    }
    RECT pointer = {r.right / 16 + (g_tick % 4) * r.right / 8, r.bottom * 9 / 10, 0, 0};
    pointer.right = pointer.left + 24;
    pointer.bottom = pointer.top + 24;
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &pointer, red);
    DeleteObject(red);
}

void PrintColor() {
    const COLORREF c = kPalette[g_index];
    std::printf("colour %d %d %d %d\n", g_index, GetRValue(c), GetGValue(c), GetBValue(c));
    std::fflush(stdout);
}

LRESULT CALLBACK ColorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (g_secondsLeft > 0 && --g_secondsLeft == 0) {
            PostQuitMessage(0);
            return 0;
        }
        g_index = (g_index + 1) % kColors;
        ++g_tick;
        PrintColor();
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        if (g_slides) {
            PaintSlide(dc, r);
        } else {
            HBRUSH brush = CreateSolidBrush(kPalette[g_index]);
            FillRect(dc, &r, brush);
            DeleteObject(brush);
        }
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
    g_slides = argc > 2 && std::strcmp(argv[2], "slides") == 0;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = ColorProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavrixColourScreen";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"colour screen", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    PrintColor();
    SetTimer(hwnd, 1, 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}

// A small host for the region selector and the corner markers, for the
// end-to-end script and for measuring the selector's repaint.
//
//   region_probe.exe RESULT_FILE [MS] shows the selector; each result is a line
//                                     in RESULT_FILE ("selected L T R B" or
//                                     "cancelled"); a chosen region gets its
//                                     corner markers; the selector comes back
//                                     MS (2500) later for the next try; a
//                                     striped backdrop under it stands in for
//                                     the live screen
//   region_probe.exe --bench N        times N repaints of each kind and prints them
#include <windows.h>
#include <shellapi.h>
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "recording/record_options.h"
#include "ui/window_state.h"
#include "ui/corner_window.h"
#include "ui/region_selector.h"

namespace {

constexpr UINT_PTR kShowAgainTimer = 1;

struct Probe {
    RegionSelector selector;
    std::wstring resultPath;
    HWND timerWindow = nullptr;
    UINT showAgainMs = 2500;
};

void WriteResult(const Probe& probe, const char* line) {
    FILE* f = _wfopen(probe.resultPath.c_str(), L"ab");
    if (f == nullptr) return;
    fputs(line, f);
    fputc('\n', f);
    fclose(f);
}

void OnSelected(const RECT* rect, void* userData) {
    auto* probe = static_cast<Probe*>(userData);
    if (rect == nullptr) {
        WriteResult(*probe, "cancelled");
        HideCornerWindow();
    } else {
        char line[96];
        snprintf(line, sizeof(line), "selected %ld %ld %ld %ld", static_cast<long>(rect->left),
                 static_cast<long>(rect->top), static_cast<long>(rect->right), static_cast<long>(rect->bottom));
        WriteResult(*probe, line);
        ApplyRegionSelection(*RecordOptions::Instance(), Rect{rect->left, rect->top, rect->right, rect->bottom});
        ShowCornerWindow();
    }
    SetTimer(probe->timerWindow, kShowAgainTimer, probe->showAgainMs, nullptr);
}

Probe* g_probe = nullptr;

LRESULT CALLBACK TimerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_TIMER && wParam == kShowAgainTimer && g_probe != nullptr) {
        KillTimer(hwnd, kShowAgainTimer);
        g_probe->selector.Show(true);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The stand-in for the live screen: light stripes, 100 pixels each.
LRESULT CALLBACK BackdropProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message != WM_PAINT) return DefWindowProcW(hwnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH light = CreateSolidBrush(RGB(200, 220, 240));
    HBRUSH warm = CreateSolidBrush(RGB(240, 220, 160));
    for (int x = 0; x < ScreenWidth; x += 100) {
        RECT stripe{x, 0, x + 100, ScreenHeight};
        FillRect(dc, &stripe, (x / 100) % 2 == 0 ? light : warm);
    }
    DeleteObject(light);
    DeleteObject(warm);
    EndPaint(hwnd, &ps);
    return 0;
}

void ShowBackdrop(HINSTANCE instance) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"RegionProbeBackdrop";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, L"RegionProbeBackdrop", L"Backdrop", WS_POPUP, 0, 0, ScreenWidth, ScreenHeight,
                                nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
}

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs `step` n times and prints the median, mean and worst time of one step.
template <class Step>
void Time(const char* name, int n, Step step) {
    std::vector<double> times;
    for (int i = 0; i < n; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        step(i);
        GdiFlush();
        QueryPerformanceCounter(&b);
        times.push_back(Milliseconds(a, b));
        PumpPending();
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times) sum += t;
    printf("%-34s median %7.3f ms  mean %7.3f ms  max %7.3f ms\n", name, times[times.size() / 2],
           sum / static_cast<double>(times.size()), times.back());
}

void Mouse(HWND hwnd, UINT message, int x, int y) {
    SendMessageW(hwnd, message, 0, MAKELPARAM(x, y));
}

int Bench(Probe& probe, int n) {
    RegionSelector& s = probe.selector;
    s.Show(true);
    for (int i = 0; i < 20; ++i) {
        PumpPending();
        Sleep(10);
    }
    HWND mask = s.MaskWindow();
    const int w = s.Model().screenWidth();
    const int h = s.Model().screenHeight();
    printf("screen %d x %d\n", w, h);

    // A large rectangle, chosen; then every repaint of the whole window.
    Mouse(mask, WM_LBUTTONDOWN, 20, 20);
    Mouse(mask, WM_LBUTTONUP, w - 20, h - 40);
    UpdateWindow(mask);
    PumpPending();
    const RECT screen{0, 0, w, h};
    HDC windowDc = GetDC(mask);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    HBITMAP memoryBitmap = CreateCompatibleBitmap(windowDc, w, h);
    HGDIOBJ oldBitmap = SelectObject(memoryDc, memoryBitmap);
    Time("composition + copy to memory", n, [&](int) { s.PaintMask(memoryDc, screen); });
    Time("composition + copy to window DC", n, [&](int) { s.PaintMask(windowDc, screen); });
    SelectObject(memoryDc, oldBitmap);
    DeleteObject(memoryBitmap);
    DeleteDC(memoryDc);
    ReleaseDC(mask, windowDc);
    Time("whole window repaint", n, [&](int) {
        InvalidateRect(mask, nullptr, FALSE);
        UpdateWindow(mask);
    });

    // Moving that large rectangle: old and new outline cover nearly everything.
    Mouse(mask, WM_LBUTTONDOWN, w / 2, h / 2);
    Time("drag step, moving a large region", n, [&](int i) {
        Mouse(mask, WM_MOUSEMOVE, w / 2 + (i % 2 == 0 ? 3 : -3), h / 2);
        UpdateWindow(mask);
    });
    Mouse(mask, WM_LBUTTONUP, w / 2, h / 2);

    // Drawing out a new rectangle across the screen, one mouse step at a time.
    Mouse(mask, WM_RBUTTONUP, 5, 5);
    Mouse(mask, WM_LBUTTONDOWN, 100, 100);
    Time("drag step, drawing a new region", n, [&](int i) {
        Mouse(mask, WM_MOUSEMOVE, 100 + (i * 7) % (w - 200), 100 + (i * 4) % (h - 200));
        UpdateWindow(mask);
    });
    Mouse(mask, WM_LBUTTONUP, 400, 300);
    UpdateWindow(mask);
    s.Show(false);
    PumpPending();
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);

    Probe probe;
    g_probe = &probe;
    const bool bench = argc >= 2 && wcscmp(argv[1], L"--bench") == 0;
    probe.resultPath = argc >= 2 ? argv[1] : L"region-result.txt";
    if (!bench && argc >= 3) probe.showAgainMs = static_cast<UINT>(_wtoi(argv[2]));
    if (probe.selector.Create(instance, &probe, OnSelected) != 0) {
        fprintf(stderr, "the selector cannot be made\n");
        return 1;
    }
    if (bench) {
        const int n = argc >= 3 ? _wtoi(argv[2]) : 100;
        const int rc = Bench(probe, n > 0 ? n : 100);
        fflush(stdout);
        probe.selector.Destroy();
        Gdiplus::GdiplusShutdown(token);
        return rc;
    }

    WNDCLASSW wc = {};
    wc.lpfnWndProc = TimerProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"RegionProbeTimer";
    RegisterClassW(&wc);
    probe.timerWindow = CreateWindowW(L"RegionProbeTimer", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    ShowBackdrop(instance);
    probe.selector.Show(true);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    probe.selector.Destroy();
    Gdiplus::GdiplusShutdown(token);
    return 0;
}

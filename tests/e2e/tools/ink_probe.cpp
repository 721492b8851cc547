// Drives the drawing with real mouse input (SendInput) for the drawing
// benchmark, while Tavrix records with drawing on:
//
//   ink_probe latency <x0> <y0> <x1> <step> <rows> <row gap>
//       strokes left to right from x0 to x1 in steps of <step> pixels, one
//       row after another; after each move it reads the screen at the new
//       point until the stroke's red is there, and prints the times (ms)
//       from the move to the red on the screen: "latency n <count> p50 <ms>
//       p95 <ms> max <ms> missed <count>" (missed: not red within 250 ms).
//   ink_probe draw|move <seconds> <centre x> <centre y> <radius>
//       moves the mouse in circles, a move every 10 ms, for the time: with
//       the left button held (drawing) or without.
//
// Exit code 0, 2 on bad arguments.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Mouse(int x, int y, DWORD buttons = 0) {
    SetCursorPos(x, y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | buttons;
    SendInput(1, &input, sizeof(input));
}

bool RedOnScreen(HDC screen, int x, int y) {
    const COLORREF c = GetPixel(screen, x, y);
    return c != CLR_INVALID && GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(std::ceil(p * v.size())) - 1);
    return v[i];
}

int Latency(int x0, int y0, int x1, int step, int rows, int gap) {
    HDC screen = GetDC(nullptr);
    std::vector<double> times;
    int missed = 0;
    for (int row = 0; row < rows; ++row) {
        const int y = y0 + row * gap;
        Mouse(x0, y);
        Sleep(30);
        Mouse(x0, y, MOUSEEVENTF_LEFTDOWN);
        Sleep(30);
        for (int x = x0 + step; x <= x1; x += step) {
            const double start = Now();
            Mouse(x, y);
            bool seen = false;
            // Polled a millisecond apart: a probe spinning on the screen would
            // take a processor from the programs it times.
            while (Now() - start < 250) {
                if (RedOnScreen(screen, x, y)) {
                    seen = true;
                    break;
                }
                Sleep(1);
            }
            if (seen)
                times.push_back(Now() - start);
            else
                ++missed;
        }
        Mouse(x1, y, MOUSEEVENTF_LEFTUP);
        Sleep(50);
    }
    ReleaseDC(nullptr, screen);
    std::printf("latency n %zu p50 %.1f p95 %.1f max %.1f missed %d\n", times.size(), Percentile(times, 0.5),
                Percentile(times, 0.95), times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()),
                missed);
    return 0;
}

int Circles(double seconds, int cx, int cy, int radius, bool press) {
    const double start = Now();
    Mouse(cx + radius, cy);
    Sleep(30);
    if (press) Mouse(cx + radius, cy, MOUSEEVENTF_LEFTDOWN);
    int moves = 0;
    while (Now() - start < seconds * 1000) {
        const double a = (Now() - start) / 1000.0 * 3.0;  // about half a turn a second
        Mouse(cx + static_cast<int>(radius * std::cos(a)), cy + static_cast<int>(radius * std::sin(a)));
        ++moves;
        Sleep(10);
    }
    if (press) Mouse(cx + radius, cy, MOUSEEVENTF_LEFTUP);
    std::printf("%s moves %d seconds %.1f\n", press ? "draw" : "move", moves, (Now() - start) / 1000);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using SetAwareness = BOOL(WINAPI*)(HANDLE);
    if (auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext"))))
        set(reinterpret_cast<HANDLE>(-4));  // per monitor: the screen's own pixels
    if (argc == 8 && std::strcmp(argv[1], "latency") == 0)
        return Latency(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                       std::atoi(argv[6]), std::atoi(argv[7]));
    if (argc == 6 && (std::strcmp(argv[1], "draw") == 0 || std::strcmp(argv[1], "move") == 0))
        return Circles(std::atof(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                       std::strcmp(argv[1], "draw") == 0);
    std::fprintf(stderr, "usage: ink_probe latency x0 y0 x1 step rows gap | draw|move seconds cx cy radius\n");
    return 2;
}

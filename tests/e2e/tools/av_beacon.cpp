// A sound-and-picture beacon for the offset benchmark (tests/e2e/av_sync_bench.sh):
// a black topmost window over the whole screen that, every 2 s, paints a white
// square at its top left corner and starts a 100 ms 1 kHz beep at the same
// instant, and paints the square black again 0.5 s later. The beep is prepared
// on an open wave-out device beforehand, so starting it is one call.
// Prints "ready", then one line per beacon, "beacon N MS HH:MM:SS.mmm": the
// performance counter's time in milliseconds and the local time just after
// both were started (the encoder adapter's log is stamped in local time).
//   av_beacon.exe SECONDS [SQUARE_PIXELS]
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kBeepMs = 100;
constexpr DWORD kPeriodMs = 2000;
constexpr DWORD kLitMs = 500;
constexpr UINT_PTR kBeaconTimer = 1;
constexpr UINT_PTR kDarkTimer = 2;

HWAVEOUT g_out = nullptr;
WAVEHDR g_header = {};
std::vector<short> g_samples;
int g_square = 200;
bool g_lit = false;
int g_count = 0;
int g_left = 0;
LARGE_INTEGER g_frequency;

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / g_frequency.QuadPart;
}

// A 1 kHz sine with 2 ms ramps, loud, stereo 16-bit.
bool OpenBeep() {
    const int frames = kRate * kBeepMs / 1000;
    const int ramp = kRate * 2 / 1000;
    g_samples.resize(frames * 2);
    for (int i = 0; i < frames; ++i) {
        double gain = 0.8;
        if (i < ramp) gain *= double(i) / ramp;
        if (frames - i < ramp) gain *= double(frames - i) / ramp;
        const short s = static_cast<short>(gain * 32767 * std::sin(2 * 3.14159265358979 * 1000 * i / kRate));
        g_samples[2 * i] = g_samples[2 * i + 1] = s;
    }
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = kRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = kRate * 4;
    if (waveOutOpen(&g_out, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
    g_header.lpData = reinterpret_cast<LPSTR>(g_samples.data());
    g_header.dwBufferLength = static_cast<DWORD>(g_samples.size() * sizeof(short));
    return waveOutPrepareHeader(g_out, &g_header, sizeof(g_header)) == MMSYSERR_NOERROR;
}

void PaintSquare(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    RECT square = {0, 0, g_square, g_square};
    FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(g_lit ? WHITE_BRUSH : BLACK_BRUSH)));
    GdiFlush();
    ReleaseDC(hwnd, dc);
}

void Beacon(HWND hwnd) {
    g_lit = true;
    PaintSquare(hwnd);
    // The previous beep ended 1.9 s ago: its header is free again.
    waveOutReset(g_out);
    waveOutWrite(g_out, &g_header, sizeof(g_header));
    SYSTEMTIME local;
    GetLocalTime(&local);
    std::printf("beacon %d %.1f %02d:%02d:%02d.%03d\n", ++g_count, NowMs(), local.wHour, local.wMinute, local.wSecond,
                local.wMilliseconds);
    std::fflush(stdout);
    SetTimer(hwnd, kDarkTimer, kLitMs, nullptr);
}

LRESULT CALLBACK BeaconProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kBeaconTimer) {
            if (g_left-- <= 0) {
                PostQuitMessage(0);
                return 0;
            }
            Beacon(hwnd);
        } else if (wParam == kDarkTimer) {
            KillTimer(hwnd, kDarkTimer);
            g_lit = false;
            PaintSquare(hwnd);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT all;
        GetClientRect(hwnd, &all);
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RECT square = {0, 0, g_square, g_square};
        FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(g_lit ? WHITE_BRUSH : BLACK_BRUSH)));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (argc > 2) g_square = std::atoi(argv[2]);
    g_left = seconds * 1000 / static_cast<int>(kPeriodMs);
    QueryPerformanceFrequency(&g_frequency);
    // Timers to the millisecond, where the system allows it.
    timeBeginPeriod(1);
    if (!OpenBeep()) {
        std::printf("no wave-out device\n");
        return 2;
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BeaconProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavrixAvBeacon";
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"av beacon", WS_POPUP | WS_VISIBLE,
                                0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (!hwnd) return 3;
    UpdateWindow(hwnd);
    SetTimer(hwnd, kBeaconTimer, kPeriodMs, nullptr);
    std::printf("ready %.1f\n", NowMs());
    std::fflush(stdout);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    waveOutReset(g_out);
    waveOutUnprepareHeader(g_out, &g_header, sizeof(g_header));
    waveOutClose(g_out);
    timeEndPeriod(1);
    return 0;
}

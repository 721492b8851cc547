#include "encoder/audio_clock_win.h"

#include <windows.h>

#include "support/unique_win.h"

int64_t AudioClockNow() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    const int64_t seconds = counter.QuadPart / frequency.QuadPart;
    const int64_t rest = counter.QuadPart % frequency.QuadPart;
    return seconds * 10000000 + rest * 10000000 / frequency.QuadPart;
}

int64_t AudioClockAtSystemTime(int64_t unixMicroseconds) {
    // The precise wall clock where the system has one (Windows 8 on), else
    // the one the system ticks every few milliseconds.
    using PreciseTime = void(WINAPI*)(LPFILETIME);
    static const PreciseTime precise = SystemFunction<PreciseTime>(L"kernel32.dll", "GetSystemTimePreciseAsFileTime");
    constexpr int64_t kUnixEpoch = 116444736000000000;  // 1970-01-01 in 100 ns units since 1601
    FILETIME now = {};
    const int64_t before = AudioClockNow();
    if (precise) precise(&now);
    else GetSystemTimeAsFileTime(&now);
    const int64_t after = AudioClockNow();
    const int64_t wall = static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return before + (after - before) / 2 - (wall - kUnixEpoch - unixMicroseconds * 10);
}

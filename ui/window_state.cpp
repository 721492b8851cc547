#include "ui/window_state.h"

HWND StartupHwnd = nullptr;
HWND StatusHwnd = nullptr;
HWND ProcessHwnd = nullptr;
HWND CornerHwnd = nullptr;

int32_t ElapsedSeconds = 0;
std::wstring ElapsedText = L"00:00:00";

std::function<void(const std::wstring&)> ShowElapsedText;

namespace {

RecordedClock g_clock;

}  // namespace

void RunElapsedClock() { g_clock.Run(GetTickCount64()); }

void StopElapsedClock() { g_clock.Stop(GetTickCount64()); }

bool UpdateElapsedTime() {
    const int32_t seconds = g_clock.RecordedSeconds(GetTickCount64());
    if (seconds == ElapsedSeconds && ElapsedText == FormatElapsed(seconds)) return false;
    ElapsedSeconds = seconds;
    ElapsedText = FormatElapsed(seconds);
    return true;
}

void ResetElapsedTime() {
    g_clock.Reset();
    ElapsedText = L"00:00:00";
    ElapsedSeconds = 0;
    if (StatusHwnd != nullptr && ShowElapsedText) ShowElapsedText(ElapsedText);
}

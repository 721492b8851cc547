// Process-wide window handles through which the windows find each other, and
// the elapsed recording time the status bar shows. UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

// Each handle is written once, by its own window, and never cleared.
extern HWND StartupHwnd;  // the startup window
extern HWND StatusHwnd;   // the recording status bar (null until the first recording)
extern HWND ProcessHwnd;  // the after-recording window
extern HWND CornerHwnd;   // the corner-marker window (null until a region is chosen)

extern int32_t ElapsedSeconds;   // ticks of the elapsed-time timer while recording
extern std::wstring ElapsedText; // the last formatted elapsed time

// The elapsed-time timer: always on StatusHwnd, 1000 ms, no callback.
constexpr UINT_PTR kElapsedTimerId = 60;
constexpr UINT kElapsedTimerPeriodMs = 1000;

// How the status bar's time control shows a text; the status bar publishes it
// when it has looked the control up (empty until then).
extern std::function<void(const std::wstring&)> ShowElapsedText;

// Back to "00:00:00" and 0, also on the status bar's time control when it exists.
void ResetElapsedTime();

// Process-wide window handles through which the windows find each other, and
// the elapsed recording time the status bar shows. UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "ui/elapsed_time.h"

// Each handle is written once, by its own window, and never cleared.
extern HWND StartupHwnd;  // the startup window
extern HWND StatusHwnd;   // the recording status bar (null until the first recording)
extern HWND ProcessHwnd;  // the after-recording window
extern HWND CornerHwnd;   // the corner-marker window (null until a region is chosen)

extern int32_t ElapsedSeconds;   // whole seconds recorded so far
extern std::wstring ElapsedText; // the last formatted elapsed time

// The elapsed-time timer: always on StatusHwnd, no callback. It only shows
// the recorded time, which the clock below measures, so it ticks a few times
// a second to turn the display over close to each whole second; it also
// watches the encoder.
constexpr UINT_PTR kElapsedTimerId = 60;
constexpr UINT kElapsedTimerPeriodMs = 250;

// The recorded time of the current recording, on the monotonic tick count:
// runs while the encoder records, stops at each pause.
void RunElapsedClock();
void StopElapsedClock();
// Reads the clock into ElapsedSeconds and ElapsedText; true when the text changed.
bool UpdateElapsedTime();

// How the status bar's time control shows a text; the status bar publishes it
// when it has looked the control up (empty until then).
extern std::function<void(const std::wstring&)> ShowElapsedText;

// Back to "00:00:00" and 0 with the clock stopped, also on the status bar's
// time control when it exists.
void ResetElapsedTime();

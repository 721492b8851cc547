// What the classroom does to a lesson, as Windows tells the program: the
// end of the session at the bell (shutdown, log-off), sleep, the lock
// screen and prompts on the secure desktop. A recording is paused with its
// segment closed cleanly and the teacher told why; a finish holds the
// session's end up with a reason; nothing is ever deleted on the way.
#pragma once

#include <windows.h>

#include <string>

// Why a recording is paused without the teacher's asking.
enum class PauseReason {
    SessionEnd,     // the session ends: nothing to tell, the lesson is kept for the next start
    Suspend,        // the PC goes to sleep: told once it woke
    Woke,           // the PC woke (the pause before the sleep may not have come)
    Locked,         // the lock screen
    SecureDesktop,  // a prompt on the secure desktop (user account control)
    ScreenLost,     // the encoder could not read the screen and stopped
};

// Sent to the status bar (wParam: the reason): it pauses a running recording
// and posts itself kTellPauseMessage with what to tell.
constexpr UINT kPauseForMessage = WM_APP + 21;
constexpr UINT kTellPauseMessage = WM_APP + 22;

// What the teacher is told after such a pause; empty when nothing is told.
std::wstring PauseReasonText(PauseReason reason);

// The startup window's part: true when `message` was one of the session's,
// the lock screen's or sleep's, with its result in `result`.
bool HandleClassroomMessage(HWND startup, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Asks Windows to tell `window` of the lock screen (WM_WTSSESSION_CHANGE), and stops it.
void WatchSessionChanges(HWND window);
void UnwatchSessionChanges(HWND window);

// Whether the desktop that takes input is the user's own: false while the
// lock screen or a prompt on the secure desktop is up, when the screen
// grabber reads nothing.
bool InputDesktopIsUsers();

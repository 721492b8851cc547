// The display density a window or monitor has, asked of whatever this
// Windows offers: per monitor on Windows 8.1 and later, one system value on
// older systems. Every function is looked up at run time, so the program
// still starts on Windows XP.
#pragma once

#include <windows.h>

namespace UiDpi {

// The dots per inch the window is drawn at: its monitor's on a per-monitor
// aware program, else the system's (96 on systems without scaling).
int ForWindow(HWND hwnd);
// The monitor's dots per inch (the system's where Windows cannot tell).
int ForMonitor(HMONITOR monitor);
// The system's dots per inch.
int System();

// Makes this process per-monitor aware as the program's manifest does; for
// test tools that have no manifest. True when a call took.
bool MakeProcessPerMonitorAware();

}  // namespace UiDpi

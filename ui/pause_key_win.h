// The pause key (F10) of hookDLL.dll, bound when it is first wanted rather
// than when the program loads: nothing before the first recording needs it,
// and loading it and installing its hook cost the first window its time.
#pragma once

#include <windows.h>

// Loads hookDLL.dll from the program's folder (once) and installs its
// keyboard hook on this thread; false when the DLL or its hook cannot be had
// (the program goes on, without F10).
bool InstallPauseKey();
// Removes the hook again (nothing when it was never installed).
void UninstallPauseKey();
// The window that gets the pause key as WM_HOTKEY from now on (null: nobody).
void SetPauseKeyWindow(HWND window);
// Which drawing keys (F9, Ctrl+Z) the hook delivers from now on
// (kDrawKeys... of hook/hook_dll.h).
void SetDrawKeys(int keys);

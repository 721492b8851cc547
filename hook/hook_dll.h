// hookDLL.dll: the global pause key. A low-level keyboard hook that posts
// WM_HOTKEY to the window last given to setCaptureKeyWindow when F10 is
// pressed without modifiers; every key is passed on unchanged.
#pragma once

#include <windows.h>

// The id carried in the WM_HOTKEY's wParam.
constexpr WPARAM kPauseHotKeyId = 0x7461;  // 't'a

extern "C" {
// Installs the hook on the calling thread, which must pump messages.
// 1 when the hook is in place (also when it already was), 0 otherwise.
int installHook();
// Removes the hook; 1 when it was removed or was not there.
int uninstallHook();
// The window that receives the hot key from now on (null: nobody).
void setCaptureKeyWindow(HWND window);
}

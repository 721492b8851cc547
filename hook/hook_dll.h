// hookDLL.dll: the global pause key. A low-level keyboard hook that posts
// WM_HOTKEY to the window last given to setCaptureKeyWindow when F10 is
// pressed without modifiers; F10 and every other key are passed on
// unchanged. While a recording asks for them (setDrawKeys), F9 and, while
// drawing is on, Ctrl+Z come as WM_HOTKEY too and are kept from the
// presented program.
#pragma once

#include <windows.h>

// The id carried in the WM_HOTKEY's wParam.
constexpr WPARAM kPauseHotKeyId = 0x7461;  // 't'a
constexpr WPARAM kDrawHotKeyId = 0x7462;   // F9: drawing on or off
constexpr WPARAM kUndoHotKeyId = 0x7463;   // Ctrl+Z while drawing: the last stroke undone

// What setDrawKeys asks for.
constexpr int kDrawKeysNone = 0;
constexpr int kDrawKeysF9 = 1;
constexpr int kDrawKeysF9AndUndo = 2;

extern "C" {
// Installs the hook on the calling thread, which must pump messages.
// 1 when the hook is in place (also when it already was), 0 otherwise.
int installHook();
// Removes the hook; 1 when it was removed or was not there.
int uninstallHook();
// The window that receives the hot key from now on (null: nobody).
void setCaptureKeyWindow(HWND window);
// Which drawing keys are delivered from now on (kDrawKeys...): none while no
// recording runs, so F9 and Ctrl+Z belong to the other programs then.
void setDrawKeys(int keys);
}

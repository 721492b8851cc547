#include "hook/hook_dll.h"

#include <initializer_list>

namespace {

HMODULE g_module = nullptr;
HHOOK g_hook = nullptr;
HWND g_target = nullptr;
bool g_f10Down = false;  // so a held key pauses once, not at every auto-repeat
int g_drawKeys = 0;
bool g_f9Down = false;   // likewise F9: held, it switches drawing once
DWORD g_f9Time = 0;      // when the last F9 press or repeat came
bool g_zTaken = false;   // a Ctrl+Z press kept from the programs: its release is kept too

bool ModifierHeld() {
    for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN})
        if (GetAsyncKeyState(key) & 0x8000) return true;
    return false;
}

bool Held(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

// A press of a key already down is the keyboard repeating it, but only
// while the repeats keep coming: a release this hook never saw (the system
// skips a hook whose thread was busy too long) must not swallow the next
// press. The first repeat comes after the keyboard delay, the later ones
// sooner.
bool IsRepeat(bool wasDown, DWORD lastTime, DWORD now) {
    if (!wasDown) return false;
    int delay = 1;  // 0 to 3: 250 to 1000 ms
    SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
    const DWORD window = 250u * static_cast<DWORD>(delay + 1) + 150u;
    return now - lastTime <= window;
}

// The drawing keys: true when the key is Tavrix's and must not reach the
// presented program. F9 switches drawing while a recording runs or is paused;
// Ctrl+Z (no other modifier) undoes while drawing is on, and auto-repeats.
bool TakeDrawKey(const KBDLLHOOKSTRUCT& key, bool down) {
    if (key.vkCode == VK_F9) {
        const bool mine = g_drawKeys >= kDrawKeysF9 && g_target != nullptr && !(key.flags & LLKHF_ALTDOWN) &&
                          !ModifierHeld();
        const bool repeat = IsRepeat(g_f9Down, g_f9Time, key.time);
        if (down && mine && !repeat) PostMessageW(g_target, WM_HOTKEY, kDrawHotKeyId, MAKELPARAM(0, VK_F9));
        const bool wasDown = g_f9Down;
        g_f9Down = down && (mine || (wasDown && repeat));
        if (down) g_f9Time = key.time;
        return mine || (!down && wasDown);
    }
    if (key.vkCode == 'Z') {
        if (!down) {
            const bool taken = g_zTaken;
            g_zTaken = false;
            return taken;
        }
        const bool mine = g_drawKeys >= kDrawKeysF9AndUndo && g_target != nullptr && Held(VK_CONTROL) &&
                          !Held(VK_MENU) && !Held(VK_SHIFT) && !Held(VK_LWIN) && !Held(VK_RWIN);
        if (mine) PostMessageW(g_target, WM_HOTKEY, kUndoHotKeyId, MAKELPARAM(MOD_CONTROL, 'Z'));
        g_zTaken = mine;
        return mine;
    }
    return false;
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM message, LPARAM lParam) noexcept {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
        if (key->vkCode == VK_F10) {
            if (down && !g_f10Down && g_target != nullptr && !(key->flags & LLKHF_ALTDOWN) && !ModifierHeld())
                PostMessageW(g_target, WM_HOTKEY, kPauseHotKeyId, MAKELPARAM(0, VK_F10));
            g_f10Down = down;
        }
        if (TakeDrawKey(*key, down)) return 1;
    }
    return CallNextHookEx(g_hook, code, message, lParam);
}

}  // namespace

extern "C" {

int installHook() {
    if (g_hook != nullptr) return 1;
    g_hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, g_module, 0);
    return g_hook != nullptr ? 1 : 0;
}

int uninstallHook() {
    if (g_hook == nullptr) return 1;
    const BOOL removed = UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
    g_f10Down = false;
    g_f9Down = false;
    g_zTaken = false;
    return removed ? 1 : 0;
}

void setCaptureKeyWindow(HWND window) {
    g_target = window;
}

void setDrawKeys(int keys) {
    g_drawKeys = keys;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

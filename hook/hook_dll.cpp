#include "hook/hook_dll.h"

#include <initializer_list>

namespace {

HMODULE g_module = nullptr;
HHOOK g_hook = nullptr;
HWND g_target = nullptr;
bool g_f10Down = false;  // so a held key pauses once, not at every auto-repeat

bool ModifierHeld() {
    for (int key : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN})
        if (GetAsyncKeyState(key) & 0x8000) return true;
    return false;
}

LRESULT CALLBACK KeyboardProc(int code, WPARAM message, LPARAM lParam) noexcept {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (key->vkCode == VK_F10) {
            const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
            if (down && !g_f10Down && g_target != nullptr && !(key->flags & LLKHF_ALTDOWN) && !ModifierHeld())
                PostMessageW(g_target, WM_HOTKEY, kPauseHotKeyId, MAKELPARAM(0, VK_F10));
            g_f10Down = down;
        }
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
    return removed ? 1 : 0;
}

void setCaptureKeyWindow(HWND window) {
    g_target = window;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

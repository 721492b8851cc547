#include "support/named_buttons_win.h"

#include <vector>

namespace {

// The box is made and activated inside MessageBoxW on this thread: a hook
// for that call alone renames its buttons before it first shows.
thread_local HHOOK t_hook = nullptr;
thread_local const std::vector<ButtonName>* t_names = nullptr;

LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_ACTIVATE && t_names != nullptr) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t name[16] = {};
        GetClassNameW(box, name, 16);
        if (lstrcmpW(name, L"#32770") == 0) {
            for (const ButtonName& button : *t_names) SetDlgItemTextW(box, button.id, button.text);
            t_names = nullptr;  // once: a box the answer opens keeps its own buttons
        }
    }
    return CallNextHookEx(t_hook, code, wParam, lParam);
}

}  // namespace

int MessageBoxWithButtons(const wchar_t* text, const wchar_t* caption, UINT type,
                          std::initializer_list<ButtonName> names) {
    const std::vector<ButtonName> buttons(names);
    t_names = &buttons;
    t_hook = SetWindowsHookExW(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(nullptr, text, caption, type);
    if (t_hook != nullptr) UnhookWindowsHookEx(t_hook);
    t_hook = nullptr;
    t_names = nullptr;
    return answer;
}

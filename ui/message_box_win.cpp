#include "ui/message_box_win.h"

#include <vector>

const wchar_t* CaptionText(BoxCaption caption) {
    switch (caption) {
    case BoxCaption::Tip: return L"提示";
    case BoxCaption::StartError: return L"error";
    case BoxCaption::Error: return L"Error";
    case BoxCaption::None: break;
    }
    return L"";
}

int ShowMessageBox(BoxCaption caption, const std::wstring& text, UINT type) {
    return MessageBoxW(nullptr, text.c_str(), CaptionText(caption), type);
}

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

int ShowMessageBox(BoxCaption caption, const std::wstring& text, UINT type, std::initializer_list<ButtonName> names) {
    const std::vector<ButtonName> buttons(names);
    t_names = &buttons;
    t_hook = SetWindowsHookExW(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
    const int answer = ShowMessageBox(caption, text, type);
    if (t_hook != nullptr) UnhookWindowsHookEx(t_hook);
    t_hook = nullptr;
    t_names = nullptr;
    return answer;
}

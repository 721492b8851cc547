#include "ui/message_box_win.h"

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

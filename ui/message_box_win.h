// Every message box of the program: no owner window, one of the program's
// four captions, the text, buttons and icon its caller gives.
#pragma once

#include <windows.h>

#include <string>

enum class BoxCaption {
    Tip,         // "提示": what the teacher is told or asked
    StartError,  // "error": the encoder could not be started
    Error,       // "Error": a system error with its code and text
    None,        // "": the plain failures ("失败", "初始化失败")
};

// The caption's text, exactly as the box shows it.
const wchar_t* CaptionText(BoxCaption caption);

// Shows the box and returns the button pressed (IDOK, IDYES, ...), 0 when
// the box could not be shown. `type` is MessageBoxW's: buttons, icon, MB_TOPMOST.
int ShowMessageBox(BoxCaption caption, const std::wstring& text, UINT type = MB_OK);

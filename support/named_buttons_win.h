// A message box whose buttons say what they do ("现在保存", "以后再说",
// "删除" instead of 是, 否, 取消). A box of the system's own, so Escape, the
// close box and the keyboard behave as in every other box: Escape and
// closing answer IDCANCEL, which callers make the harmless answer.
#pragma once

#include <windows.h>

#include <initializer_list>

struct ButtonName {
    int id;  // IDYES, IDNO, IDCANCEL, ...
    const wchar_t* text;
};

// MessageBoxW (no owner) with the named buttons' texts replaced. Returns
// the button pressed, 0 when the box could not be shown.
int MessageBoxWithButtons(const wchar_t* text, const wchar_t* caption, UINT type,
                          std::initializer_list<ButtonName> names);

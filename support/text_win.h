// Text conversion between the program's 8-bit (ANSI code page) and UTF-16
// strings, bounded wide formatting, and the program's own folder.
#pragma once

#include <windows.h>

#include <string>

// Both conversions pass the input's own length, so embedded zeros are converted
// like other characters; an empty input or a failed conversion gives "".
std::wstring WidenText(std::string text, UINT codePage);
std::string NarrowText(std::wstring text, UINT codePage);

// printf-style wide formatting into buffer[capacity] with the contract of
// StringCchPrintfW: E_INVALIDARG for capacity 0 or above INT_MAX (buffer left
// untouched); text cut and terminated with STRSAFE_E_INSUFFICIENT_BUFFER when it
// does not fit; otherwise S_OK. %s takes a wide string.
HRESULT FormatIntoBuffer(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);

// Folder of the module's file, ending with its separator ("" when unknown).
std::wstring ProgramFolder(HINSTANCE instance);

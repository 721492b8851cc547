#include "support/text_win.h"

#include <cstdarg>
#include <cstdio>

#include "support/path.h"

#ifndef STRSAFE_E_INSUFFICIENT_BUFFER
#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007AL)
#endif

std::wstring WidenText(std::string text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (wide <= 0) return std::wstring();
    std::wstring result(static_cast<size_t>(wide), L'\0');
    if (MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), wide) != wide)
        return std::wstring();
    return result;
}

std::string NarrowText(std::wstring text, UINT codePage) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int narrow = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) return std::string();
    std::string result(static_cast<size_t>(narrow), '\0');
    if (WideCharToMultiByte(codePage, 0, text.data(), length, result.data(), narrow, nullptr, nullptr) != narrow)
        return std::string();
    return result;
}

HRESULT FormatIntoBuffer(wchar_t* buffer, size_t capacity, const wchar_t* format, ...) {
    if (capacity == 0 || capacity > 2147483647u) return E_INVALIDARG;
    const size_t limit = capacity - 1;
    va_list args;
    va_start(args, format);
    // The CRT's _vsnwprintf writes no terminator when the text fills the limit
    // and returns -1 when it overflows: both cases are closed by hand below.
    const int count = _vsnwprintf(buffer, limit, format, args);
    va_end(args);
    if (count < 0 || static_cast<size_t>(count) > limit) {
        buffer[limit] = L'\0';
        return STRSAFE_E_INSUFFICIENT_BUFFER;
    }
    if (static_cast<size_t>(count) == limit) buffer[limit] = L'\0';
    return S_OK;
}

std::wstring ProgramFolder(HINSTANCE instance) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(instance, path, MAX_PATH);
    return FolderOfPath(path);
}

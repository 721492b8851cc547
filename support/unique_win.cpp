#include "support/unique_win.h"

#include <objidl.h>  // IStream, left out by WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

ScopedCom::ScopedCom() : m_result(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}

ScopedCom::~ScopedCom() {
    if (SUCCEEDED(m_result)) CoUninitialize();
}

ScopedGdiplus::ScopedGdiplus() {
    const Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

ScopedGdiplus::~ScopedGdiplus() {
    if (m_token != 0) Gdiplus::GdiplusShutdown(m_token);
}

std::wstring SystemFolderFile(const wchar_t* file) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(system, length) + L"\\" + file;
}

FARPROC SystemFunctionAddress(const wchar_t* dll, const char* name) {
    const std::wstring path = SystemFolderFile(dll);
    if (path.empty()) return nullptr;
    HMODULE module = GetModuleHandleW(path.c_str());
    if (module == nullptr) module = LoadLibraryW(path.c_str());
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

bool RegisterWindowClassOnce(const WNDCLASSEXW& windowClass) {
    if (RegisterClassExW(&windowClass) != 0) return true;
    return GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, UINT style,
                             const wchar_t* cursor, HBRUSH background) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, cursor);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterWindowClassOnce(wc);
}

// Every owner of a Win32 resource the program holds, in one place: handles,
// find handles, registry keys, GDI objects and device contexts, the paint
// pair, COM pointers, and the process-wide COM and GDI+ sessions (the COM
// memory and variant owners are in com_win.h). Code outside support/ never
// calls CloseHandle, FindClose, DeleteObject, DeleteDC, EndPaint, Release or
// GdiplusShutdown itself.
#pragma once

#include <windows.h>

#include <string>

#include "support/unique.h"

struct NullHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
struct InvalidHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
template <class H>
struct GdiTraits {
    using Type = H;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
// A memory device context made by CreateCompatibleDC.
struct DeviceContextTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DeleteDC(h); }
};
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { LocalFree(h); }
};

using UniqueHandle = Unique<NullHandleTraits>;     // null means none
using UniqueFile = Unique<InvalidHandleTraits>;    // INVALID_HANDLE_VALUE means none
using UniqueFind = Unique<FindHandleTraits>;       // a FindFirstFile search
using UniqueKey = Unique<RegKeyTraits>;
using UniqueGdiObject = Unique<GdiTraits<HGDIOBJ>>;
using UniqueFont = Unique<GdiTraits<HFONT>>;
using UniqueBitmap = Unique<GdiTraits<HBITMAP>>;
using UniqueBrush = Unique<GdiTraits<HBRUSH>>;
using UniquePen = Unique<GdiTraits<HPEN>>;
using UniqueRegion = Unique<GdiTraits<HRGN>>;
using UniqueDC = Unique<DeviceContextTraits>;
using UniqueLocal = Unique<LocalMemoryTraits>;

// A started child process: both handles closed together.
struct ProcessRecord {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD processId = 0;
};

// Selects an object into a device context for one scope and puts the old one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
    ~ScopedSelect() {
        if (m_old != nullptr && m_old != HGDI_ERROR) SelectObject(m_dc, m_old);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A window's device context from GetDC, given back with ReleaseDC.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~ScopedWindowDC() {
        if (m_dc != nullptr) ReleaseDC(m_window, m_dc);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    HDC get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// A window's painting for one scope: BeginPaint on entry, EndPaint on every exit.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : m_window(window), m_dc(BeginPaint(window, &m_paint)) {}
    ~ScopedPaint() { EndPaint(m_window, &m_paint); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const { return m_dc; }
    const RECT& area() const { return m_paint.rcPaint; }  // what needs painting

private:
    HWND m_window;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

// The one owner of a COM interface pointer: released when the owner goes or
// is filled again, never copied.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For a call that fills the pointer: what was held is released first.
    T** put() { reset(); return &m_p; }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};

// COM on this thread for one scope, in the multithreaded apartment.
class ScopedCom {
public:
    ScopedCom();
    ~ScopedCom();
    ScopedCom(const ScopedCom&) = delete;
    ScopedCom& operator=(const ScopedCom&) = delete;
    bool ok() const { return SUCCEEDED(m_result); }

private:
    HRESULT m_result;
};

// GDI+ for one scope. The program starts it once, in wWinMain; a test or a
// tool that draws without the program's entry starts its own.
class ScopedGdiplus {
public:
    ScopedGdiplus();
    ~ScopedGdiplus();
    ScopedGdiplus(const ScopedGdiplus&) = delete;
    ScopedGdiplus& operator=(const ScopedGdiplus&) = delete;
    bool ok() const { return m_token != 0; }

private:
    ULONG_PTR m_token = 0;
};

// "<system folder>\<file>", or "" when the system folder cannot be read. The
// program runs elevated: the tools and libraries it loads by name come from
// there, never from the current folder or PATH.
std::wstring SystemFolderFile(const wchar_t* file);

// A function of a DLL in the system folder, the DLL loaded at the first call
// and kept for the rest of the run; null when either cannot be had. For
// libraries that only later steps use (the Save dialog, the shell): the
// program starts without loading them.
FARPROC SystemFunctionAddress(const wchar_t* dll, const char* name);
template <class Function>
Function SystemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(SystemFunctionAddress(dll, name)));
}

// Registers a window class; true when it is registered now or already was.
bool RegisterWindowClassOnce(const WNDCLASSEXW& windowClass);
// The same for a class of the program's own in `instance`: its procedure,
// class style, cursor (a system cursor, IDC_...) and background.
bool RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, UINT style,
                             const wchar_t* cursor, HBRUSH background);

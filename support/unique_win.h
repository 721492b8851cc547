// Handle owners for the Win32 handle types the program holds.
#pragma once

#include <windows.h>

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
struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { LocalFree(h); }
};

using UniqueHandle = Unique<NullHandleTraits>;     // null means none
using UniqueFile = Unique<InvalidHandleTraits>;    // INVALID_HANDLE_VALUE means none
using UniqueKey = Unique<RegKeyTraits>;
using UniqueGdiObject = Unique<GdiObjectTraits>;
using UniqueLocal = Unique<LocalMemoryTraits>;

// A started child process: both handles closed together.
struct ProcessRecord {
    UniqueHandle process;
    UniqueHandle thread;
    DWORD processId = 0;
};

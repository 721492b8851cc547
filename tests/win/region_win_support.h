// Shared by the region selector and corner-marker tests: GDI+ for the whole
// program, a message pump, real input, pixels, and PNG pictures made on the spot.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/unique_win.h"

namespace region_test {

// GDI+ is started once for the test program, as the program's entry does.
class GdiplusEnvironment : public testing::Environment {
public:
    void SetUp() override {
        m_gdiplus.emplace();
        ASSERT_TRUE(m_gdiplus->ok());
    }
    void TearDown() override { m_gdiplus.reset(); }
private:
    std::optional<ScopedGdiplus> m_gdiplus;
};

// Dispatches whatever arrives for `ms` milliseconds.
inline void Pump(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount64() < end);
}

inline COLORREF PixelOf(HWND hwnd, int x, int y) {
    const ScopedWindowDC dc(hwnd);
    return GetPixel(dc.get(), x, y);
}

// The screen as X shows it (what a user sees, layering applied).
inline COLORREF ScreenPixel(int x, int y) {
    return PixelOf(nullptr, x, y);
}

// Real mouse input: moves the pointer to screen pixel (x, y), then the given buttons.
inline void MouseAt(int x, int y, DWORD buttons = 0) {
    SetCursorPos(x, y);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dx = 0;
    in.mi.dy = 0;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(INPUT));
    if (buttons != 0) {
        in.mi.dwFlags = buttons;
        SendInput(1, &in, sizeof(INPUT));
    }
    Pump(40);
}

inline void KeyPress(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Pump(40);
}

// Writes a PNG of w x h pixels: `colour` (ARGB) with a one-pixel frame of `frame`.
inline bool WritePng(const std::wstring& path, int w, int h, Gdiplus::ARGB colour, Gdiplus::ARGB frame) {
    using namespace Gdiplus::DllExports;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok) return false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            GdipBitmapSetPixel(bitmap, x, y, (x == 0 || y == 0 || x == w - 1 || y == h - 1) ? frame : colour);
    // The PNG encoder of GDI+.
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    const bool ok = GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr) == Gdiplus::Ok;
    GdipDisposeImage(bitmap);
    return ok;
}

inline std::wstring TempFolder(const wchar_t* name) {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    std::wstring folder = std::wstring(base) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

inline bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace region_test

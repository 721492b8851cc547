// The resource owners that carry logic of their own: the select that puts
// the old object back, the class registration that tolerates a second call,
// and the system-folder path.
#include "support/unique_win.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UniqueWin, ScopedSelectPutsTheOldObjectBack) {
    const UniqueDC dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BITMAP);
    const UniqueBitmap bitmap(CreateCompatibleBitmap(dc.get(), 4, 4));
    ASSERT_TRUE(bitmap);
    {
        const ScopedSelect select(dc.get(), bitmap.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), before);
}

TEST(UniqueWin, WindowClassRegisteredOnceAndAgain) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavrixUniqueWinTestClass";
    EXPECT_TRUE(RegisterWindowClassOnce(wc));
    EXPECT_TRUE(RegisterWindowClassOnce(wc));  // already registered: still usable
    const HWND window = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        wc.hInstance, nullptr);
    EXPECT_NE(window, nullptr);
    if (window != nullptr) DestroyWindow(window);
    // A class that cannot be registered at all is reported.
    WNDCLASSEXW bad = wc;
    bad.cbSize = 0;
    bad.lpszClassName = L"TavrixUniqueWinBadClass";
    EXPECT_FALSE(RegisterWindowClassOnce(bad));
}

TEST(UniqueWin, SystemFolderFileIsTheToolThere) {
    const std::wstring tool = SystemFolderFile(L"regsvr32.exe");
    ASSERT_GT(tool.size(), std::wstring(L"\\regsvr32.exe").size());
    EXPECT_EQ(tool.substr(tool.size() - 13), L"\\regsvr32.exe");
    EXPECT_NE(GetFileAttributesW(tool.c_str()), INVALID_FILE_ATTRIBUTES) << "not found";
}

TEST(UniqueWin, SystemFunctionIsBoundAtItsFirstUse) {
    using ErrorFn = DWORD(WINAPI*)();
    const auto error = SystemFunction<ErrorFn>(L"comdlg32.dll", "CommDlgExtendedError");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error(), 0u) << "no dialog has failed";
    EXPECT_EQ(SystemFunction<ErrorFn>(L"comdlg32.dll", "NoSuchFunction"), nullptr);
    EXPECT_EQ(SystemFunction<ErrorFn>(L"tavrix_no_such.dll", "CommDlgExtendedError"), nullptr);
}

}  // namespace

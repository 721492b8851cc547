// The stock core is started DPI aware: the compatibility layer that marks a
// program DPI aware reaches the child's environment, beside any layer the
// environment already asked for, and only once however often a core starts.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "encoder/core_process_win.h"

namespace {

// What a child started as a core sees in __COMPAT_LAYER.
std::string LayersSeenByACore() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"core-layers-" + std::to_wstring(GetTickCount()) + L".txt";
    SECURITY_ATTRIBUTES inherit = {};
    inherit.nLength = sizeof(inherit);
    inherit.bInheritHandle = TRUE;
    HANDLE output = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return "(no file)";
    CoreProcess core;
    DWORD error = 0;
    const bool started = core.Start(L"cmd.exe /c echo [%__COMPAT_LAYER%]", nullptr, output, error);
    if (started) WaitForSingleObject(core.Handle(), 30000);
    CloseHandle(output);
    if (!started) return "(not started)";
    core.Reap();
    std::string seen;
    // Shared for writing too: the ended child's copy of the handle may close a moment late.
    HANDLE in = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
    char buffer[256];
    DWORD got = 0;
    if (in != INVALID_HANDLE_VALUE && ReadFile(in, buffer, sizeof(buffer), &got, nullptr)) seen.assign(buffer, got);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    DeleteFileW(path.c_str());
    const size_t open = seen.find('[');
    const size_t close = seen.find(']');
    return open != std::string::npos && close != std::string::npos ? seen.substr(open + 1, close - open - 1) : seen;
}

TEST(CoreDpiAwareness, TheCoreStartsWithTheHighDpiAwareLayer) {
    SetEnvironmentVariableW(L"__COMPAT_LAYER", nullptr);
    EXPECT_EQ(LayersSeenByACore(), "HighDpiAware");
    EXPECT_EQ(LayersSeenByACore(), "HighDpiAware") << "asked for once, not once per start";

    SetEnvironmentVariableW(L"__COMPAT_LAYER", L"RunAsInvoker");
    EXPECT_EQ(LayersSeenByACore(), "RunAsInvoker HighDpiAware");
    SetEnvironmentVariableW(L"__COMPAT_LAYER", nullptr);
}

}  // namespace

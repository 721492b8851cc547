// The cores beside the adapter carry our manifest, read back by the system's
// own activation-context parser: per-monitor DPI awareness (so the screen
// grabber works in physical pixels on a scaled screen without any help from
// the adapter), run as the invoker, and the Windows versions they support. A
// manifest the system cannot parse would keep the core from starting at all.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/path.h"
#include "support/text_win.h"

namespace {

std::wstring BinFolder() {
    std::wstring tests = ProgramFolder(nullptr);
    return FolderOfPath(tests.substr(0, tests.size() - 1));
}

// The cores the adapter may start: ffmpeg-core.exe always, ffmpeg-core-x64.exe
// where the build ships it (the product's folder).
std::vector<std::wstring> CoresBesideTheAdapter() {
    std::vector<std::wstring> cores;
    for (const wchar_t* name : {L"ffmpeg-core.exe", L"ffmpeg-core-x64.exe"}) {
        const std::wstring path = BinFolder() + name;
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) cores.push_back(path);
    }
    return cores;
}

// The manifest a program carries, as its text. Loaded as a plain data file:
// a 32-bit Windows cannot map the 64-bit core as an image, even for its
// resources, but reads them so.
std::string ManifestText(const std::wstring& program) {
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    std::string text;
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        HGLOBAL loaded = LoadResource(module, found);
        const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (bytes) text.assign(bytes, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return text;
}

class ActivationContext {
public:
    explicit ActivationContext(const std::wstring& program) {
        ACTCTXW context = {};
        context.cbSize = sizeof(context);
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = program.c_str();
        context.lpResourceName = MAKEINTRESOURCEW(1);  // a program's manifest
        m_handle = CreateActCtxW(&context);
    }
    ~ActivationContext() {
        if (m_handle != INVALID_HANDLE_VALUE) ReleaseActCtx(m_handle);
    }
    ActivationContext(const ActivationContext&) = delete;
    ActivationContext& operator=(const ActivationContext&) = delete;

    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }

    std::wstring Setting(const wchar_t* schema, const wchar_t* name) const {
        wchar_t value[256] = {};
        SIZE_T written = 0;
        if (!QueryActCtxSettingsW(0, m_handle, schema, name, value, 256, &written)) return L"(none)";
        return value;
    }

    ACTCTX_REQUESTED_RUN_LEVEL RunLevel() const {
        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
        if (!QueryActCtxW(0, m_handle, nullptr, RunlevelInformationInActivationContext, &level, sizeof(level), nullptr))
            return ACTCTX_RUN_LEVEL_UNSPECIFIED;
        return level.RunLevel;
    }

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

TEST(CoreManifest, EachCoreIsPerMonitorAwareRunsAsInvokerAndNamesWindows7To11) {
    const std::vector<std::wstring> cores = CoresBesideTheAdapter();
    // A missing core fails: a green run must mean the shipped core was checked.
    ASSERT_FALSE(cores.empty()) << "no ffmpeg-core.exe beside the adapter: scripts/build-core did not run";
    for (const std::wstring& core : cores) {
        SCOPED_TRACE(NarrowText(core, CP_UTF8));
        const ActivationContext context(core);
        ASSERT_TRUE(context.Valid()) << "the system cannot read the core's manifest";
        EXPECT_EQ(context.Setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
                  L"PerMonitorV2, PerMonitor");
        EXPECT_EQ(context.Setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
        EXPECT_EQ(context.RunLevel(), ACTCTX_RUN_LEVEL_AS_INVOKER);
        // The compatibility section's layout differs between Windows versions: its text is checked.
        const std::string manifest = ManifestText(core);
        for (const char* system : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                   "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
            EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + system + "\"/>"), std::string::npos)
                << "Windows 7, 8, 8.1 and 10/11 are supported: " << system;
    }
}

}  // namespace

#include "ui/pause_key_win.h"

#include "hook/hook_dll.h"
#include "support/text_win.h"

namespace {

const wchar_t kHookDllName[] = L"hookDLL.dll";

// The DLL's exports, resolved once.
struct PauseKeyFunctions {
    decltype(&installHook) install = nullptr;
    decltype(&uninstallHook) uninstall = nullptr;
    decltype(&setCaptureKeyWindow) setWindow = nullptr;
    decltype(&setDrawKeys) setDrawKeys = nullptr;
};

template <class Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const PauseKeyFunctions& Functions() {
    static const PauseKeyFunctions functions = [] {
        PauseKeyFunctions found;
        // By its full path: the program runs elevated and must not load a
        // DLL of that name from anywhere else. A process that has it loaded
        // already (a test program linked with it) gets the same module.
        const std::wstring path = ProgramFolder(nullptr) + kHookDllName;
        HMODULE module = GetModuleHandleW(path.c_str());
        if (module == nullptr) module = LoadLibraryW(path.c_str());
        if (module == nullptr) return found;
        found.install = Export<decltype(&installHook)>(module, "installHook");
        found.uninstall = Export<decltype(&uninstallHook)>(module, "uninstallHook");
        found.setWindow = Export<decltype(&setCaptureKeyWindow)>(module, "setCaptureKeyWindow");
        found.setDrawKeys = Export<decltype(&setDrawKeys)>(module, "setDrawKeys");
        return found;
    }();
    return functions;
}

bool g_installed = false;

}  // namespace

bool InstallPauseKey() {
    const PauseKeyFunctions& f = Functions();
    g_installed = f.install != nullptr && f.install() == 1;
    return g_installed;
}

void UninstallPauseKey() {
    if (!g_installed) return;
    if (Functions().uninstall != nullptr) Functions().uninstall();
    g_installed = false;
}

void SetPauseKeyWindow(HWND window) {
    if (Functions().setWindow != nullptr) Functions().setWindow(window);
}

void SetDrawKeys(int keys) {
    if (Functions().setDrawKeys != nullptr) Functions().setDrawKeys(keys);
}

#include "devices/capture_registration_win.h"

#include "support/child_process_win.h"
#include "support/text_win.h"
#include "support/unique_win.h"

std::wstring RegistrationToolPath() {
    return SystemFolderFile(L"regsvr32.exe");
}

bool RegistrationToolPresent() {
    const std::wstring path = RegistrationToolPath();
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool RegisterCaptureFilterWithTool(const CaptureFilterDll& filter, const std::wstring& folder,
                                   const std::wstring& toolPath) {
    // The program runs elevated: the tool is started by its full path in the
    // system folder, never found through the current folder or PATH. The
    // command line still names it by its bare name, as logged.
    const StartHiddenProcess start = [&toolPath](std::wstring& commandLine) {
        if (toolPath.empty()) return false;
        ChildStart tool;  // no standard handles at all
        tool.program = toolPath;
        tool.commandLine = commandLine;
        // Nothing waits for the tool; its handles are closed with `child`.
        Child child;
        DWORD error = 0;
        return StartChild(tool, child, error);
    };
    const LogText toLogText = [](const std::wstring& text) { return NarrowText(text, CP_ACP); };
    return RegisterCaptureFilter(filter, folder, start, toLogText);
}

bool RegisterScreenCaptureFilter(HINSTANCE instance) {
    return RegisterCaptureFilterWithTool(kScreenCaptureFilter, ProgramFolder(instance), RegistrationToolPath());
}

bool RegisterAudioCaptureFilter(HINSTANCE instance) {
    return RegisterCaptureFilterWithTool(kAudioCaptureFilter, ProgramFolder(instance), RegistrationToolPath());
}

bool RegisterCaptureFiltersWithTool(const std::wstring& folder, const std::wstring& toolPath) {
    return RegisterCaptureFilterWithTool(kScreenCaptureFilter, folder, toolPath) &&
           RegisterCaptureFilterWithTool(kAudioCaptureFilter, folder, toolPath);
}

bool CaptureDriverRegistration(HINSTANCE instance) {
    return RegisterScreenCaptureFilter(instance) && RegisterAudioCaptureFilter(instance);
}

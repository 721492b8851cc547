// The program's entry: one instance, the process-wide services, the start-up
// steps in their order, the startup window and the message loop, and the
// shut-down in its own order.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "devices/capture_registration_win.h"
#include "recording/encoder_process_win.h"
#include "recording/leftover_recording_win.h"
#include "recording/record_options.h"
#include "support/log.h"
#include "support/text_win.h"
#include "support/unique_win.h"
#include "ui/leftover_offer_win.h"
#include "ui/message_box_win.h"
#include "ui/pause_key_win.h"
#include "ui/skinned_frame.h"
#include "ui/startup_frame.h"
#include "uilib/uilib.h"

namespace {

constexpr wchar_t kInstanceMutexName[] = L"Tavrix";
constexpr UINT kProgramIconId = 101;
constexpr int kFailureExitCode = -1;

// The program runs elevated: no DLL may come from the current folder (a
// planted copy there would run with administrator rights). The system folder
// and the program's own folder are searched, nothing else.
void HardenDllSearch() {
    SetDllDirectoryW(L"");
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return;
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault != nullptr)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR);
}

// The log file for one scope: the log writes there, and to standard error
// again once the scope ends.
class ScopedLogFile {
public:
    explicit ScopedLogFile(const char* path) {
        if (fopen_s(&m_file, path, "a") == 0 && m_file != nullptr) Output2FILE::Target() = m_file;
    }
    ~ScopedLogFile() {
        if (m_file == nullptr) return;
        Output2FILE::Target() = stderr;
        fclose(m_file);
    }
    ScopedLogFile(const ScopedLogFile&) = delete;
    ScopedLogFile& operator=(const ScopedLogFile&) = delete;

private:
    FILE* m_file = nullptr;
};

int InitializationFailed() {
    ShowMessageBox(BoxCaption::None, L"初始化失败");
    return kFailureExitCode;
}

// The run's recording folder: a run that kept nothing leaves no folder behind
// (a folder still holding a recording is not empty and stays).
class ScopedRecordingFolder {
public:
    ScopedRecordingFolder() = default;
    ~ScopedRecordingFolder() {
        const std::wstring folder = RecordingFolderOf(WidenText(RecordingPath, CP_ACP));
        if (!folder.empty() && !RemoveDirectoryW(folder.c_str())) {
            const DWORD error = GetLastError();
            TAVRIX_LOG(LevelDebug) << "the recording folder stays, error " << error;
        }
    }
    ScopedRecordingFolder(const ScopedRecordingFolder&) = delete;
    ScopedRecordingFolder& operator=(const ScopedRecordingFolder&) = delete;
};

// The pause key's keyboard hook for one scope.
class ScopedPauseKey {
public:
    ScopedPauseKey() { InstallPauseKey(); }
    ~ScopedPauseKey() { UninstallPauseKey(); }
    ScopedPauseKey(const ScopedPauseKey&) = delete;
    ScopedPauseKey& operator=(const ScopedPauseKey&) = delete;
};

// The startup window and the message loop, with the capture filters
// registered once the window shows unless that was done already. The exit code.
int RunStartupWindow(HINSTANCE instance, bool registered) {
    // The window deletes itself when it is destroyed. Without a window there
    // is nothing to wait for: straight to the shut-down.
    auto* startup = new CRecStartupFrameWnd;
    const HWND window = startup->Create(nullptr, L"Tavrix", WS_SYSMENU | WS_MINIMIZEBOX, 0, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT);
    if (window == nullptr) return 0;
    // A skin that cannot be used has told the user and posted the quit
    // message already: the empty window stays hidden.
    if (!startup->SkinReady()) {
        CPaintManagerUI::MessageLoop();
        return kSkinFailureExitCode;
    }
    startup->SetIcon(kProgramIconId);
    startup->CenterWindow();
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);  // painted before the work posted for after the show
    // F10 is wanted once a recording runs: its DLL and hook come after the first paint.
    const ScopedPauseKey pauseKey;
    if (!registered && !CaptureDriverRegistration(instance)) {
        // The tool is there but cannot be started: the window goes, its quit
        // message with it, and the failure is told.
        ::DestroyWindow(window);
        MSG quit;
        ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        return InitializationFailed();
    }
    CPaintManagerUI::MessageLoop();
    return 0;
}

}  // namespace

// Every service is an owner on this stack: an early return ends what was
// started so far, in the reverse order.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    HardenDllSearch();

    // A second start ends here, silently, before it could touch the first
    // instance's encoder or windows.
    const UniqueHandle instanceMutex(CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    const ScopedCom com;
    if (!com.ok()) return kFailureExitCode;
    const ScopedGdiplus gdiplus;
    const ScopedLogFile logFile("tavrix.log");

    TerminateEncoderProcesses();
    // The capture filters are registered once the first window shows: starting
    // the two registration tools takes about as long as making the window,
    // and nothing needs the filters before a recording starts. A tool that is
    // not there fails now, before any window.
    if (!RegistrationToolPresent()) {
        CaptureDriverRegistration(instance);  // logs the command lines and the failure
        return InitializationFailed();
    }

    CPaintManagerUI::SetInstance(instance);
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"skin").c_str());
    RecordingPath = MakeTempRecordingPath();
    const ScopedRecordingFolder recordingFolder;
    ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    ScreenHeight = GetSystemMetrics(SM_CYSCREEN);

    // A lesson left behind by a crash, a killed program or a failed finish
    // is offered before anything else.
    bool registered = false;
    const std::vector<LeftoverRecording> leftovers =
        FindLeftoverRecordings(std::wstring(), WidenText(RecordingPath, CP_ACP));
    if (!leftovers.empty()) {
        if (!CaptureDriverRegistration(instance)) return InitializationFailed();
        registered = true;
        OfferLeftoverRecordings(leftovers);
    }

    // Every window that closes the program ends the encoders through this.
    TerminateEncodersHook = TerminateEncoderProcesses;
    return RunStartupWindow(instance, registered);
}

// A small program for the pause-key end-to-end test: it runs the recording
// flow (tip window, countdown, status bar, after-recording window) with the
// test encoder and the real hook DLL, writes what is on screen to a state
// file ten times a second, and carries out commands appended to a command
// file, so that a shell script can drive it with real X input.
//
//   tavrix_flow_probe.exe <state file> <command file>
//
// State line: "countdown=shown status=minimised after=hidden front=after
// pauses=1 resumes=0 elapsed=3 closes=0", where closes counts the system close
// commands (Alt+F4) the after-recording window received. Commands, one per
// line: resume, minimise, discard, quit.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/window_state.h"
#include "hook/hook_dll.h"
#include "support/unique_win.h"
#include "tests/win/ui_test_support.h"
#include "ui/process_frame.h"
#include "ui/ready_frame.h"
#include "ui/status_frame.h"
#include "ui/tip_frame.h"

namespace {

constexpr UINT_PTR kProbeTimerId = 1;

std::wstring g_stateFile;
std::wstring g_commandFile;
size_t g_commandsDone = 0;
RecTSFrame* g_tip = nullptr;
FlowEnvironment* g_env = nullptr;
int g_afterCloses = 0;

bool IsCloseForAfterWindow(HWND window, UINT message, WPARAM wParam) {
    return message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && window != nullptr && window == ProcessHwnd;
}

// Sees every message sent to this thread's windows (posted ones are seen in
// the message loop): counts the system close commands that reach the
// after-recording window.
LRESULT CALLBACK SeeSentMessages(int code, WPARAM wParam, LPARAM lParam) noexcept {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && IsCloseForAfterWindow(sent->hwnd, sent->message, sent->wParam)) ++g_afterCloses;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

const wchar_t* Shown(HWND window) {
    if (window == nullptr || !IsWindowVisible(window)) return L"hidden";
    return IsIconic(window) ? L"minimised" : L"shown";
}

void WriteState() {
    const HWND countdown = FindOwnWindow(L"ReadyFrameWndClass");
    const HWND top = TopOwnWindow();
    std::wstring line = std::wstring(L"countdown=") + Shown(countdown) + L" status=" + Shown(StatusHwnd) +
                        L" after=" + Shown(ProcessHwnd) + L" front=" +
                        (top != nullptr && top == ProcessHwnd ? L"after" : L"other") +
                        L" pauses=" + std::to_wstring(g_env->CommandsReceived("p\n")) +
                        L" resumes=" + std::to_wstring(g_env->CommandsReceived("r\n")) +
                        L" elapsed=" + std::to_wstring(ElapsedSeconds) +
                        L" closes=" + std::to_wstring(g_afterCloses) + L"\n";
    const std::wstring temp = g_stateFile + L".new";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string bytes(line.begin(), line.end());  // plain ASCII
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(temp.c_str(), g_stateFile.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::vector<std::string> PendingCommands() {
    std::vector<std::string> all;
    HANDLE file = CreateFileW(g_commandFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return all;
    char buffer[4096] = {};
    DWORD got = 0;
    ReadFile(file, buffer, sizeof(buffer) - 1, &got, nullptr);
    CloseHandle(file);
    std::string text(buffer, got), line;
    for (char c : text) {
        if (c == '\n') {
            all.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    return std::vector<std::string>(all.begin() + static_cast<long>(std::min(g_commandsDone, all.size())), all.end());
}

void Carry(const std::string& command, RecStatusFrame* bar) {
    if (command == "quit") {
        PostQuitMessage(0);
    } else if (bar == nullptr || bar->AfterRecordingWindow() == nullptr) {
        return;
    } else if (command == "resume") {
        Click(*bar->AfterRecordingWindow(), L"resumeBtn");
    } else if (command == "discard") {
        Click(*bar->AfterRecordingWindow(), L"discardBtn");
    } else if (command == "minimise") {
        Click(*bar, L"btnMin");
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    g_stateFile = argv[1];
    g_commandFile = argv[2];

    const ScopedGdiplus gdiplus;  // as the program's entry starts it
    FlowEnvironment env;
    g_env = &env;
    StandInStartup startup;
    if (installHook() != 1) return 3;

    // The window the script gives the X keyboard focus, so the hook sees keys.
    const HWND focus = CreateWindowExW(0, L"STATIC", L"flow probe", WS_POPUP | WS_VISIBLE | WS_BORDER, 1000, 650, 200,
                                       80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetTimer(nullptr, kProbeTimerId, 100, nullptr);
    const HHOOK seeSent = SetWindowsHookExW(WH_CALLWNDPROC, SeeSentMessages, nullptr, GetCurrentThreadId());

    // A start with the tip off, as the startup window makes it.
    g_tip = new RecTSFrame;
    g_tip->Create(nullptr, L"", kFlowWindowStyle, 0, 0, 0, 0, 0);
    g_tip->ContinueToCountdown();

    RecStatusFrame* bar = nullptr;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) {
            if (bar == nullptr && g_tip->Countdown() != nullptr) bar = g_tip->Countdown()->StatusBar();
            for (const std::string& command : PendingCommands()) {
                ++g_commandsDone;
                Carry(command, bar);
            }
            WriteState();
            continue;
        }
        if (IsCloseForAfterWindow(msg.hwnd, msg.message, msg.wParam)) ++g_afterCloses;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    WriteState();
    UnhookWindowsHookEx(seeSent);
    delete g_tip;
    DestroyWindow(focus);
    uninstallHook();
    return 0;
}

// A stand-in for the stock core whose screen grabber loses the screen: what
// the lock screen or a prompt on the secure desktop does to the real one on
// Windows, which nothing under Wine can bring about. It runs the real core
// (ffmpeg-core-real.exe beside it) with the same command line, passing its
// input on; for a segment that grabs the screen, once, after the
// milliseconds in TAVRIX_TEST_SCREEN_LOST_AFTER_MS, it ends the real core's
// input as the real core ends it when its copy of the screen is refused
// (the segment is finished), then says what the real grabber says, and exits
// 0 as the real core does. "screen-lost.done" beside it marks that it did.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::wstring Folder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// The command line after the program's own name.
std::wstring Arguments() {
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    for (; *line != 0 && (quoted || (*line != L' ' && *line != L'\t')); ++line)
        if (*line == L'"') quoted = !quoted;
    return line;
}

}  // namespace

int main() {
    const std::wstring folder = Folder();
    const std::wstring arguments = Arguments();
    const std::wstring marker = folder + L"screen-lost.done";
    wchar_t after[32] = {};
    const bool fail = GetEnvironmentVariableW(L"TAVRIX_TEST_SCREEN_LOST_AFTER_MS", after, 32) > 0 &&
                      arguments.find(L"gdigrab") != std::wstring::npos &&
                      GetFileAttributesW(marker.c_str()) == INVALID_FILE_ATTRIBUTES;

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE inputRead = nullptr, inputWrite = nullptr;
    if (!CreatePipe(&inputRead, &inputWrite, &inherit, 0)) return 2;
    SetHandleInformation(inputWrite, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring line = L"\"" + folder + L"ffmpeg-core-real.exe\"" + arguments;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) return 2;
    CloseHandle(inputRead);

    // What the adapter writes ("q") goes on to the real core.
    const HANDLE ownInput = GetStdHandle(STD_INPUT_HANDLE);
    std::thread([ownInput, inputWrite] {
        char bytes[64];
        DWORD read = 0, written = 0;
        while (ReadFile(ownInput, bytes, sizeof(bytes), &read, nullptr) && read > 0)
            WriteFile(inputWrite, bytes, read, &written, nullptr);
    }).detach();

    bool lost = false;
    if (fail && WaitForSingleObject(info.hProcess, static_cast<DWORD>(std::wcstol(after, nullptr, 10))) == WAIT_TIMEOUT) {
        DWORD written = 0;
        WriteFile(inputWrite, "q\n", 2, &written, nullptr);
        lost = true;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    if (lost) {
        CloseHandle(CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const char text[] = "[gdigrab @ 0000000000c31a40] [error] Failed to capture image (error 5)\n"
                            "[error] desktop: Input/output error\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, sizeof(text) - 1, &written, nullptr);
        return 0;
    }
    return static_cast<int>(code);
}

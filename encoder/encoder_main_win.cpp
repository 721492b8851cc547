// ffmpeg.exe: the encoder Tavrix starts. Gives the ffmpeg core beside it
// (ffmpeg-core.exe, or ffmpeg-core-x64.exe on 64-bit Windows) pause and
// resume by recording segments and joining them.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "encoder/encoder_run_win.h"
#include "protocol/exit_codes.h"
#include "support/text_win.h"
#include "support/unique_win.h"

namespace {

// The 32-bit core runs everywhere; on 64-bit Windows the 64-bit core beside
// it, when shipped, is used instead because it encodes faster.
std::wstring CorePath(const std::wstring& folder) {
    SYSTEM_INFO system{};
    GetNativeSystemInfo(&system);
    const std::wstring x64 = folder + L"ffmpeg-core-x64.exe";
    if (system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 &&
        GetFileAttributesW(x64.c_str()) != INVALID_FILE_ATTRIBUTES)
        return x64;
    return folder + L"ffmpeg-core.exe";
}

}  // namespace

int main() {
    int count = 0;
    UniqueLocal argv(reinterpret_cast<HLOCAL>(CommandLineToArgvW(GetCommandLineW(), &count)));
    if (!argv) {
        ReportToConsole(L"ffmpeg.exe: cannot read the command line\n");
        return kExitBadArguments;
    }
    wchar_t** words = static_cast<wchar_t**>(argv.get());
    const std::vector<std::wstring> arguments(words + (count > 0 ? 1 : 0), words + count);

    // Our standard input is the steering pipe; no core may inherit it.
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
    return RunEncoder(arguments, CorePath(ProgramFolder(nullptr)), input);
}

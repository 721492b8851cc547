// ffmpeg.exe: the encoder Tavrix starts. Gives the stock ffmpeg build beside
// it (ffmpeg-core.exe) pause and resume by recording segments and joining them.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "encoder/encoder_run_win.h"
#include "support/text_win.h"
#include "support/unique_win.h"

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
    return RunEncoder(arguments, ProgramFolder(nullptr) + L"ffmpeg-core.exe", input);
}

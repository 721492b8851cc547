// A small program around the recording engine, for tests that need the engine
// in a process of its own (in another folder, or driven by real X input):
//   tavrix_engine_probe start-without-encoder <result file> <log file>
//       makes a temporary recording path, starts the encoder and writes
//       "started=<0|1> handles_before=<n> handles_after=<n>" to the result file
//   tavrix_engine_probe record <output path> <record ms> <pause ms>
//       records, pauses, resumes, records again and stops; exit 0 when started
//   tavrix_engine_probe save <temporary recording path>
//       finishes a recording at that path through the Save dialog
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "recording/encoder_process_win.h"
#include "support/log.h"
#include "support/text_win.h"
#include "tests/win/win_test_support.h"
#include "ui/save_recording_win.h"

namespace {

int StartWithoutEncoder(const wchar_t* resultPath, const wchar_t* logPath) {
    FILE* log = _wfopen(logPath, L"a");
    if (log != nullptr) Output2FILE::Target() = log;
    RecordingPath = MakeTempRecordingPath();
    const DWORD before = OpenHandleCount();
    const int started = EncoderProcess::Start();
    const DWORD after = OpenHandleCount();
    FILE* result = _wfopen(resultPath, L"w");
    if (result == nullptr) return 2;
    std::fprintf(result, "started=%d handles_before=%lu handles_after=%lu\n", started, before, after);
    std::fclose(result);
    if (started == 1) FinishEncoder();
    return 0;
}

int Record(const wchar_t* output, DWORD recordMs, DWORD pauseMs) {
    RecordingPath = NarrowText(output, CP_ACP);
    if (EncoderProcess::Start() != 1) return 1;
    Sleep(recordMs);
    EncoderProcess::Pause();
    Sleep(pauseMs);
    EncoderProcess::Resume();
    Sleep(recordMs);
    EncoderProcess::Pause();
    FinishEncoder();
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args == nullptr || count < 3) return 64;
    const std::wstring mode = args[1];
    int result = 64;
    if (mode == L"start-without-encoder" && count == 4) {
        result = StartWithoutEncoder(args[2], args[3]);
    } else if (mode == L"record" && count == 5) {
        result = Record(args[2], std::wcstoul(args[3], nullptr, 10), std::wcstoul(args[4], nullptr, 10));
    } else if (mode == L"save" && count == 3) {
        RecordingPath = NarrowText(args[2], CP_ACP);
        SaveRecording();
        result = 0;
    }
    LocalFree(args);
    return result;
}

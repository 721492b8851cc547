#include "recording/recording_files_win.h"

#include <cstdio>
#include <ctime>

#include "recording/encoder_process_win.h"
#include "recording/recording_name.h"
#include "support/text_win.h"

std::wstring MakeDefaultRecordingName() {
    const __time64_t now = _time64(nullptr);
    std::tm local = {};
    _localtime64_s(&local, &now);
    return WidenText(FormatRecordingName(local), CP_ACP);
}

bool MoveRecording(const std::wstring& temporary, const std::wstring& chosen, DWORD& error) {
    std::printf("the path is : %s\n", NarrowText(chosen, CP_ACP).c_str());
    std::fflush(stdout);
    if (!MoveFileExW(temporary.c_str(), chosen.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        error = GetLastError();
        return false;
    }
    error = 0;
    // The lesson is saved: its logs and folder go.
    DeleteRecordingFiles(temporary);
    return true;
}

bool DeleteRecording(const std::wstring& temporary) {
    if (!DeleteFileW(temporary.c_str())) return false;
    DeleteRecordingFiles(temporary);
    return true;
}

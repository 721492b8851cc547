#include "recording/recording_files_win.h"

#include <cstdio>
#include <ctime>

#include "recording/encoder_process_win.h"
#include "recording/recording_name.h"
#include "support/files_win.h"
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
    // Written through: on a stick the file is there before the move
    // returns, not in a cache the teacher pulls out with it.
    if (!MoveFileExW(temporary.c_str(), chosen.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
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

SaveFailure MoveFailureOf(DWORD error, const std::wstring& temporary, const std::wstring& chosen) {
    wchar_t volume[MAX_PATH] = {};
    wchar_t fileSystem[MAX_PATH] = {};
    DWORD flags = 0;
    const bool asked = GetVolumePathNameW(chosen.c_str(), volume, MAX_PATH) &&
                       GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, fileSystem, MAX_PATH);
    return ClassifySaveFailure(error, FileSizeOf(temporary), asked ? fileSystem : L"",
                               asked && (flags & FILE_READ_ONLY_VOLUME) != 0);
}

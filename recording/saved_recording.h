// The lesson saved last in this run, for the startup window to name: set
// when a save succeeded, forgotten when the next recording starts. Nothing
// here touches Windows.
#pragma once

#include <string>

// The saved lesson's full path; empty when there is none to name.
const std::wstring& LastSavedRecording();
void SetLastSavedRecording(const std::wstring& path);

// What the startup window names: the file's name, and the folder it is in
// without its last separator ("C:\" for a drive's top folder).
struct SavedRecordingLine {
    std::wstring fileName;
    std::wstring folder;
};
SavedRecordingLine DescribeSavedRecording(const std::wstring& path);

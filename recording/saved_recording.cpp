#include "recording/saved_recording.h"

#include "support/path.h"

namespace {

std::wstring g_lastSaved;

}  // namespace

const std::wstring& LastSavedRecording() { return g_lastSaved; }

void SetLastSavedRecording(const std::wstring& path) { g_lastSaved = path; }

SavedRecordingLine DescribeSavedRecording(const std::wstring& path) {
    SavedRecordingLine line;
    line.fileName = FileNameOfPath(path);
    line.folder = FolderOfPath(path);
    // "C:\Lessons\" reads "C:\Lessons"; "C:\" stays as it is.
    if (line.folder.size() > 1 && (line.folder.back() == L'\\' || line.folder.back() == L'/') &&
        !(line.folder.size() == 3 && line.folder[1] == L':'))
        line.folder.pop_back();
    return line;
}

// A recording folder in use. While Tavrix records into a folder, or offers,
// joins or saves what one holds, it keeps "<recording>.lock" there open
// without delete sharing; the file goes with the handle, also when Tavrix is
// killed. Another instance (another teacher's session, with a work folder
// all share) cannot take the lock, so it never offers nor deletes that
// folder's lesson.
#pragma once

#include <windows.h>

#include <string>

#include "support/unique_win.h"

class RecordingFolderLock {
public:
    RecordingFolderLock() = default;
    RecordingFolderLock(RecordingFolderLock&&) = default;
    RecordingFolderLock& operator=(RecordingFolderLock&&) = default;
    ~RecordingFolderLock() { Release(); }

    // Takes the lock of the recording at `recordingPath` (its folder must
    // exist). False when another holds it, or it cannot be had at all: then
    // the folder counts as in use.
    bool Take(const std::wstring& recordingPath);
    bool Held() const { return static_cast<bool>(m_file); }
    // The lock file goes; then the folder, when nothing else is in it.
    void Release();

private:
    UniqueFile m_file;
    std::wstring m_folder;
};

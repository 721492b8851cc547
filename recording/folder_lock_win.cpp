#include "recording/folder_lock_win.h"

#include "protocol/files.h"
#include "support/log.h"
#include "support/path.h"
#include "support/text_win.h"

bool RecordingFolderLock::Take(const std::wstring& recordingPath) {
    Release();
    const std::wstring path = LockPath(recordingPath);
    // Without FILE_SHARE_DELETE: any other open of the file for deleting it
    // (and any other instance's lock) fails while this one is held.
    m_file.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!m_file) {
        const DWORD error = GetLastError();
        TAVRIX_LOG(LevelDebug) << "the recording folder is in use (its lock: error " << error << "): "
                               << NarrowText(FolderOfPath(recordingPath), CP_ACP);
        return false;
    }
    m_folder = FolderOfPath(recordingPath);
    return true;
}

void RecordingFolderLock::Release() {
    if (!m_file) return;
    m_file.reset();
    if (!m_folder.empty()) RemoveDirectoryW(m_folder.c_str());  // only when nothing else is in it
    m_folder.clear();
}

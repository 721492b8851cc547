#include "support/log_file_win.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include "support/unique_win.h"

FILE* OpenLogFile(const std::wstring& path) {
    // The link itself is opened, never what it points to.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return nullptr;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(file.get(), &info)) return nullptr;
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        info.nNumberOfLinks > 1)
        return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_APPEND | _O_TEXT);
    if (descriptor < 0) return nullptr;
    file.release();  // the descriptor owns it now
    FILE* log = _fdopen(descriptor, "a");
    if (log == nullptr) _close(descriptor);
    return log;
}

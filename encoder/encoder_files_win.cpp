#include "encoder/encoder_files_win.h"

bool DeleteFileSoon(const std::wstring& path) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
        Sleep(25);
    }
    return false;
}

#include "support/files_win.h"

#include <cwchar>

#include "support/unique_win.h"

std::vector<FoundFile> FilesMatching(const std::wstring& pattern) {
    std::vector<FoundFile> files;
    WIN32_FIND_DATAW found = {};
    const UniqueFind search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return files;
    do {
        if (wcscmp(found.cFileName, L".") == 0 || wcscmp(found.cFileName, L"..") == 0) continue;
        FoundFile file;
        file.name = found.cFileName;
        file.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        file.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        file.created = found.ftCreationTime;
        files.push_back(std::move(file));
    } while (FindNextFileW(search.get(), &found));
    return files;
}

uint64_t FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

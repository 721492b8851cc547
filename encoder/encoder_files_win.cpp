#include "encoder/encoder_files_win.h"

#include "protocol/files.h"
#include "support/files_win.h"
#include "support/path.h"

bool DeleteFileSoon(const std::wstring& path) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
        Sleep(25);
    }
    return false;
}

std::vector<std::wstring> SegmentsBeside(const std::wstring& outputPath) {
    const std::wstring folder = FolderOfPath(outputPath);
    std::vector<std::wstring> names;
    for (const FoundFile& found : FilesMatching(SegmentPattern(outputPath)))
        if (!found.folder) names.push_back(found.name);
    std::vector<std::wstring> paths;
    for (const std::wstring& name : SegmentNamesInOrder(FileNameOfPath(outputPath), names))
        paths.push_back(folder + name);
    return paths;
}

void DeleteFilesMatching(const std::wstring& pattern) {
    const std::wstring folder = FolderOfPath(pattern);
    for (const FoundFile& found : FilesMatching(pattern))
        if (!found.folder) DeleteFileSoon(folder + found.name);
}

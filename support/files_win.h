// The files of a folder: one search loop for every place that lists files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct FoundFile {
    std::wstring name;  // no folder
    bool folder = false;
    uint64_t size = 0;
    FILETIME created = {};
};

// What matches `pattern` (a path whose last part may hold * and ?), in the
// order the file system gives, without "." and ".."; empty when nothing
// matches or the folder cannot be read.
std::vector<FoundFile> FilesMatching(const std::wstring& pattern);

// Bytes of a file (0 when it cannot be read).
uint64_t FileSizeOf(const std::wstring& path);

// Whether `path` names an existing file (not a folder).
bool IsExistingFile(const std::wstring& path);

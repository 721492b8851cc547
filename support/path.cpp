#include "support/path.h"

std::wstring FolderOfPath(const std::wstring& path) {
    const auto cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return std::wstring();
    return path.substr(0, cut + 1);
}

std::wstring FileNameOfPath(const std::wstring& path) {
    return path.substr(FolderOfPath(path).size());
}

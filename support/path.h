// Path helpers that need no Windows.
#pragma once

#include <string>

// The folder part of a path: everything up to and including the last slash or
// backslash (both count as separators); empty when the path holds neither.
std::wstring FolderOfPath(const std::wstring& path);

// The last path component: what follows the folder part.
std::wstring FileNameOfPath(const std::wstring& path);

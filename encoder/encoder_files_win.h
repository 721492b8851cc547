// The segment files beside an output, and deleting the files the adapter's
// cores wrote, which a core just ended may still hold for a moment.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Deletes `path`; a file just released by a process that was ended may stay
// locked for a moment, so it is tried again briefly. True when it is gone.
bool DeleteFileSoon(const std::wstring& path);

// The segments "<output>.partNNN.mkv" beside `outputPath`, full paths in recording order.
std::vector<std::wstring> SegmentsBeside(const std::wstring& outputPath);

// Deletes every file matching `pattern` (a path whose last part holds *).
void DeleteFilesMatching(const std::wstring& pattern);

// Free disk space where the recording is written: checked before a start and
// while recording.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "recording/disk_space.h"

// Free bytes available to this user on the volume of `path` (a file or a
// folder that need not exist yet: the nearest existing folder above it is
// asked). Unknown (a failed query) counts as plenty, so a query the system
// cannot answer never stops a lesson.
uint64_t FreeBytesFor(const std::wstring& path);

// What the program asks; FreeBytesFor unless a test puts a volume of its own
// making in its place.
extern std::function<uint64_t(const std::wstring&)> FreeSpaceProbe;

// The free space for the current recording path, through FreeSpaceProbe.
uint64_t RecordingFreeBytes();

// The texts the teacher sees.
extern const wchar_t kTooLittleSpaceToStartText[];
extern const wchar_t kTooLittleSpacePausedText[];

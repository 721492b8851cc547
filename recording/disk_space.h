// How much free disk space a recording needs: to start, and to go on. No
// Windows here; the measuring is in disk_space_win.cpp.
#pragma once

#include <cstdint>

constexpr uint64_t kMegabyte = 1024 * 1024;
// Below this a recording does not start: a lesson needs room to be recorded
// and then joined.
constexpr uint64_t kFreeBytesToStart = 500 * kMegabyte;
// Below this a running recording is paused, so that it can still be saved.
constexpr uint64_t kFreeBytesToGoOn = 200 * kMegabyte;

inline bool EnoughSpaceToStart(uint64_t freeBytes) { return freeBytes >= kFreeBytesToStart; }
inline bool EnoughSpaceToGoOn(uint64_t freeBytes) { return freeBytes >= kFreeBytesToGoOn; }

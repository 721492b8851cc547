// How much free disk space a recording needs: to start, to go on, and to be
// finished. No Windows here; the measuring is in disk_space_win.cpp.
#pragma once

#include <cstdint>

#include "protocol/session.h"

constexpr uint64_t kMegabyte = 1024 * 1024;
// Below this a recording does not start: a lesson needs room to be recorded
// and then joined.
constexpr uint64_t kFreeBytesToStart = 500 * kMegabyte;
// Below this a running recording is paused, so that it can still be saved.
constexpr uint64_t kFreeBytesToGoOn = 200 * kMegabyte;
// The finish joins the segments into one file on the same drive: room for
// it comes on top. Within this much of it the bar warns; within
// kFreeBytesToGoOn of it the recording pauses (a few seconds of recording
// pass before the pause is in, and the finish must still fit then).
constexpr uint64_t kFreeBytesToWarn = 700 * kMegabyte;

inline bool EnoughSpaceToStart(uint64_t freeBytes) { return freeBytes >= kFreeBytesToStart; }
inline bool EnoughSpaceToGoOn(uint64_t freeBytes) { return freeBytes >= kFreeBytesToGoOn; }

// What `freeBytes` mean for a recording whose segments hold `recordedBytes`.
enum class SpaceVerdict {
    Plenty,
    Warn,   // the finish fits, not for long: the bar says so
    Pause,  // soon it would not: the recording pauses
};
constexpr SpaceVerdict JudgeFreeSpace(uint64_t freeBytes, uint64_t recordedBytes) {
    const uint64_t finish = JoinSpaceNeeded(recordedBytes);
    if (freeBytes < finish + kFreeBytesToGoOn) return SpaceVerdict::Pause;
    if (freeBytes < finish + kFreeBytesToWarn) return SpaceVerdict::Warn;
    return SpaceVerdict::Plenty;
}

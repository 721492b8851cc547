// Recordings left behind by a crash, a killed program or a failed finish:
// found in the temporary folder at start (and after a lost encoder), and
// joined by the encoder's recovery mode (the windows offer them: ui/leftover_offer_win.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "recording/encoder_process_win.h"

struct LeftoverRecording {
    std::wstring recordingPath;          // "<folder>\temp.avi", where the join writes
    std::vector<std::wstring> segments;  // full paths, in recording order (none: finished already)
    int64_t durationNs = 0;              // the pictures' total span (or the finished file's)
};

// The leftover recordings in the Rec… folders of `tempFolder` (the user's
// temporary folder when empty), oldest first, except the folder of
// `skipRecordingPath`. Folders that hold only litter (empty files, logs) are
// removed on the way.
std::vector<LeftoverRecording> FindLeftoverRecordings(const std::wstring& tempFolder,
                                                      const std::wstring& skipRecordingPath);

// The span of the pictures in one Matroska segment (0 when it has none).
int64_t SegmentDurationNs(const std::wstring& segmentPath);

// Runs "ffmpeg.exe -join_segments <recordingPath>" from the program's folder,
// hidden, and `wait`s for it (ended after kStopWaitLimitMs). Returns its exit
// code (0: joined and checked).
DWORD JoinLeftoverSegments(const std::wstring& recordingPath, const ProcessWait& wait);

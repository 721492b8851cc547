// Recordings left behind by a crash, a killed program or a failed finish:
// found in the temporary folder at start (and after a lost encoder), offered
// to the teacher, joined by the encoder's recovery mode and saved, or deleted.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/save_recording_win.h"

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
// hidden, and waits while the program's windows keep working and a progress
// window shows. Returns its exit code (0: joined and checked).
DWORD JoinLeftoverSegments(const std::wstring& recordingPath);

// Asks "发现一段没有保存的录像（时长 mm:ss），现在保存吗？" (Yes saves, No
// discards) for each leftover recording, then joins and offers the Save
// dialog, or deletes it.
void OfferLeftoverRecordings(const std::wstring& skipRecordingPath);
// The same for recordings FindLeftoverRecordings found already.
void OfferLeftoverRecordings(const std::vector<LeftoverRecording>& leftovers);
void OfferLeftoverRecordingsWith(const std::wstring& tempFolder, const std::wstring& skipRecordingPath,
                                 const SaveDialog& askForPath, const SaveDialogError& dialogError);

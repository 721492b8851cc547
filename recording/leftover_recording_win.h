// Recordings left behind by a crash, a killed program or a failed finish:
// found in the temporary folder at start (and after a lost encoder), offered
// to the teacher, joined by the encoder's recovery mode and saved, or deleted.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "recording/folder_lock_win.h"
#include "recording/leftover_recording.h"
#include "recording/save_recording_win.h"

struct LeftoverRecording {
    std::wstring recordingPath;          // "<folder>\temp.avi", where the join writes
    std::vector<std::wstring> segments;  // full paths, in recording order (none: finished already)
    int64_t durationNs = 0;              // the pictures' total span (or the finished file's)
    // Held while the recording is offered, joined and saved: no other
    // instance takes it meanwhile.
    std::shared_ptr<RecordingFolderLock> lock;
};

// The leftover recordings in the Rec… folders of `tempFolder` (when empty:
// the work folder school IT set and the user's temporary folder), oldest
// first, except the folder of `skipRecordingPath` and folders another
// instance uses (their lock is held). Folders that hold only litter (empty
// files, logs) are removed on the way.
std::vector<LeftoverRecording> FindLeftoverRecordings(const std::wstring& tempFolder,
                                                      const std::wstring& skipRecordingPath);

// The span of the pictures in one Matroska segment (0 when it has none).
int64_t SegmentDurationNs(const std::wstring& segmentPath);

// Runs "ffmpeg.exe -join_segments <recordingPath>" from the program's folder,
// hidden, and waits while the program's windows keep working and a progress
// window shows. Returns its exit code (0: joined and checked).
DWORD JoinLeftoverSegments(const std::wstring& recordingPath);

// Asks "发现一段没有保存的录像（时长 mm:ss），现在保存吗？" for each leftover
// recording, with three answers: 现在保存 (joins and offers the Save dialog),
// 以后再说 (kept and offered at the next start: Escape, closing the box, and
// a box that could not be shown answer so), 删除 (asks once more, then
// deletes).
void OfferLeftoverRecordings(const std::wstring& skipRecordingPath);

// The question for one leftover recording, with its second question before
// a deletion. Anything but 现在保存 or a confirmed 删除 is Later.
LeftoverAnswer AskAboutLeftover(int64_t durationNs);
// The same for recordings FindLeftoverRecordings found already.
void OfferLeftoverRecordings(const std::vector<LeftoverRecording>& leftovers);
void OfferLeftoverRecordingsWith(const std::wstring& tempFolder, const std::wstring& skipRecordingPath,
                                 const SaveDialog& askForPath, const SaveDialogError& dialogError);

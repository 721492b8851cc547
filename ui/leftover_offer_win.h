// Offering the recordings left behind to the teacher: one question each
// ("发现一段没有保存的录像（时长 mm:ss），现在保存吗？") with three answers:
// 现在保存 (the join with its progress window, then the Save dialog),
// 以后再说 (kept and offered at the next start: Escape, closing the box and
// a box that could not be shown answer so), 删除 (asked once more, then
// deleted).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recording/leftover_recording.h"
#include "recording/leftover_recording_win.h"
#include "ui/save_recording_win.h"

// The question for one leftover recording, with its second question before
// a deletion. Anything but 现在保存 or a confirmed 删除 is Later.
LeftoverAnswer AskAboutLeftover(int64_t durationNs);

// The leftover recordings of the work folder and the user's temporary
// folder but the one at `skipRecordingPath` (the current run's).
void OfferLeftoverRecordings(const std::wstring& skipRecordingPath);
// The same for recordings FindLeftoverRecordings found already.
void OfferLeftoverRecordings(const std::vector<LeftoverRecording>& leftovers);
// The same in `tempFolder`, with another dialog in place of the Save dialog.
void OfferLeftoverRecordingsWith(const std::wstring& tempFolder, const std::wstring& skipRecordingPath,
                                 const SaveDialog& askForPath, const SaveDialogError& dialogError);

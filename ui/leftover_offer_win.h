// Offering the recordings left behind to the teacher: one question each
// ("发现一段没有保存的录像（时长 mm:ss），现在保存吗？"; Yes saves, No
// discards), then the join with its progress window and the Save dialog, or
// the deletion.
#pragma once

#include <string>
#include <vector>

#include "recording/leftover_recording_win.h"
#include "ui/save_recording_win.h"

// The leftover recordings of the user's temporary folder but the one at
// `skipRecordingPath` (the current run's).
void OfferLeftoverRecordings(const std::wstring& skipRecordingPath);
// The same for recordings FindLeftoverRecordings found already.
void OfferLeftoverRecordings(const std::vector<LeftoverRecording>& leftovers);
// The same in `tempFolder`, with another dialog in place of the Save dialog.
void OfferLeftoverRecordingsWith(const std::wstring& tempFolder, const std::wstring& skipRecordingPath,
                                 const SaveDialog& askForPath, const SaveDialogError& dialogError);

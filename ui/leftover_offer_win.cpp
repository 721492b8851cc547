#include "ui/leftover_offer_win.h"

#include "recording/leftover_recording.h"
#include "support/log.h"
#include "support/text_win.h"
#include "ui/finish_wait_win.h"
#include "ui/message_box_win.h"

namespace {

void OfferEach(const std::vector<LeftoverRecording>& leftovers, const SaveDialog& askForPath,
               const SaveDialogError& dialogError) {
    for (const LeftoverRecording& leftover : leftovers) {
        TAVRIX_LOG(LevelDebug) << "a recording was left behind: " << NarrowText(leftover.recordingPath, CP_ACP) << ", "
                               << leftover.segments.size() << " segments, " << leftover.durationNs / 1000000 << " ms";
        const int answer = ShowMessageBox(BoxCaption::Tip, LeftoverQuestion(leftover.durationNs),
                                          MB_YESNO | MB_ICONQUESTION | MB_TOPMOST);
        if (answer != IDYES) {
            if (!DeleteRecordingFiles(leftover.recordingPath)) ShowMessageBox(BoxCaption::None, L"失败");
            continue;
        }
        // A finished recording needs no join.
        const DWORD code = leftover.segments.empty()
                               ? 0
                               : JoinLeftoverSegments(leftover.recordingPath, FinishingWait(leftover.recordingPath));
        if (code != 0) {
            ShowMessageBox(BoxCaption::Tip, FinishFailureText(static_cast<int>(code)), MB_OK | MB_ICONERROR);
            continue;
        }
        OfferSaveDialog(leftover.recordingPath, askForPath, dialogError);
    }
}

}  // namespace

void OfferLeftoverRecordings(const std::wstring& skipRecordingPath) {
    OfferLeftoverRecordingsWith(std::wstring(), skipRecordingPath, ShowSaveDialog, SaveDialogErrorCode);
}

void OfferLeftoverRecordings(const std::vector<LeftoverRecording>& leftovers) {
    OfferEach(leftovers, ShowSaveDialog, SaveDialogErrorCode);
}

void OfferLeftoverRecordingsWith(const std::wstring& tempFolder, const std::wstring& skipRecordingPath,
                                 const SaveDialog& askForPath, const SaveDialogError& dialogError) {
    OfferEach(FindLeftoverRecordings(tempFolder, skipRecordingPath), askForPath, dialogError);
}

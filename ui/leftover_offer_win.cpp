#include "ui/leftover_offer_win.h"

#include "recording/leftover_recording.h"
#include "support/log.h"
#include "support/text_win.h"
#include "ui/finish_wait_win.h"
#include "ui/message_box_win.h"

LeftoverAnswer AskAboutLeftover(int64_t durationNs) {
    const std::wstring question = LeftoverQuestion(durationNs) + L"\n\n" + kLeftoverLaterHint;
    const int answer = ShowMessageBox(BoxCaption::Tip, question, MB_YESNOCANCEL | MB_ICONQUESTION | MB_TOPMOST,
                                      {{IDYES, L"现在保存"}, {IDNO, L"删除"}, {IDCANCEL, L"以后再说"}});
    const LeftoverAnswer first = LeftoverAnswerOf(answer);
    if (first != LeftoverAnswer::Delete) return first;
    // One hurried click never deletes a lesson: deleting is asked once more,
    // and only its 是 deletes.
    const int sure =
        ShowMessageBox(BoxCaption::Tip, kLeftoverDeleteQuestion, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TOPMOST);
    return sure == IDYES ? LeftoverAnswer::Delete : LeftoverAnswer::Later;
}

namespace {

// The lesson is saved or deleted: its folder is no longer in use, and goes
// with its lock when nothing else is left in it.
void LetGo(const LeftoverRecording& leftover) {
    if (leftover.lock) leftover.lock->Release();
}

void OfferEach(const std::vector<LeftoverRecording>& leftovers, const SaveDialog& askForPath,
               const SaveDialogError& dialogError) {
    for (const LeftoverRecording& leftover : leftovers) {
        TAVRIX_LOG(LevelDebug) << "a recording was left behind: " << NarrowText(leftover.recordingPath, CP_ACP) << ", "
                               << leftover.segments.size() << " segments, " << leftover.durationNs / 1000000 << " ms";
        const LeftoverAnswer answer = AskAboutLeftover(leftover.durationNs);
        if (answer == LeftoverAnswer::Later) {
            TAVRIX_LOG(LevelDebug) << "the recording is kept for the next start";
            continue;
        }
        if (answer == LeftoverAnswer::Delete) {
            if (!DeleteRecordingFiles(leftover.recordingPath)) ShowMessageBox(BoxCaption::None, L"失败");
            LetGo(leftover);
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
        LetGo(leftover);
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

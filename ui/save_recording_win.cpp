#include "ui/save_recording_win.h"

#include <cwchar>

#include "protocol/exit_codes.h"
#include "recording/encoder_process_win.h"
#include "recording/leftover_recording.h"
#include "recording/saved_recording.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/text_win.h"
#include "support/unique_win.h"
#include "ui/finish_wait_win.h"
#include "ui/message_box_win.h"
#include "ui/window_state.h"

#if defined(__i386__)
static_assert(sizeof(OPENFILENAMEW) == 88, "OPENFILENAMEW of the 32-bit program");
#endif

namespace {

const wchar_t kFilter[] = L"vedio(avi)\0*.avi\0";
const wchar_t kDialogTitle[] = L"Save Record File";
const wchar_t kSaveFailedText[] = L"请查看是否有相关设备(如：耳机，喇叭)，保存失败";
const wchar_t kDeleteFailedText[] = L"失败";
const wchar_t kKeptAfterDialogFailuresText[] =
    L"保存对话框一直打不开，录像没有丢失：下次启动 Tavrix 时会提示您保存。";
const wchar_t kStopTimedOutText[] = L"录制程序长时间没有结束，已被强行关闭，这次的录像可能不完整。";

enum class DialogAnswer { Chosen, Cancelled, Failed };

void HideWindow(HWND window) {
    if (window != nullptr) ShowWindow(window, SW_HIDE);
}

// Asks for the target path. A dialog that returns without a path is a cancel
// only when it reports no error: a failure of its own (a path too long for
// the buffer, a dialog that cannot open) must never delete a lesson.
DialogAnswer AskForPath(const SaveDialog& askForPath, const SaveDialogError& dialogError, std::wstring& chosen,
                        DWORD& error) {
    wchar_t file[MAX_PATH] = {};
    const std::wstring name = MakeDefaultRecordingName();
    name.copy(file, MAX_PATH - 1);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = kDialogTitle;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_SHOWHELP;
    dialog.lpstrDefExt = L"avi";
    if (!askForPath(&dialog)) {
        error = dialogError ? dialogError() : 0;
        return error == 0 ? DialogAnswer::Cancelled : DialogAnswer::Failed;
    }
    chosen = file;
    return DialogAnswer::Chosen;
}

void TellDialogFailed(DWORD error) {
    wchar_t text[160] = {};
    FormatIntoBuffer(text, 160, L"保存对话框出错了（错误代码 0x%04X），录像还在。请再选一次保存的位置。",
                     static_cast<unsigned>(error));
    ShowMessageBox(BoxCaption::Tip, text, MB_OK | MB_ICONWARNING);
}

}  // namespace

DWORD FinishEncoder(DWORD waitLimitMs) {
    const EncoderProcess::StopResult stopped =
        EncoderProcess::Stop(FinishingWait(WidenText(RecordingPath, CP_ACP)), waitLimitMs);
    if (stopped.endedByForce) ShowMessageBox(BoxCaption::Tip, kStopTimedOutText, MB_OK | MB_ICONWARNING);
    return stopped.exitCode;
}

BOOL ShowSaveDialog(OPENFILENAMEW* dialog) {
    const auto show = SystemFunction<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    return show != nullptr ? show(dialog) : FALSE;
}

DWORD SaveDialogErrorCode() {
    const auto error = SystemFunction<decltype(&CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
    return error != nullptr ? error() : CDERR_INITIALIZATION;
}

void SaveRecording() { SaveRecordingWith(ShowSaveDialog); }

void SaveRecordingWith(const SaveDialog& askForPath, const SaveDialogError& dialogError) {
    HideWindow(ProcessHwnd);
    if (StatusHwnd != nullptr) KillTimer(StatusHwnd, kElapsedTimerId);
    const DWORD code = FinishEncoder();
    const std::wstring temporary = WidenText(RecordingPath, CP_ACP);
    if (code == kExitDone) {
        if (OfferSaveDialog(temporary, askForPath, dialogError) == SaveOutcome::Kept) MoveToNewRecordingFolder();
    } else {
        // Whatever the encoder left is not a finished lesson: never offered as
        // one, never deleted; the next start offers its segments.
        ShowMessageBox(BoxCaption::Tip, FinishFailureText(static_cast<int>(code)), MB_OK | MB_ICONERROR);
        MoveToNewRecordingFolder();
    }
    HideWindow(StatusHwnd);
    ResetElapsedTime();
    if (StartupHwnd != nullptr) ShowWindow(StartupHwnd, SW_RESTORE);
}

SaveOutcome OfferSaveDialog(const std::wstring& temporary, const SaveDialog& askForPath,
                            const SaveDialogError& dialogError) {
    int dialogFailures = 0;
    for (;;) {
        std::wstring chosen;
        DWORD error = 0;
        const DialogAnswer answer = AskForPath(askForPath, dialogError, chosen, error);
        if (answer == DialogAnswer::Failed) {
            TAVRIX_LOG(LevelDebug) << "the Save dialog failed with error " << error;
            if (++dialogFailures < kSaveDialogAttempts) {
                TellDialogFailed(error);
                continue;
            }
            ShowMessageBox(BoxCaption::Tip, kKeptAfterDialogFailuresText, MB_OK | MB_ICONWARNING);
            return SaveOutcome::Kept;
        }
        if (answer == DialogAnswer::Cancelled) {
            if (DeleteRecording(temporary)) return SaveOutcome::Deleted;
            ShowMessageBox(BoxCaption::None, kDeleteFailedText);
            return SaveOutcome::Kept;
        }
        DWORD moveError = 0;
        const bool moved = MoveRecording(temporary, chosen, moveError);
        if (!moved) {
            ShowMoveError(L"MoveFileEx", moveError);
            ShowMessageBox(BoxCaption::None, kSaveFailedText);
        }
        HideWindow(CornerHwnd);
        if (moved) {
            // The startup window names where the lesson went.
            SetLastSavedRecording(chosen);
            return SaveOutcome::Saved;
        }
        // A failed move leaves the recording at the temporary path, where the
        // next recording would overwrite it: offer the dialog again.
        if (!IsExistingFile(temporary)) return SaveOutcome::Kept;
    }
}

void ShowMoveError(const wchar_t* operation) { ShowMoveError(operation, GetLastError()); }

void ShowMoveError(const wchar_t* operation, DWORD error) {
    wchar_t* systemText = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&systemText), 0, nullptr);
    UniqueLocal systemTextOwner(systemText);
    // An error without a system text still shows its code, with an empty text.
    const wchar_t* text = systemText != nullptr ? systemText : L"";
    const size_t characters = std::wcslen(text) + std::wcslen(operation) + 40;
    UniqueLocal buffer(LocalAlloc(LMEM_ZEROINIT, characters * sizeof(wchar_t)));
    if (!buffer) return;
    wchar_t* message = static_cast<wchar_t*>(buffer.get());
    FormatIntoBuffer(message, LocalSize(buffer.get()) / sizeof(wchar_t), L"%s failed with error %d: %s", operation,
                     static_cast<int>(error), text);
    ShowMessageBox(BoxCaption::Error, message);
}

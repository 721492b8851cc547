#include "recording/save_recording_win.h"

#include <cstdio>
#include <cwchar>

#include "app/window_state.h"
#include "recording/encoder_process_win.h"
#include "recording/recording_name.h"
#include "support/text_win.h"
#include "support/unique_win.h"

#if defined(__i386__)
static_assert(sizeof(OPENFILENAMEW) == 88, "OPENFILENAMEW of the 32-bit program");
#endif

namespace {

const wchar_t kFilter[] = L"vedio(avi)\0*.avi\0";
const wchar_t kDialogTitle[] = L"Save Record File";
const wchar_t kSaveFailedText[] = L"请查看是否有相关设备(如：耳机，喇叭)，保存失败";
const wchar_t kDeleteFailedText[] = L"失败";

void HideWindow(HWND window) {
    if (window != nullptr) ShowWindow(window, SW_HIDE);
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Asks for the target path; false when the user cancelled or the dialog failed.
bool AskForPath(const SaveDialog& askForPath, std::wstring& chosen) {
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
    if (!askForPath(&dialog)) return false;
    chosen = file;
    return true;
}

}  // namespace

std::wstring MakeDefaultRecordingName() {
    const __time64_t now = _time64(nullptr);
    std::tm local = {};
    _localtime64_s(&local, &now);
    return WidenText(FormatRecordingName(local), CP_ACP);
}

void SaveRecording() { SaveRecordingWith(GetSaveFileNameW); }

void SaveRecordingWith(const SaveDialog& askForPath) {
    HideWindow(ProcessHwnd);
    EncoderProcess::Stop();
    const std::wstring temporary = WidenText(RecordingPath, CP_ACP);
    for (;;) {
        std::wstring chosen;
        if (!AskForPath(askForPath, chosen)) {
            if (!DeleteFileW(temporary.c_str())) MessageBoxW(nullptr, kDeleteFailedText, L"", MB_OK);
            break;
        }
        std::printf("the path is : %s\n", NarrowText(chosen, CP_ACP).c_str());
        std::fflush(stdout);
        const bool moved = MoveFileExW(temporary.c_str(), chosen.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
        if (!moved) {
            ShowMoveError(L"MoveFileEx");
            MessageBoxW(nullptr, kSaveFailedText, L"", MB_OK);
        }
        HideWindow(CornerHwnd);
        // A failed move leaves the recording at the temporary path, where the
        // next recording would overwrite it: offer the dialog again.
        if (moved || !FileExists(temporary)) break;
    }
    HideWindow(StatusHwnd);
    ResetElapsedTime();
    if (StartupHwnd != nullptr) ShowWindow(StartupHwnd, SW_RESTORE);
}

void ShowMoveError(const wchar_t* operation) {
    const DWORD error = GetLastError();
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
    MessageBoxW(nullptr, message, L"Error", MB_OK);
}

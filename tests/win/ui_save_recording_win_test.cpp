// Finishing a recording under Wine: the file moved or deleted for real, the
// dialog's settings, the message boxes in order, the windows afterwards, and
// once the real Save dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <cderr.h>
#include <ctime>

#include "recording/encoder_process_win.h"
#include "recording/record_options.h"
#include "recording/recording_name.h"
#include "support/text_win.h"
#include "tests/win/win_test_support.h"
#include "ui/save_recording_win.h"
#include "ui/window_state.h"

namespace {

const wchar_t kSaveFailed[] = L"请查看是否有相关设备(如：耳机，喇叭)，保存失败";

HWND MakeShownWindow() {
    HWND window = CreateWindowExW(0, L"STATIC", L"stand-in", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

std::wstring SystemText(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = text != nullptr ? text : L"";
    LocalFree(text);
    return result;
}

// The program's windows as stand-ins, all shown, a recording at the temporary
// path and the elapsed time running.
class SaveTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = MakeScratchFolder(L"save");
        m_temporary = m_folder + L"RecClass\\temp.avi";
        CreateDirectoryW((m_folder + L"RecClass").c_str(), nullptr);
        RecordingPath = NarrowText(m_temporary, CP_ACP);
        StartupHwnd = MakeShownWindow();
        StatusHwnd = MakeShownWindow();
        ProcessHwnd = MakeShownWindow();
        CornerHwnd = MakeShownWindow();
        ShowWindow(StartupHwnd, SW_MINIMIZE);
        ElapsedSeconds = 42;
        ElapsedText = L"00:00:42";
    }
    void TearDown() override {
        for (HWND* w : {&StartupHwnd, &StatusHwnd, &ProcessHwnd, &CornerHwnd}) {
            DestroyWindow(*w);
            *w = nullptr;
        }
        TerminateEncoderProcesses();
    }
    // A paused recording by the test encoder, as the after-recording window has it.
    void RecordALittle() {
        RecordOptions::Instance()->recordAudio = 0;
        ASSERT_EQ(EncoderProcess::Start(), 1);
        Sleep(800);
        EncoderProcess::Pause();
    }
    void ExpectBackAtTheStartupWindow() {
        EXPECT_FALSE(IsWindowVisible(ProcessHwnd));
        EXPECT_FALSE(IsWindowVisible(StatusHwnd));
        EXPECT_TRUE(IsWindowVisible(StartupHwnd));
        EXPECT_FALSE(IsIconic(StartupHwnd));
        EXPECT_EQ(ElapsedSeconds, 0);
        EXPECT_EQ(ElapsedText, L"00:00:00");
    }

    std::wstring m_folder;
    std::wstring m_temporary;
};

TEST_F(SaveTest, TheChosenPathReceivesTheFinishedRecordingReplacingAnOldFile) {
    RecordALittle();
    const std::wstring target = m_folder + L"lesson.avi";
    ASSERT_TRUE(WriteWholeFile(target, "an older lesson"));
    OPENFILENAMEW asked = {};
    std::wstring suggested;
    std::wstring filter;
    DialogWatcher boxes;
    int calls = 0;
    SaveRecordingWith([&](OPENFILENAMEW* dialog) {
        if (++calls > 1) return FALSE;  // offered again: the move failed
        asked = *dialog;
        suggested = dialog->lpstrFile;
        filter.assign(dialog->lpstrFilter, 18);
        // The encoder has finished before the dialog opens.
        EXPECT_FALSE(IsEncoderProcessRunning());
        lstrcpynW(dialog->lpstrFile, target.c_str(), static_cast<int>(dialog->nMaxFile));
        return TRUE;
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(asked.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(asked.hwndOwner, nullptr);
    EXPECT_EQ(filter, std::wstring(L"vedio(avi)\0*.avi\0\0", 18));
    EXPECT_EQ(asked.nFilterIndex, 0u);
    EXPECT_EQ(asked.nMaxFile, 260u);
    EXPECT_EQ(asked.lpstrInitialDir, nullptr);
    EXPECT_STREQ(asked.lpstrTitle, L"Save Record File");
    EXPECT_EQ(asked.Flags, 0x12u);
    EXPECT_STREQ(asked.lpstrDefExt, L"avi");
    EXPECT_EQ(suggested.size(), 24u);
    EXPECT_EQ(suggested.rfind(L"Plumex_20", 0), 0u) << suggested;

    EXPECT_FALSE(FileExists(m_temporary));
    const AviContents saved = ReadAvi(target);
    ASSERT_TRUE(saved.valid);
    EXPECT_GT(saved.headerFrames, 0u);
    EXPECT_EQ(saved.headerFrames, saved.stamps.size());
    EXPECT_FALSE(IsWindowVisible(CornerHwnd));
    ExpectBackAtTheStartupWindow();
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(SaveTest, CancelDeletesTheRecordingAndLeavesTheCornerMarkers) {
    RecordALittle();
    ASSERT_TRUE(FileExists(m_temporary));
    DialogWatcher boxes;
    int asked = 0;
    SaveRecordingWith([&](OPENFILENAMEW*) { ++asked; return FALSE; });
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(FileExists(m_temporary));
    EXPECT_TRUE(IsWindowVisible(CornerHwnd));
    ExpectBackAtTheStartupWindow();
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(SaveTest, ADeleteThatFailsAfterCancelSaysSoAndKeepsTheFile) {
    ASSERT_TRUE(WriteWholeFile(m_temporary, "recording"));
    // Held open without delete sharing, as a virus scanner might.
    HANDLE held = CreateFileW(m_temporary.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DialogWatcher boxes;
    SaveRecordingWith([](OPENFILENAMEW*) { return FALSE; });
    CloseHandle(held);
    EXPECT_TRUE(FileExists(m_temporary));
    const std::vector<SeenDialog> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"");
    EXPECT_EQ(seen[0].text, L"失败");
    ExpectBackAtTheStartupWindow();
}

TEST_F(SaveTest, AFailedMoveKeepsTheRecordingAndOffersTheDialogAgain) {
    RecordALittle();
    const std::wstring gone = m_folder + L"no such folder\\lesson.avi";
    const std::wstring second = m_folder + L"lesson.avi";
    DialogWatcher boxes;
    int asked = 0;
    bool keptBetween = false;
    SaveRecordingWith([&](OPENFILENAMEW* dialog) {
        if (++asked == 2) keptBetween = FileExists(m_temporary);
        if (asked > 2) return FALSE;  // the second move failed too
        const std::wstring& path = asked == 1 ? gone : second;
        lstrcpynW(dialog->lpstrFile, path.c_str(), static_cast<int>(dialog->nMaxFile));
        return TRUE;
    });
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(keptBetween);
    EXPECT_FALSE(FileExists(m_temporary));
    EXPECT_TRUE(ReadAvi(second).valid);
    const std::vector<SeenDialog> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, L"Error");
    EXPECT_EQ(seen[0].text, L"MoveFileEx failed with error 3: " + SystemText(3));
    EXPECT_EQ(seen[1].caption, L"");
    EXPECT_EQ(seen[1].text, kSaveFailed);
    EXPECT_FALSE(IsWindowVisible(CornerHwnd));
    ExpectBackAtTheStartupWindow();
}

// Another volume: under Wine, Z:\dev\shm is a memory file system apart from
// the prefix's drive C:, so the move must copy and delete.
TEST_F(SaveTest, SavingToAnotherVolumeCopiesTheRecording) {
    const std::wstring otherVolume = L"Z:\\dev\\shm\\";
    if (!FileExists(otherVolume)) GTEST_SKIP() << "no second volume here";
    const std::wstring target = otherVolume + L"tavrix-save-test-" + std::to_wstring(GetCurrentProcessId()) + L".avi";
    ASSERT_TRUE(WriteWholeFile(m_temporary, "recording"));
    DialogWatcher boxes;
    int asked = 0;
    SaveRecordingWith([&](OPENFILENAMEW* dialog) {
        if (++asked > 1) return FALSE;  // offered again: the move failed
        lstrcpynW(dialog->lpstrFile, target.c_str(), static_cast<int>(dialog->nMaxFile));
        return TRUE;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadWholeFile(target), "recording");
    EXPECT_FALSE(FileExists(m_temporary));
    EXPECT_TRUE(boxes.Seen().empty());
    DeleteFileW(target.c_str());
}

TEST_F(SaveTest, AMissingRecordingEndsAfterTheErrorsWithoutAskingAgain) {
    DialogWatcher boxes;
    int asked = 0;
    const std::wstring target = m_folder + L"lesson.avi";
    SaveRecordingWith([&](OPENFILENAMEW* dialog) {
        ++asked;
        lstrcpynW(dialog->lpstrFile, target.c_str(), static_cast<int>(dialog->nMaxFile));
        return TRUE;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(FileExists(target));
    const std::vector<SeenDialog> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, L"MoveFileEx failed with error 2: " + SystemText(2));
    EXPECT_EQ(seen[1].text, kSaveFailed);
    EXPECT_FALSE(IsWindowVisible(CornerHwnd));
    ExpectBackAtTheStartupWindow();
}

// A dialog that fails is not the teacher's cancel: told, the recording kept,
// the dialog offered again; after repeated failures it is kept for the next
// start. Only a cancel deletes.
TEST_F(SaveTest, ASaveDialogErrorIsToldAndTheDialogOfferedAgain) {
    ASSERT_TRUE(WriteWholeFile(m_temporary, "recording"));
    const std::wstring target = m_folder + L"lesson.avi";
    DialogWatcher boxes;
    int asked = 0;
    bool keptBetween = true;
    SaveRecordingWith(
        [&](OPENFILENAMEW* dialog) {
            if (++asked == 1) return FALSE;
            keptBetween = FileExists(m_temporary);
            lstrcpynW(dialog->lpstrFile, target.c_str(), static_cast<int>(dialog->nMaxFile));
            return TRUE;
        },
        [] { return static_cast<DWORD>(FNERR_BUFFERTOOSMALL); });
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(keptBetween);
    EXPECT_EQ(ReadWholeFile(target), "recording");
    const std::vector<SeenDialog> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"提示");
    EXPECT_NE(seen[0].text.find(L"0x3003"), std::wstring::npos);
    ExpectBackAtTheStartupWindow();

    // A dialog that never opens: the recording stays for the next start and
    // the next recording goes to a new folder.
    // Saved, the recording's folder went with it.
    EXPECT_FALSE(FileExists(m_folder + L"RecClass"));
    CreateDirectoryW((m_folder + L"RecClass").c_str(), nullptr);
    ASSERT_TRUE(WriteWholeFile(m_temporary, "second recording"));
    DialogWatcher more;
    asked = 0;
    SaveRecordingWith([&](OPENFILENAMEW*) { ++asked; return FALSE; },
                      [] { return static_cast<DWORD>(CDERR_INITIALIZATION); });
    EXPECT_EQ(asked, kSaveDialogAttempts);
    EXPECT_EQ(ReadWholeFile(m_temporary), "second recording");
    EXPECT_NE(WidenText(RecordingPath, CP_ACP), m_temporary);
    EXPECT_EQ(more.Seen().size(), static_cast<size_t>(kSaveDialogAttempts));
    RemoveDirectoryW(RecordingFolderOf(WidenText(RecordingPath, CP_ACP)).c_str());
}

// The real dialog failing for real (a record it refuses; Wine's own dialog
// crashes on a typed name longer than its buffer, the failure a teacher may
// meet), then the real dialog offered again and answered.
TEST_F(SaveTest, TheRealSaveDialogFailingIsNotACancel) {
    ASSERT_TRUE(WriteWholeFile(m_temporary, "recording"));
    const std::wstring typed = m_folder + L"typed";
    DialogWatcher watcher([&](HWND dialog, const SeenDialog& seen) {
        if (seen.messageBox) return PressButton(dialog, IDOK);
        ReplaceFileNameField(dialog, typed);
        PressButton(dialog, IDOK);
    });
    int calls = 0;
    SaveRecordingWith([&](OPENFILENAMEW* dialog) {
        if (++calls > 1) return GetSaveFileNameW(dialog);
        OPENFILENAMEW refused = *dialog;
        refused.lStructSize = 1;
        return GetSaveFileNameW(&refused);
    });
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(ReadWholeFile(typed + L".avi"), "recording");
    const std::vector<SeenDialog> seen = watcher.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].caption, L"提示");
    EXPECT_NE(seen[0].text.find(L"0x0001"), std::wstring::npos) << NarrowText(seen[0].text, CP_UTF8);
    EXPECT_EQ(seen[1].caption, L"Save Record File");
    ExpectBackAtTheStartupWindow();
}

// An encoder that never finishes is ended after the wait, and the teacher
// told that the lesson may be incomplete; then the failed finish is told.
TEST_F(SaveTest, AnEncoderHangingOnQuitIsEndedAndTheTeacherTold) {
    ScopedEnvironment hang(L"TAVRIX_FAKE_ENCODER_HANG_ON_QUIT", L"1");
    RecordALittle();
    DialogWatcher boxes;
    const DWORD start = GetTickCount();
    EXPECT_EQ(FinishEncoder(1500), EncoderProcess::kEncoderLost);
    EXPECT_GE(GetTickCount() - start, 1500u);
    EXPECT_FALSE(IsEncoderProcessRunning());
    const std::vector<SeenDialog> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"提示");
    EXPECT_EQ(seen[0].text, L"录制程序长时间没有结束，已被强行关闭，这次的录像可能不完整。");
}

TEST(ShowMoveError, ShowsTheOperationTheCodeAndTheSystemText) {
    DialogWatcher boxes;
    SetLastError(ERROR_ACCESS_DENIED);
    ShowMoveError(L"MoveFileEx");
    const std::vector<SeenDialog> seen = boxes.Seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].messageBox);
    EXPECT_EQ(seen[0].caption, L"Error");
    const std::wstring system = SystemText(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(system.empty());
    EXPECT_EQ(seen[0].text, L"MoveFileEx failed with error 5: " + system);
}

TEST(DefaultRecordingName, IsPlumexAndTheLocalTimeInTwentyFourCharacters) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const __time64_t now = _time64(nullptr);
        const std::wstring name = MakeDefaultRecordingName();
        if (_time64(nullptr) != now) continue;  // the second turned meanwhile
        std::tm local = {};
        _localtime64_s(&local, &now);
        EXPECT_EQ(name, WidenText(FormatRecordingName(local), CP_ACP));
        EXPECT_EQ(name.size(), 24u);
        return;
    }
    FAIL() << "the clock kept turning";
}

// The real Save dialog, answered through its own controls: a name typed
// without an extension is saved with ".avi".
TEST_F(SaveTest, TheRealSaveDialogAddsTheDefaultExtension) {
    ASSERT_TRUE(WriteWholeFile(m_temporary, "recording"));
    const std::wstring typed = m_folder + L"typed";
    std::wstring shown;
    DialogWatcher dialogs([&](HWND dialog, const SeenDialog& seen) {
        if (seen.messageBox) return PressButton(dialog, IDOK);
        shown = ReplaceFileNameField(dialog, typed);
        PressButton(dialog, IDOK);
    });
    SaveRecording();
    const std::vector<SeenDialog> seen = dialogs.Seen();
    ASSERT_GE(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, L"Save Record File");
    EXPECT_EQ(seen.size(), 1u) << "unexpected box: " << NarrowText(seen.back().text, CP_UTF8);
    EXPECT_EQ(shown.rfind(L"Plumex_", 0), 0u);
    EXPECT_EQ(ReadWholeFile(typed + L".avi"), "recording");
    EXPECT_FALSE(FileExists(m_temporary));
    ExpectBackAtTheStartupWindow();
}

}  // namespace

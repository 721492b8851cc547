// A recording left behind, under Wine with the test encoder's recovery mode:
// found in a Rec….tmp folder, its duration read from its segments, offered;
// 现在保存 joins it and opens the Save dialog, 以后再说 (and Escape) keeps it,
// 删除 asks once more before it deletes, a failed join keeps it; litter
// folders go, folders that are not ours stay, folders in use are not touched;
// a work folder set by school IT takes the recordings.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "recording/encoder_process_win.h"
#include "recording/leftover_recording.h"
#include "recording/leftover_recording_win.h"
#include "recording/folder_lock_win.h"
#include "recording/work_folder_win.h"
#include "support/path.h"
#include "support/text_win.h"
#include "support/unique_win.h"
#include "tests/win/ui_test_support.h"
#include "ui/leftover_offer_win.h"

namespace {

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class RecoveryTest : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        m_temp = std::wstring(temp) + L"tavrix-recovery-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_temp.c_str(), nullptr);
        m_sample = WidenText(TAVRIX_TEST_DATA, CP_ACP) + L"\\av.mkv";
        ASSERT_TRUE(Exists(m_sample));
    }
    void TearDown() override {
        for (const wchar_t* name : m_set) SetEnvironmentVariableW(name, nullptr);
        for (const std::wstring& folder : m_folders) DeleteRecordingFiles(folder + L"\\temp.avi");
        DeleteFileW(m_target.c_str());
        for (const std::wstring& folder : m_cleanup) RemoveDirectoryW(folder.c_str());
        RemoveDirectoryW(m_temp.c_str());
    }
    // A folder as a crash leaves it: two segments, the encoder's log, an empty
    // recording file.
    std::wstring LeaveRecording(const wchar_t* name) {
        const std::wstring folder = m_temp + L"\\" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        CopyFileW(m_sample.c_str(), (folder + L"\\temp.avi.part001.mkv").c_str(), FALSE);
        CopyFileW(m_sample.c_str(), (folder + L"\\temp.avi.part002.mkv").c_str(), FALSE);
        Write(folder + L"\\temp.avi.encoder.log", "core ended\r\n");
        Write(folder + L"\\temp.avi", "");
        m_folders.push_back(folder);
        return folder;
    }
    static void Write(const std::wstring& path, const std::string& text) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    void Set(const wchar_t* name, const wchar_t* value) {
        SetEnvironmentVariableW(name, value);
        m_set.push_back(name);
    }
    // The Save dialog stand-in: answers with m_target.
    SaveDialog Choose() {
        return [this](OPENFILENAMEW* dialog) {
            ++m_dialogs;
            lstrcpynW(dialog->lpstrFile, m_target.c_str(), static_cast<int>(dialog->nMaxFile));
            return TRUE;
        };
    }
    static DWORD NoError() { return 0; }

    std::wstring m_temp;
    std::wstring m_sample;
    std::wstring m_target;
    std::vector<std::wstring> m_folders;
    std::vector<std::wstring> m_cleanup;  // empty folders to remove last
    std::vector<const wchar_t*> m_set;
    int m_dialogs = 0;
};

TEST_F(RecoveryTest, FindsLeftoversWithTheirDurationAndClearsOnlyLitter) {
    const std::wstring left = LeaveRecording(L"RecA1.tmp");
    const std::wstring litter = m_temp + L"\\RecB2.tmp";
    CreateDirectoryW(litter.c_str(), nullptr);
    Write(litter + L"\\temp.avi", "");
    const std::wstring foreign = m_temp + L"\\RecC3.tmp";
    CreateDirectoryW(foreign.c_str(), nullptr);
    Write(foreign + L"\\report.doc", "someone else's");
    m_folders.push_back(foreign);

    const std::vector<LeftoverRecording> found = FindLeftoverRecordings(m_temp, std::wstring());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].recordingPath, left + L"\\temp.avi");
    ASSERT_EQ(found[0].segments.size(), 2u);
    EXPECT_EQ(found[0].segments[0], left + L"\\temp.avi.part001.mkv");
    // Two copies of the sample: twice its picture span.
    const int64_t one = SegmentDurationNs(m_sample);
    EXPECT_GT(one, 500000000);
    EXPECT_EQ(found[0].durationNs, 2 * one);
    EXPECT_FALSE(Exists(litter));
    EXPECT_TRUE(Exists(foreign + L"\\report.doc"));
    // The folder of the running recording is never offered.
    EXPECT_TRUE(FindLeftoverRecordings(m_temp, left + L"\\temp.avi").empty());
    DeleteFileW((foreign + L"\\report.doc").c_str());
}

// Answers each box in turn with the next of `buttons`, and notes the texts
// of the first box's buttons.
class AnswerInTurn : public DialogWatcher {
public:
    explicit AnswerInTurn(std::vector<int> buttons)
        : DialogWatcher([this](HWND box, const SeenDialog&) {
              wchar_t text[64] = {};
              for (int id : {IDYES, IDNO, IDCANCEL}) {
                  GetDlgItemTextW(box, id, text, 64);
                  if (m_names.size() < 3) m_names.push_back(text);
              }
              const int button = m_next < m_buttons.size() ? m_buttons[m_next++] : IDCANCEL;
              PressButton(box, button);
          }),
          m_buttons(std::move(buttons)) {}
    const std::vector<std::wstring>& Names() const { return m_names; }

private:
    std::vector<int> m_buttons;
    size_t m_next = 0;
    std::vector<std::wstring> m_names;
};

TEST_F(RecoveryTest, SaveNowJoinsTheSegmentsAndOffersTheSaveDialog) {
    const std::wstring left = LeaveRecording(L"RecD4.tmp");
    m_target = m_temp + L"\\lesson.avi";
    const int64_t duration = 2 * SegmentDurationNs(m_sample);
    AnswerInTurn watcher({IDYES});
    OfferLeftoverRecordingsWith(m_temp, std::wstring(), Choose(), NoError);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].caption, L"提示");
    EXPECT_EQ(watcher.Seen()[0].text, LeftoverQuestion(duration) + L"\n\n" + kLeftoverLaterHint);
    EXPECT_EQ(watcher.Names(), (std::vector<std::wstring>{L"现在保存", L"删除", L"以后再说"}));
    EXPECT_EQ(m_dialogs, 1);
    EXPECT_TRUE(Exists(m_target));
    // Saved: the segments, the logs and the folder are gone.
    EXPECT_FALSE(Exists(left));
}

// A teacher about to start class means "not now": Escape and closing the box
// keep the lesson; 删除 deletes only when asked once more.
TEST_F(RecoveryTest, LaterKeepsTheLeftoverAndDeleteAsksOnceMore) {
    const std::wstring left = LeaveRecording(L"RecE5.tmp");
    for (const std::vector<int>& answers : {std::vector<int>{IDCANCEL}, std::vector<int>{IDNO, IDNO}}) {
        AnswerInTurn watcher(answers);
        OfferLeftoverRecordingsWith(m_temp, std::wstring(), Choose(), NoError);
        ASSERT_EQ(watcher.Seen().size(), answers.size());
        EXPECT_TRUE(Exists(left + L"\\temp.avi.part001.mkv")) << answers.size();
        EXPECT_TRUE(Exists(left + L"\\temp.avi.part002.mkv")) << answers.size();
        // Asked once more, naming what 删除 does.
        if (answers.size() == 2) {
            EXPECT_EQ(watcher.Seen()[1].text, kLeftoverDeleteQuestion);
        }
    }
    EXPECT_EQ(m_dialogs, 0);
    {
        AnswerInTurn watcher({IDNO, IDYES});
        OfferLeftoverRecordingsWith(m_temp, std::wstring(), Choose(), NoError);
        EXPECT_EQ(watcher.Seen().size(), 2u);
    }
    EXPECT_FALSE(Exists(left));
    EXPECT_EQ(m_dialogs, 0);
}

TEST_F(RecoveryTest, AFailedJoinKeepsTheLeftover) {
    const std::wstring kept = LeaveRecording(L"RecF6.tmp");
    Set(L"TAVRIX_FAKE_ENCODER_QUIT_EXIT", L"6");
    BoxWatcher watcher(nullptr, IDYES);  // Yes to the question; the message takes it as OK
    OfferLeftoverRecordingsWith(m_temp, std::wstring(), Choose(), NoError);
    ASSERT_EQ(watcher.Seen().size(), 2u);
    EXPECT_EQ(watcher.Seen()[1].text, FinishFailureText(6));
    EXPECT_EQ(m_dialogs, 0);
    EXPECT_TRUE(Exists(kept + L"\\temp.avi.part001.mkv"));
    EXPECT_TRUE(Exists(kept + L"\\temp.avi.part002.mkv"));
}

}  // namespace

namespace {

// A folder another instance uses (another teacher's session, a work folder
// all share) is neither offered nor removed, even as litter.
TEST_F(RecoveryTest, AFolderInUseIsNotOfferedNorRemoved) {
    const std::wstring busy = LeaveRecording(L"RecG7.tmp");
    const std::wstring idle = m_temp + L"\\RecH8.tmp";
    CreateDirectoryW(idle.c_str(), nullptr);
    Write(idle + L"\\temp.avi", "");  // litter, but in use
    {
        RecordingFolderLock busyLock, idleLock;
        ASSERT_TRUE(busyLock.Take(busy + L"\\temp.avi"));
        ASSERT_TRUE(idleLock.Take(idle + L"\\temp.avi"));
        RecordingFolderLock second;
        EXPECT_FALSE(second.Take(busy + L"\\temp.avi"));  // one holder at a time
        EXPECT_FALSE(DeleteFileW((busy + L"\\temp.avi.lock").c_str()));
        EXPECT_TRUE(FindLeftoverRecordings(m_temp, std::wstring()).empty());
        EXPECT_TRUE(Exists(idle + L"\\temp.avi"));
    }
    // Released (or its holder killed): the lock file went with the handle.
    EXPECT_FALSE(Exists(busy + L"\\temp.avi.lock"));
    const std::vector<LeftoverRecording> found = FindLeftoverRecordings(m_temp, std::wstring());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].recordingPath, busy + L"\\temp.avi");
    EXPECT_FALSE(Exists(idle));
}

// School IT set a work folder (the installer's /WORKDIR=): recordings are
// made under it, one folder a user, and what is left there is offered.
TEST_F(RecoveryTest, TheWorkFolderFromTheRegistryTakesTheRecordings) {
    const std::wstring work = m_temp + L"\\work";
    UniqueKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWorkFolderKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_32KEY,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), kWorkFolderValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(work.c_str()),
                             static_cast<DWORD>((work.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const std::wstring user = UserWorkFolder();
    const std::string path = MakeTempRecordingPath();
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kWorkFolderKey, KEY_WOW64_32KEY, 0);
    ASSERT_FALSE(user.empty());
    EXPECT_EQ(user.rfind(work + L"\\", 0), 0u) << NarrowText(user, CP_UTF8);
    const std::wstring recording = WidenText(path, CP_ACP);
    EXPECT_EQ(recording.rfind(user + L"\\RecClass", 0), 0u) << path;
    EXPECT_EQ(FileNameOfPath(recording), L"temp.avi");
    // No longer set: the temporary folder, as before.
    EXPECT_TRUE(UserWorkFolder().empty());
    const std::wstring folder = RecordingFolderOf(recording);
    CopyFileW(m_sample.c_str(), (recording + L".part001.mkv").c_str(), FALSE);
    const std::vector<LeftoverRecording> found = FindLeftoverRecordings(user, std::wstring());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].recordingPath, recording);
    m_folders.push_back(folder);
    m_cleanup = {user, work};
}

}  // namespace

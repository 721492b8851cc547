// A recording left behind, under Wine with the test encoder's recovery mode:
// found in a Rec….tmp folder, its duration read from its segments, offered;
// Yes joins it and opens the Save dialog, No deletes it, a failed join keeps
// it; litter folders go, folders that are not ours stay.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "recording/encoder_process_win.h"
#include "recording/leftover_recording.h"
#include "recording/leftover_recording_win.h"
#include "support/text_win.h"
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

TEST_F(RecoveryTest, YesJoinsTheSegmentsAndOffersTheSaveDialog) {
    const std::wstring left = LeaveRecording(L"RecD4.tmp");
    m_target = m_temp + L"\\lesson.avi";
    const int64_t duration = 2 * SegmentDurationNs(m_sample);
    BoxWatcher watcher(nullptr, IDYES);
    OfferLeftoverRecordingsWith(m_temp, std::wstring(), Choose(), NoError);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].caption, L"提示");
    EXPECT_EQ(watcher.Seen()[0].text, LeftoverQuestion(duration));
    EXPECT_EQ(m_dialogs, 1);
    EXPECT_TRUE(Exists(m_target));
    // Saved: the segments, the logs and the folder are gone.
    EXPECT_FALSE(Exists(left));
}

TEST_F(RecoveryTest, NoDeletesTheLeftoverAndAFailedJoinKeepsIt) {
    const std::wstring discarded = LeaveRecording(L"RecE5.tmp");
    {
        BoxWatcher watcher(nullptr, IDNO);
        OfferLeftoverRecordingsWith(m_temp, std::wstring(), Choose(), NoError);
        EXPECT_EQ(watcher.Seen().size(), 1u);
    }
    EXPECT_FALSE(Exists(discarded));
    EXPECT_EQ(m_dialogs, 0);

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

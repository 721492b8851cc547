// A status bar that cannot be made once the encoder runs: the recording is
// ended and deleted rather than left running with nothing to stop it.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "recording/encoder_process_win.h"
#include "support/text_win.h"
#include "tests/win/ui_test_support.h"
#include "ui/ready_frame.h"
#include "ui/skinned_frame.h"
#include "ui/window_state.h"

namespace {

// A copy of the skin folder whose status bar lacks its stop button.
std::wstring SkinFolderWithoutStop(const std::wstring& from, const std::wstring& to) {
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((from + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::wstring();
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileW((from + found.cFileName).c_str(), (to + found.cFileName).c_str(), FALSE);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    const std::string path = NarrowText(to + L"status.xml", CP_ACP);
    std::stringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    std::string skin = text.str();
    const size_t at = skin.find("name=\"btnStop\"");
    if (at == std::string::npos) return std::wstring();
    skin.replace(at, 14, "name=\"btnPause\"");
    std::ofstream(path, std::ios::binary | std::ios::trunc) << skin;
    return to;
}

struct BrokenBarTest : FlowTest {
    void TearDown() override {
        SkinFailureReporter = m_previousReporter;
        TerminateEncodersHook = nullptr;
        FlowTest::TearDown();
    }
    decltype(SkinFailureReporter) m_previousReporter = SkinFailureReporter;
};

TEST_F(BrokenBarTest, EndsTheRecordingItCannotShowAndGoesBackToTheStart) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring skins = SkinFolderWithoutStop(
        CPaintManagerUI::GetResourcePath(), std::wstring(temp) + L"flow-skin-" + std::to_wstring(GetCurrentProcessId()) + L"\\");
    ASSERT_FALSE(skins.empty());
    CPaintManagerUI::SetResourcePath(skins.c_str());
    std::vector<std::wstring> told;
    SkinFailureReporter = [&told](const std::wstring& file, const std::wstring& problem) {
        told.push_back(file + L": " + problem);
    };
    // No help from the skin check: the countdown itself must end the encoder.
    TerminateEncodersHook = nullptr;
    BoxWatcher watcher;

    TakeQuitSeen();
    StartCountdown();
    ASSERT_TRUE(PumpUntil([&] { return startup.Visible(); }, 7000));
    EXPECT_TRUE(TakeQuitSeen());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(L"status.xml"), std::wstring::npos) << told[0];
    EXPECT_NE(told[0].find(L"btnStop"), std::wstring::npos) << told[0];
    // Told once, by the skin check; the recording is gone.
    EXPECT_TRUE(watcher.Seen().empty());
    EXPECT_EQ(StatusHwnd, nullptr);
    EXPECT_FALSE(IsEncoderProcessRunning());
    EXPECT_EQ(GetFileAttributesW(env.RecordingFile().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(env.CommandsReceived("d\n"), 1);  // thrown away at once
    EXPECT_EQ(startup.Closes(), 0);
}

}  // namespace

// The encoder child under Wine with the test encoder (ffmpeg.exe beside this
// program): the bytes on its pipe, its file, its faults, the handles left
// behind, and the system-wide scans by process name.
#include <gtest/gtest.h>

#include <windows.h>

#include "protocol/environment.h"
#include "recording/record_options.h"
#include "recording/encoder_process_win.h"
#include "support/text_win.h"
#include "tests/win/win_test_support.h"

namespace {

// A recording into a scratch folder, with the test encoder's side file there.
class EncoderTest : public testing::Test {
protected:
    void SetUp() override {
        m_folder = MakeScratchFolder(L"encoder");
        m_output = m_folder + L"rec.avi";
        m_sideFile = m_folder + L"commands.log";
        RecordingPath = NarrowText(m_output, CP_ACP);
        // Speaker sound at normal quality: no microphone lookup is needed.
        RecordOptions::Instance()->recordAudio = 1;
        RecordOptions::Instance()->audioSources = 1;
        RecordOptions::Instance()->videoQuality = 0;
    }
    void TearDown() override { TerminateEncoderProcesses(); }

    std::vector<std::string> Commands() {
        std::vector<std::string> commands;
        for (const std::string& e : SideFileEvents(m_sideFile))
            if (e.rfind("command ", 0) == 0) commands.push_back(e.substr(8));
        return commands;
    }
    bool SideFileHas(const std::string& prefix) {
        for (const std::string& e : SideFileEvents(m_sideFile))
            if (e.rfind(prefix, 0) == 0) return true;
        return false;
    }

    std::wstring m_folder;
    std::wstring m_output;
    std::wstring m_sideFile;
    ScopedEnvironment m_side{kFakeEncoderLogVariable, L""};
    void UseSideFile() { SetEnvironmentVariableW(kFakeEncoderLogVariable, m_sideFile.c_str()); }
};

TEST_F(EncoderTest, EachCommandArrivesAsItsTwoBytesAndPausedTimeLeavesNoFrames) {
    UseSideFile();
    LogCapture log;
    ASSERT_EQ(EncoderProcess::Start(), 1);
    ASSERT_TRUE(WaitFor([&] { return SideFileHas("start "); }, 10000));
    Sleep(700);
    EncoderProcess::Pause();
    Sleep(2000);
    EncoderProcess::Resume();
    Sleep(700);
    EncoderProcess::Pause();
    EncoderProcess::Stop(WaitBlocking);

    EXPECT_EQ(Commands(), (std::vector<std::string>{"70 0a", "72 0a", "70 0a", "71 0a"}));
    EXPECT_TRUE(SideFileHas("finished "));

    // The logged command line is the one the encoder was given; its exit
    // code follows it in the log.
    const std::vector<std::string> messages = log.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "the encoder finished with exit code 0");
    EXPECT_EQ(messages[0].rfind("ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\"", 0), 0u);
    EXPECT_TRUE(SideFileHas("start " + std::string()));
    bool sameLine = false;
    for (const std::string& e : SideFileEvents(m_sideFile))
        if (e.rfind("start ", 0) == 0) sameLine = e.substr(e.find(' ', 6) + 1) == messages[0];
    EXPECT_TRUE(sameLine) << "the encoder received another command line than the one logged";

    // A complete file of about 1.4 s at 10 frames a second; the frames are
    // 100 ms apart but for one gap of the pause's length. (A machine under
    // load may stall the encoder for a moment, never for seconds.)
    const AviContents avi = ReadAvi(m_output);
    ASSERT_TRUE(avi.valid);
    EXPECT_EQ(avi.headerFrames, avi.stamps.size());
    EXPECT_EQ(avi.indexEntries, avi.stamps.size());
    EXPECT_GE(avi.stamps.size(), 10u);
    EXPECT_LE(avi.stamps.size(), 30u);
    int pauseGaps = 0;
    for (size_t i = 1; i < avi.stamps.size(); ++i)
        if (avi.stamps[i] - avi.stamps[i - 1] > 1500) ++pauseGaps;
    EXPECT_EQ(pauseGaps, 1);
}

TEST_F(EncoderTest, StopAfterTheEncoderVanishedReturnsAtOnceAndKeepsThePartialFile) {
    ScopedEnvironment crash(kFakeEncoderCrashAfterVariable, L"600");
    ASSERT_EQ(EncoderProcess::Start(), 1);
    ASSERT_TRUE(WaitFor([] { return !IsEncoderProcessRunning(); }, 10000));
    const AviContents partial = ReadAvi(m_output);
    ASSERT_TRUE(partial.valid);
    EXPECT_GT(partial.stamps.size(), 0u);
    EXPECT_EQ(partial.headerFrames, 0u);  // never finished

    DialogWatcher boxes;
    const DWORD start = GetTickCount();
    EncoderProcess::Stop(WaitBlocking);
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_TRUE(FileExists(m_output));
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(EncoderTest, AnEncoderThatExitsAtOnceCountsAsStartedAndStopsAtOnce) {
    ScopedEnvironment exitAtOnce(kFakeEncoderExitAtOnceVariable, L"4");
    ASSERT_EQ(EncoderProcess::Start(), 1);
    ASSERT_TRUE(WaitFor([] { return !IsEncoderProcessRunning(); }, 10000));
    const DWORD start = GetTickCount();
    EncoderProcess::Stop(WaitBlocking);
    EXPECT_LT(GetTickCount() - start, 1000u);
}

TEST_F(EncoderTest, StopWaitsForASlowFinishWithoutTellingTheUser) {
    ScopedEnvironment slow(kFakeEncoderFinishVariable, L"1500");
    ASSERT_EQ(EncoderProcess::Start(), 1);
    Sleep(300);
    EncoderProcess::Pause();
    DialogWatcher boxes;
    const DWORD start = GetTickCount();
    EncoderProcess::Stop(WaitBlocking);
    EXPECT_GE(GetTickCount() - start, 1400u);
    const AviContents avi = ReadAvi(m_output);
    ASSERT_TRUE(avi.valid);
    EXPECT_EQ(avi.headerFrames, avi.stamps.size());
    EXPECT_FALSE(IsEncoderProcessRunning());
    EXPECT_TRUE(boxes.Seen().empty());
}

// Told by the windows (the finish's own test): the engine only reports it.
TEST_F(EncoderTest, AnEncoderHangingOnQuitIsEndedAfterTheWaitAndSaysSo) {
    ScopedEnvironment hang(kFakeEncoderHangOnQuitVariable, L"1");
    UseSideFile();
    ASSERT_EQ(EncoderProcess::Start(), 1);
    ASSERT_TRUE(WaitFor([&] { return SideFileHas("start "); }, 10000));
    EncoderProcess::Pause();
    DialogWatcher boxes;
    const DWORD start = GetTickCount();
    const EncoderProcess::StopResult stopped = EncoderProcess::Stop(WaitBlocking, 1500);
    const DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 1500u);
    EXPECT_LT(waited, 15000u);
    EXPECT_TRUE(stopped.endedByForce);
    EXPECT_EQ(stopped.exitCode, EncoderProcess::kEncoderLost);
    EXPECT_TRUE(SideFileHas("hanging"));
    EXPECT_FALSE(IsEncoderProcessRunning());
    EXPECT_TRUE(boxes.Seen().empty());
}

TEST_F(EncoderTest, AHundredRecordingsLeaveNoHandleBehind) {
    UseSideFile();
    auto cycle = [] {
        if (EncoderProcess::Start() != 1) return false;
        EncoderProcess::Pause();
        EncoderProcess::Resume();
        EncoderProcess::Pause();
        EncoderProcess::Stop(WaitBlocking);
        return true;
    };
    ASSERT_TRUE(cycle());  // the first start opens what the system keeps for good
    const DWORD before = OpenHandleCount();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(cycle()) << "cycle " << i;
    EXPECT_EQ(OpenHandleCount(), before);
    EXPECT_EQ(Commands().size(), 101u * 4u);
}

TEST_F(EncoderTest, TwoRecordingsWriteTheSamePathAndTheSecondReplacesTheFirst) {
    size_t firstFrames = 0;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(EncoderProcess::Start(), 1);
        Sleep(i == 0 ? 2000 : 200);
        EncoderProcess::Pause();
        EncoderProcess::Stop(WaitBlocking);
        if (i == 0) firstFrames = ReadAvi(m_output).stamps.size();
    }
    ASSERT_GE(firstFrames, 15u);
    const AviContents second = ReadAvi(m_output);
    ASSERT_TRUE(second.valid);
    EXPECT_EQ(second.headerFrames, second.stamps.size());
    EXPECT_LT(second.stamps.size(), firstFrames / 2);
}

// Without an encoder beside the program: a copy of the probe program in an
// empty folder reports the start's result, its handle counts and its log.
TEST(EncoderStart, WithoutAnEncoderBesideTheProgramFailsLeavingNoHandleButTheLogLine) {
    const std::wstring folder = MakeScratchFolder(L"lonely");
    const std::wstring probe = folder + L"tavrix_engine_probe.exe";
    ASSERT_TRUE(CopyFileW((TestProgramFolder() + L"tavrix_engine_probe.exe").c_str(), probe.c_str(), FALSE));
    const std::wstring result = folder + L"result.txt";
    const std::wstring logFile = folder + L"tavrix.log";
    std::wstring commandLine = L"\"" + probe + L"\" start-without-encoder \"" + result + L"\" \"" + logFile + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(probe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                               folder.c_str(), &startup, &process));
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const std::string text = ReadWholeFile(result);
    unsigned started = 9, before = 0, after = 1;
    ASSERT_EQ(std::sscanf(text.c_str(), "started=%u handles_before=%u handles_after=%u", &started, &before, &after), 3)
        << text;
    EXPECT_EQ(started, 0u);
    EXPECT_EQ(after, before);
    const std::string log = ReadWholeFile(logFile);
    EXPECT_NE(log.find(" DEBUG: ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\""), std::string::npos)
        << log;
    EXPECT_NE(log.find("temp.avi\"\r\n"), std::string::npos) << log;
}

// Processes named ffmpeg.exe are ended whoever started them; the check for a
// running encoder ignores letter case, the clean-up does not.
TEST(EncoderProcessScan, EndsExactlyFfmpegExeButCountsEveryLetterCase) {
    const std::wstring idle = TestProgramFolder() + L"tavrix_idle_process.exe";
    const std::wstring lower = MakeScratchFolder(L"lower") + L"ffmpeg.exe";
    const std::wstring upper = MakeScratchFolder(L"upper") + L"FFMPEG.EXE";
    ASSERT_TRUE(CopyFileW(idle.c_str(), lower.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(idle.c_str(), upper.c_str(), FALSE));
    auto launch = [](const std::wstring& path) {
        std::wstring commandLine = L"\"" + path + L"\" 60000";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                            nullptr, &startup, &process))
            return HANDLE(nullptr);
        CloseHandle(process.hThread);
        return process.hProcess;
    };
    TerminateEncoderProcesses();
    ASSERT_TRUE(WaitFor([] { return !IsEncoderProcessRunning(); }, 5000));

    HANDLE exact = launch(lower);
    HANDLE otherCase = launch(upper);
    ASSERT_NE(exact, nullptr);
    ASSERT_NE(otherCase, nullptr);
    Sleep(500);
    TerminateEncoderProcesses();
    EXPECT_EQ(WaitForSingleObject(exact, 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(exact, &code);
    EXPECT_EQ(code, 9u);
    EXPECT_EQ(WaitForSingleObject(otherCase, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(IsEncoderProcessRunning());

    TerminateProcess(otherCase, 0);
    WaitForSingleObject(otherCase, 5000);
    EXPECT_TRUE(WaitFor([] { return !IsEncoderProcessRunning(); }, 5000));
    CloseHandle(exact);
    CloseHandle(otherCase);
}

TEST(TempRecordingPath, IsTempAviInANewFolderUnderTheTemporaryFolder) {
    const std::string first = MakeTempRecordingPath();
    const std::string second = MakeTempRecordingPath();
    for (const std::string& path : {first, second}) {
        ASSERT_GT(path.size(), 9u);
        EXPECT_EQ(path.substr(path.size() - 9), "\\temp.avi");
        const std::string folder = path.substr(0, path.size() - 9);
        const DWORD attributes = GetFileAttributesA(folder.c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << folder;
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
        // The runtime may shorten the prefix; what is left of it stays.
        EXPECT_NE(folder.find("\\Rec", 0), std::string::npos) << folder;
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        char longTemp[MAX_PATH] = {}, longFolder[MAX_PATH] = {};
        GetLongPathNameA(temp, longTemp, MAX_PATH);
        GetLongPathNameA(folder.c_str(), longFolder, MAX_PATH);
        EXPECT_EQ(_strnicmp(longFolder, longTemp, strlen(longTemp)), 0) << longFolder << " not under " << longTemp;
        RemoveDirectoryA(folder.c_str());
    }
    EXPECT_NE(first, second);
}

}  // namespace

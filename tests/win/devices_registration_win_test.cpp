// Registration of the capture filters under Wine: the real regsvr32 started
// on stand-in COM servers in a folder with blanks, and the log lines.
#include <gtest/gtest.h>

#include <windows.h>

#include "devices/capture_registration_win.h"
#include "support/text_win.h"
#include "tests/win/win_test_support.h"

namespace {

TEST(CaptureRegistration, TheToolRegistersBothDllsFromAFolderWithBlanks) {
    const std::wstring folder = MakeScratchFolder(L"filters with blanks");
    const std::wstring fake = TestProgramFolder() + L"tavrix_fake_filter.dll";
    for (const wchar_t* name : {L"screen-capture-recorder.dll", L"audio_sniffer.dll"})
        ASSERT_TRUE(CopyFileW(fake.c_str(), (folder + name).c_str(), FALSE));
    LogCapture log;
    EXPECT_TRUE(RegisterCaptureFiltersWithTool(folder, RegistrationToolPath()));
    const std::string narrowFolder = NarrowText(folder, CP_ACP);
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{
                                  "regsvr32 /s \"" + narrowFolder + "screen-capture-recorder.dll\"",
                                  "regsvr32 /s \"" + narrowFolder + "audio_sniffer.dll\"",
                              }));
    // The tool loaded each DLL by the quoted path and called its registration.
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"screen-capture-recorder.dll.registered"); }, 20000));
    EXPECT_TRUE(WaitFor([&] { return FileExists(folder + L"audio_sniffer.dll.registered"); }, 20000));
}

TEST(CaptureRegistration, AtStartUpEachFilterLogsOneLine) {
    LogCapture log;
    EXPECT_TRUE(CaptureDriverRegistration(nullptr));
    const std::string folder = NarrowText(TestProgramFolder(), CP_ACP);
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{
                                  "regsvr32 /s \"" + folder + "screen-capture-recorder.dll\"",
                                  "regsvr32 /s \"" + folder + "audio_sniffer.dll\"",
                              }));
    EXPECT_TRUE(RegisterScreenCaptureFilter(nullptr));
    EXPECT_TRUE(RegisterAudioCaptureFilter(nullptr));
    EXPECT_EQ(log.Messages().size(), 4u);
}

TEST(CaptureRegistration, AToolThatCannotStartLogsTheLineAndTheFailureAndStopsThere) {
    const std::wstring folder = MakeScratchFolder(L"no tool");
    const std::wstring missingTool = folder + L"regsvr32.exe";
    const std::string narrowFolder = NarrowText(folder, CP_ACP);
    {
        LogCapture log;
        EXPECT_FALSE(RegisterCaptureFiltersWithTool(folder, missingTool));
        EXPECT_EQ(log.Messages(), (std::vector<std::string>{
                                      "regsvr32 /s \"" + narrowFolder + "screen-capture-recorder.dll\"",
                                      "register video capture failed",
                                  }));
    }
    {
        LogCapture log;
        EXPECT_FALSE(RegisterCaptureFilterWithTool(kAudioCaptureFilter, folder, missingTool));
        EXPECT_EQ(log.Messages(), (std::vector<std::string>{
                                      "regsvr32 /s \"" + narrowFolder + "audio_sniffer.dll\"",
                                      "register audio capture failed",
                                  }));
    }
}

}  // namespace

// Microphone discovery through the real DirectShow enumeration, with no audio
// input present (the test prefix has no sound card), and what the command line
// then does with a microphone request.
#include <gtest/gtest.h>

#include <windows.h>

#include "devices/microphone_win.h"
#include "devices/os_version_win.h"
#include "recording/capture_command_win.h"
#include "support/unique_win.h"

namespace {

DWORD WINAPI FindOnThread(void* out) {
    *static_cast<std::wstring*>(out) = FindMicrophoneName();
    return 0;
}

TEST(MicrophoneAbsent, EmptyNameAndNoMicrophoneOnTheCommandLine) {
    ScopedCom com;
    EXPECT_EQ(FindMicrophoneName(), L"");
    std::wstring line;
    // Mix requested, no microphone: speaker only, no mix filter.
    EXPECT_EQ(BuildCaptureCommandLine(Rect{0, 0, 64, 64}, line, L"C:\\t.avi", 0x301), 0x101);
    EXPECT_EQ(line.find(L"amix"), std::wstring::npos);
    EXPECT_NE(line.find(L"-c:a aac \"C:\\t.avi\""), std::wstring::npos) << line;
    // Microphone only: a silent recording.
    EXPECT_EQ(BuildCaptureCommandLine(Rect{0, 0, 64, 64}, line, L"C:\\t.avi", 0x201), 1);
    EXPECT_EQ(line.find(L"audio="), std::wstring::npos);
}

TEST(MicrophoneAbsent, WithoutComTheAnswerIsEmpty) {
    // On a thread that never entered COM the enumerator cannot be made.
    std::wstring name = L"unset";
    const UniqueHandle thread(CreateThread(nullptr, 0, FindOnThread, &name, 0, nullptr));
    ASSERT_TRUE(thread);
    WaitForSingleObject(thread.get(), INFINITE);
    EXPECT_EQ(name, L"");
}

TEST(OsVersion, TheTestPrefixIsCurrentWindows) {
    EXPECT_TRUE(IsVistaOrLater());
}

}  // namespace

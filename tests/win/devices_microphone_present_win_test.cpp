// Microphone discovery with one wave-in device present (a null ALSA device,
// which Wine lists as "In: default"), through the real DirectShow enumeration.
#include <gtest/gtest.h>

#include <windows.h>

#include "devices/microphone_win.h"
#include "recording/capture_command_win.h"
#include "support/unique_win.h"

namespace {

TEST(MicrophonePresent, FoundAndPutOnTheCommandLine) {
    ScopedCom com;
    const std::wstring name = FindMicrophoneName();
    ASSERT_EQ(name, L"In: default");
    // Every call enumerates afresh and gives the same answer while nothing changes.
    EXPECT_EQ(FindMicrophoneName(), name);

    std::wstring line;
    EXPECT_EQ(BuildCaptureCommandLine(Rect{0, 0, 64, 64}, line, L"C:\\t.avi", 0x302), 0x302);
    EXPECT_EQ(line,
              L"ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\""
              L" -f dshow -i audio=\"virtual-audio-capturer\" -f dshow -i audio=\"In: default\""
              L" -pix_fmt yuv420p -c:v libx264 -r 10 -profile high -preset faster"
              L" -b:a 64k -strict -2 -c:a aac -filter_complex amix \"C:\\t.avi\"");
    EXPECT_EQ(BuildCaptureCommandLine(Rect{0, 0, 64, 64}, line, L"C:\\t.avi", 0x201), 0x201);
    EXPECT_NE(line.find(L"-i video=\"screen-capture-recorder\" -f dshow -i audio=\"In: default\" -pix_fmt"),
              std::wstring::npos)
        << line;
}

}  // namespace

// The encoder command line for every combination of Windows class, audio
// request, microphone presence and quality; the capture area normalisation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording/capture_command.h"

namespace {

const std::wstring VIDEO = L"ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\"";
const std::wstring SPEAKER = L" -f dshow -i audio=\"virtual-audio-capturer\"";
const std::wstring MIC = L" -f dshow -i audio=\"Microphone (HD Audio)\"";
const std::wstring NORMAL =
    L" -pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast";
const std::wstring GOOD = L" -pix_fmt yuv420p -c:v libx264 -r 10 -profile high -preset faster";
const std::wstring CODEC = L" -b:a 64k -strict -2 -c:a aac";
const std::wstring MIX = L" -filter_complex amix";
const std::wstring PATH = L"C:\\Users\\老师\\AppData\\Local\\Temp\\RecClass2\\temp.avi";
const std::wstring OUT = L" \"" + PATH + L"\"";

struct Row {
    bool current;
    CaptureFlags audio;
    bool micPresent;
    std::wstring expectedWithoutQuality[2];  // the pieces before and after Q
    int32_t audioSummary;
    bool micAsked;
};

TEST(CaptureCommandLine, EveryRowForBothQualities) {
    const std::vector<Row> rows = {
        {true, 0, true, {VIDEO, OUT}, 0, false},
        {false, 0, true, {VIDEO, OUT}, 0, false},
        {true, 0x100, true, {VIDEO + SPEAKER, CODEC + OUT}, 0x100, false},
        {true, 0x200, true, {VIDEO + MIC, CODEC + OUT}, 0x200, true},
        {true, 0x200, false, {VIDEO, OUT}, 0, true},
        {true, 0x300, true, {VIDEO + SPEAKER + MIC, CODEC + MIX + OUT}, 0x300, true},
        {true, 0x300, false, {VIDEO + SPEAKER, CODEC + OUT}, 0x100, true},
        {false, 0x100, true, {VIDEO + MIC, CODEC + OUT}, 0x200, true},
        {false, 0x200, true, {VIDEO + MIC, CODEC + OUT}, 0x200, true},
        {false, 0x300, true, {VIDEO + MIC, CODEC + OUT}, 0x200, true},
        {false, 0x100, false, {VIDEO, OUT}, 0, true},
        {false, 0x200, false, {VIDEO, OUT}, 0, true},
        {false, 0x300, false, {VIDEO, OUT}, 0, true},
    };
    for (const Row& row : rows) {
        for (CaptureFlags quality : {0u, 1u, 2u, 3u, 0xFFu}) {
            SCOPED_TRACE(testing::Message() << "current=" << row.current << " audio=0x" << std::hex << row.audio
                                            << " mic=" << row.micPresent << " quality=" << quality);
            int asked = 0;
            auto findMicrophone = [&] {
                ++asked;
                return row.micPresent ? std::wstring(L"Microphone (HD Audio)") : std::wstring();
            };
            std::wstring line = L"left over from an earlier call";
            const int32_t summary =
                AssembleCaptureCommandLine(row.current, row.audio | quality, findMicrophone, PATH, line);
            const bool good = quality == 2;
            EXPECT_EQ(line, row.expectedWithoutQuality[0] + (good ? GOOD : NORMAL) + row.expectedWithoutQuality[1]);
            EXPECT_EQ(summary, row.audioSummary + (good ? 2 : 1));
            EXPECT_EQ(asked, row.micAsked ? 1 : 0);
        }
    }
}

TEST(CaptureCommandLine, WholeLinesSpelledOut) {
    std::wstring line;
    auto mic = [] { return std::wstring(L"麦克风 (Realtek)"); };
    AssembleCaptureCommandLine(true, 0x302, mic, L"C:\\t\\temp.avi", line);
    EXPECT_EQ(line,
              L"ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\""
              L" -f dshow -i audio=\"virtual-audio-capturer\" -f dshow -i audio=\"麦克风 (Realtek)\""
              L" -pix_fmt yuv420p -c:v libx264 -r 10 -profile high -preset faster"
              L" -b:a 64k -strict -2 -c:a aac -filter_complex amix \"C:\\t\\temp.avi\"");
    AssembleCaptureCommandLine(true, 0x001, mic, L"C:\\t\\temp.avi", line);
    EXPECT_EQ(line,
              L"ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\""
              L" -pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast"
              L" \"C:\\t\\temp.avi\"");
}

TEST(CaptureFlagsComposition, FromRecordOptions) {
    struct Case { int32_t recordAudio, audioSources, videoQuality; CaptureFlags expected; };
    const Case cases[] = {
        {1, 1, 0, 0x101}, {1, 2, 0, 0x201}, {1, 3, 1, 0x302}, {0, 3, 1, 0x002},
        {0, 1, 0, 0x001}, {1, 0, 0, 0x001}, {1, 3, 7, 0x300}, {1, 1, -1, 0x100},
    };
    for (const Case& c : cases) {
        RecordOptions options;
        options.recordAudio = c.recordAudio;
        options.audioSources = c.audioSources;
        options.videoQuality = c.videoQuality;
        EXPECT_EQ(ComposeCaptureFlags(options), c.expected)
            << c.recordAudio << " " << c.audioSources << " " << c.videoQuality;
    }
}

TEST(CaptureArea, CornersInAnyOrderGiveEvenSizes) {
    struct Case { Rect corners; CaptureArea expected; };
    const Case cases[] = {
        {{300, 200, 100, 50}, {100, 50, 200, 150}},
        {{100, 50, 300, 200}, {100, 50, 200, 150}},
        {{0, 0, 7, 7}, {0, 0, 6, 6}},
        {{10, 10, 11, 11}, {10, 10, 0, 0}},
        {{10, 20, 10, 20}, {10, 20, 2, 2}},
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}},
        {{-1280, -5, 0, 1019}, {-1280, -5, 1280, 1024}},
        {{INT32_MIN, 0, INT32_MAX, 4}, {INT32_MIN, 0, INT32_MAX - 1, 4}},
    };
    for (const Case& c : cases) {
        const CaptureArea a = NormalizeCaptureRect(c.corners);
        EXPECT_EQ(a.x, c.expected.x);
        EXPECT_EQ(a.y, c.expected.y);
        EXPECT_EQ(a.width, c.expected.width);
        EXPECT_EQ(a.height, c.expected.height);
    }
}

TEST(CaptureArea, ScreenFilterValuesInWriteOrder) {
    const ScreenFilterSettings s = MakeScreenFilterSettings(CaptureArea{100, 50, 200, 150});
    const std::wstring names[] = {L"start_x", L"start_y", L"capture_width", L"capture_height", L"default_max_fps",
        L"capture_transparent_windows_including_mouse_in_non_aero_if_1_causes_annoying_mouse_flicker"};
    const uint32_t values[] = {100, 50, 200, 150, 10, 1};
    for (size_t i = 0; i < s.size(); ++i) {
        EXPECT_EQ(s[i].name, names[i]);
        EXPECT_EQ(s[i].value, values[i]);
    }
    // Negative corners (a monitor left of the primary one) keep their bits.
    EXPECT_EQ(MakeScreenFilterSettings(CaptureArea{-1280, 0, 2, 2})[0].value, 0xFFFFFB00u);
}

}  // namespace

#include "devices/os_version.h"

TEST(OsClass, VistaAndLaterOfTheNtFamilyOnly) {
    EXPECT_TRUE(IsCurrentWindows(2, 6));    // Vista, 7
    EXPECT_TRUE(IsCurrentWindows(2, 10));   // 10, 11
    EXPECT_FALSE(IsCurrentWindows(2, 5));   // XP, 2000
    EXPECT_FALSE(IsCurrentWindows(1, 6));   // the 9x family
    EXPECT_FALSE(IsCurrentWindows(0, 0));   // a failed query leaves the record zeroed
}

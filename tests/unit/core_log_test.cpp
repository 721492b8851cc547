// The core's output as the adapter reads it: lines cut from the pipe's bytes,
// level tags taken out, and the grabber's first picture time found in the
// input description the core prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "encoder/core_log.h"

namespace {

// What the core (ffmpeg 5.1) prints for a segment, gate first, with level tags.
const char kSegmentOutput[] =
    "[info] Input #0, ffmetadata, from '\\\\.\\pipe\\tavrix-gate-1f':\r\n"
    "[info]   Duration: N/A, start: 0.000000, bitrate: N/A\r\n"
    "[gdigrab @ 0000000000cf3c00] [info] Capturing whole desktop as 1280x800x32 at (0,0)\r\n"
    "[info] Input #1, gdigrab, from 'desktop':\r\n"
    "[info]   Duration: N/A, start: 1796681233.207601, bitrate: 327684 kb/s\r\n"
    "[info]   Stream #1:0: Video: bmp, bgr0, 1280x800, 327684 kb/s, 10 fps, 1000k tbr, 1000k tbn\r\n"
    "[info] Input #2, f32le, from '\\\\.\\pipe\\tavrix-audio-12-speakers':\r\n"
    "[info]   Duration: N/A, start: 1796681299.000000, bitrate: 3072 kb/s\r\n"
    "[matroska @ 0000000000d01000] [warning] Non-monotonous DTS in output stream 0:1\r\n"
    "[error] Error writing trailer: No space left on device\r\n";

struct Read {
    std::vector<std::string> logged;
    std::vector<int64_t> pictures;
};

// Feeds `bytes` in pieces of `piece` bytes, as the pipe may hand them over.
Read ReadOutput(const std::string& bytes, size_t piece) {
    LineSplitter splitter;
    FirstPictureFinder finder;
    Read read;
    auto take = [&](const std::string& line) {
        const CoreLogLine parsed = ParseCoreLogLine(line);
        if (!parsed.information) read.logged.push_back(parsed.text);
        if (auto picture = finder.Feed(parsed.text)) read.pictures.push_back(*picture);
    };
    for (size_t at = 0; at < bytes.size(); at += piece)
        for (const std::string& line : splitter.Feed(bytes.data() + at, std::min(piece, bytes.size() - at))) take(line);
    const std::string rest = splitter.Rest();
    if (!rest.empty()) take(rest);
    return read;
}

TEST(CoreLog, ASegmentsOutputKeepsItsWarningsAndGivesTheGrabbersFirstPicture) {
    for (size_t piece : {size_t{1}, size_t{7}, sizeof(kSegmentOutput)}) {
        const Read read = ReadOutput(kSegmentOutput, piece);
        EXPECT_EQ(read.logged, (std::vector<std::string>{
                                   "[matroska @ 0000000000d01000] Non-monotonous DTS in output stream 0:1",
                                   "Error writing trailer: No space left on device"}))
            << "pieces of " << piece;
        // Neither the gate's start nor the sound input's is the picture's.
        EXPECT_EQ(read.pictures, std::vector<int64_t>{1796681233207601}) << "pieces of " << piece;
    }
}

TEST(CoreLog, UntaggedAndCutLinesStayInTheLog) {
    // Something printed without a tag (a crash report, an older core) is not
    // information the adapter may drop; a last line without a line feed counts.
    const Read read = ReadOutput("plain words\n[info] dropped\n[libx264 @ 01] no tag here\nlast", 5);
    EXPECT_EQ(read.logged, (std::vector<std::string>{"plain words", "[libx264 @ 01] no tag here", "last"}));

    LineSplitter splitter(8);
    EXPECT_EQ(splitter.Feed("0123456789ab\n", 13), (std::vector<std::string>{"01234567", "89ab"}));
    EXPECT_EQ(ParseCoreLogLine("[debug] x").information, true);
    EXPECT_EQ(ParseCoreLogLine("[fatal] x").text, "x");
}

TEST(CoreLog, AGrabberStartThatIsNotANumberGivesNoPicture) {
    FirstPictureFinder finder;
    finder.Feed("Input #1, gdigrab, from 'desktop':");
    EXPECT_FALSE(finder.Feed("  Duration: N/A, start: N/A, bitrate: N/A"));
    // The description is over: a later start line belongs to nothing.
    EXPECT_FALSE(finder.Feed("  Duration: N/A, start: 5.000000, bitrate: N/A"));

    EXPECT_EQ(MicrosecondsFromSeconds("12.5"), 12500000);
    EXPECT_EQ(MicrosecondsFromSeconds("12"), 12000000);
    EXPECT_EQ(MicrosecondsFromSeconds("0.1234567"), 123456);
    EXPECT_FALSE(MicrosecondsFromSeconds("-1.0"));
    EXPECT_FALSE(MicrosecondsFromSeconds("1.2.3"));
    EXPECT_FALSE(MicrosecondsFromSeconds(""));
    EXPECT_FALSE(MicrosecondsFromSeconds("99999999999999999999"));
}

}  // namespace

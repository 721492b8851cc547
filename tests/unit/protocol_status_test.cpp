// The status channel from the encoder to Tavrix: every line the encoder
// composes is read back as sent, whatever pieces the pipe delivers it in;
// lines that are not the channel's (cut, unknown words, an encoder's other
// output) are counted, never misread.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "protocol/status.h"

namespace {

std::vector<StatusLine> FeedAll(StatusReader& reader, const std::string& bytes) {
    return reader.Feed(bytes.data(), bytes.size());
}

TEST(StatusChannel, EveryLineComesBackAsSent) {
    const std::vector<std::pair<StatusLine, std::string>> cases = {
        {SourceEvent(StatusEvent::Opened, SoundSource::Microphone), "source microphone opened\n"},
        {SourceEvent(StatusEvent::Opened, SoundSource::Speakers), "source speakers opened\n"},
        {SourceEvent(StatusEvent::Failed, SoundSource::Speakers, "the endpoint cannot be captured (0x88890003)"),
         "source speakers failed the endpoint cannot be captured (0x88890003)\n"},
        {SourceEvent(StatusEvent::Lost, SoundSource::Microphone, "device invalidated (0x88890004)"),
         "source microphone lost device invalidated (0x88890004)\n"},
        {SourceEvent(StatusEvent::Back, SoundSource::Microphone), "source microphone back\n"},
        {LevelLine(SoundSource::Microphone, -12.5, -20.0), "level microphone -12.5 -20.0\n"},
        {LevelLine(SoundSource::Speakers, 0.0, -3.1), "level speakers 0.0 -3.1\n"},
        {LevelLine(SoundSource::Speakers, 3.2, 1.0), "level speakers 3.2 1.0\n"},
        {LevelLine(SoundSource::Microphone, kSilenceDb, kSilenceDb), "level microphone -100.0 -100.0\n"},
        {ReadyLine(), "ready\n"},
    };
    for (const auto& [line, text] : cases) {
        EXPECT_EQ(ComposeStatusLine(line), text);
        StatusReader reader;
        const std::vector<StatusLine> read = FeedAll(reader, text);
        ASSERT_EQ(read.size(), 1u) << text;
        EXPECT_EQ(read[0], line) << text;
        EXPECT_EQ(reader.UnreadableLines(), 0u) << text;
    }
}

TEST(StatusChannel, LevelsAreRoundedAndKeptWithinTheRange) {
    const std::vector<std::pair<double, std::string>> cases = {
        {-12.54, "-12.5"}, {-12.56, "-12.6"}, {-0.04, "0.0"}, {-0.06, "-0.1"}, {-250.0, "-100.0"},
        {-std::numeric_limits<double>::infinity(), "-100.0"}, {std::numeric_limits<double>::quiet_NaN(), "-100.0"}, {45.0, "20.0"}, {7.0, "7.0"},
    };
    for (const auto& [db, text] : cases)
        EXPECT_EQ(ComposeStatusLine(LevelLine(SoundSource::Speakers, db, db)),
                  "level speakers " + text + " " + text + "\n")
            << db;
}

TEST(StatusChannel, AReasonStaysOnItsLineAndWithinTheLongestLine) {
    const std::string line =
        ComposeStatusLine(SourceEvent(StatusEvent::Lost, SoundSource::Microphone, "unplugged\r\nsource speakers back"));
    EXPECT_EQ(line, "source microphone lost unplugged  source speakers back\n");

    // Cut to fit, and never inside a character: "麦" is three bytes.
    std::string reason;
    for (int i = 0; i < 100; ++i) reason += "麦";
    const std::string cut = ComposeStatusLine(SourceEvent(StatusEvent::Failed, SoundSource::Microphone, reason));
    EXPECT_LE(cut.size(), kLongestStatusLine);
    const std::string prefix = "source microphone failed ";
    ASSERT_EQ(cut.compare(0, prefix.size(), prefix), 0);
    EXPECT_EQ((cut.size() - prefix.size() - 1) % 3, 0u);
    const std::optional<StatusLine> read = ParseStatusLine(cut.substr(0, cut.size() - 1));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->reason, cut.substr(prefix.size(), cut.size() - prefix.size() - 1));

    EXPECT_EQ(ComposeStatusLine(SourceEvent(StatusEvent::Failed, SoundSource::Speakers)),
              "source speakers failed no reason given\n");
}

TEST(StatusChannel, LinesThatAreNotTheChannelsAreCountedAndTheFirstKept) {
    const std::vector<std::string> unreadable = {
        "",
        "ffmpeg.exe: the encoder core C:\\x\\ffmpeg-core.exe is missing",
        "source",
        "source microphone",
        "source headset opened",
        "source microphone opened now",
        "source microphone failed",
        "source microphone failed ",
        "source microphone lost",
        "source microphone plugged",
        "Source microphone opened",
        "level microphone -12.5",
        "level microphone -12.5 -20.0 -3.0",
        "level microphone -12 -20.0",
        "level microphone -12.50 -20.0",
        "level microphone 12.5. -20.0",
        "level microphone - -20.0",
        "level microphone -100.1 -20.0",
        "level microphone 20.1 -20.0",
        "level microphone -1e1 -20.0",
        "level  microphone -12.5 -20.0",
        "ready now",
        " ready",
    };
    for (const std::string& text : unreadable) EXPECT_FALSE(ParseStatusLine(text).has_value()) << text;

    StatusReader reader;
    std::string bytes;
    for (const std::string& text : unreadable) bytes += text + "\n";
    bytes += "ready\n";
    const std::vector<StatusLine> read = FeedAll(reader, bytes);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].event, StatusEvent::Ready);
    EXPECT_EQ(reader.UnreadableLines(), unreadable.size());
    EXPECT_EQ(reader.FirstUnreadable(), "");
}

TEST(StatusChannel, ReadInAnyPiecesWithCarriageReturnsTolerated) {
    const std::string bytes = "source microphone opened\r\nlevel microphone -30.0 -40.5\nready\r\n";
    const std::vector<StatusLine> whole = [&] {
        StatusReader reader;
        return FeedAll(reader, bytes);
    }();
    ASSERT_EQ(whole.size(), 3u);
    for (size_t piece = 1; piece <= 7; ++piece) {
        StatusReader reader;
        std::vector<StatusLine> read;
        for (size_t i = 0; i < bytes.size(); i += piece) {
            const std::vector<StatusLine> some = FeedAll(reader, bytes.substr(i, piece));
            read.insert(read.end(), some.begin(), some.end());
        }
        EXPECT_EQ(read, whole) << piece;
        EXPECT_EQ(reader.UnreadableLines(), 0u);
    }
}

TEST(StatusChannel, ACutOrOverlongLineIsUnreadableAndTheNextOneIsRead) {
    StatusReader reader;
    // An encoder that died mid-line.
    EXPECT_TRUE(FeedAll(reader, "level microphone -3").empty());
    reader.End();
    EXPECT_EQ(reader.UnreadableLines(), 1u);
    EXPECT_EQ(reader.FirstUnreadable(), "level microphone -3");

    StatusReader longer;
    const std::string junk(5000, 'x');
    const std::vector<StatusLine> read = FeedAll(longer, junk + "\nsource speakers back\n");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], SourceEvent(StatusEvent::Back, SoundSource::Speakers));
    EXPECT_EQ(longer.UnreadableLines(), 1u);
    EXPECT_EQ(longer.FirstUnreadable().size(), kLongestStatusLine);
    longer.End();  // nothing left unfinished
    EXPECT_EQ(longer.UnreadableLines(), 1u);
}

}  // namespace

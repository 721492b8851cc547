// The Matroska scan on segments the encoder wrote and on hand-made and cut
// files, with where the encoder's join cuts each of them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "encoder/join_check.h"
#include "support/matroska_scan.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFixture(const char* name) {
    const std::string path = std::string(TAVRIX_TEST_DATA) + "/" + name;
    Bytes bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

MatroskaSummary Scan(const Bytes& bytes, size_t size) {
    const ReadAt read = [&bytes](uint64_t offset, uint8_t* buffer, size_t count) -> size_t {
        if (offset >= bytes.size()) return 0;
        const size_t n = std::min<size_t>(count, bytes.size() - static_cast<size_t>(offset));
        std::memcpy(buffer, bytes.data() + offset, n);
        return n;
    };
    return ScanMatroska(read, size);
}
MatroskaSummary Scan(const Bytes& bytes) { return Scan(bytes, bytes.size()); }

const TrackSpan* Track(const MatroskaSummary& s, TrackKind kind) {
    for (const TrackSpan& t : s.tracks)
        if (t.kind == kind) return &t;
    return nullptr;
}

// A hand-made element: id bytes, a size (8-byte unknown marker when `open`), payload.
Bytes Element(Bytes id, const Bytes& payload, bool open = false) {
    Bytes e = std::move(id);
    if (open) {
        e.insert(e.end(), {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    } else {
        const uint64_t n = payload.size();
        e.insert(e.end(), {0x01, 0, 0, 0, static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                           static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)});
    }
    e.insert(e.end(), payload.begin(), payload.end());
    return e;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}
Bytes Block(uint8_t track, int16_t time) {
    return {static_cast<uint8_t>(0x80 | track), static_cast<uint8_t>(time >> 8), static_cast<uint8_t>(time), 0x80, 1, 2, 3};
}
Bytes Track(uint8_t number, uint8_t type) {
    return Element({0xAE}, Cat({Element({0xD7}, {number}), Element({0x83}, {type})}));
}

}  // namespace

TEST(ScanMatroska, FindsEachTracksSpanInAFileTheEncoderWrote) {
    const Bytes file = ReadFixture("av.mkv");  // 2 s of video at 10 fps, 2.3 s of sound
    ASSERT_FALSE(file.empty());
    const MatroskaSummary s = Scan(file);
    ASSERT_TRUE(s.readable);
    const TrackSpan* video = Track(s, TrackKind::Video);
    const TrackSpan* audio = Track(s, TrackKind::Audio);
    ASSERT_TRUE(video && audio);
    EXPECT_EQ(video->blocks, 20u);
    EXPECT_EQ(video->defaultDurationNs, 100000000u);
    EXPECT_EQ(video->lastNs, 1923000000);
    EXPECT_EQ(audio->blocks, 101u);
    EXPECT_EQ(audio->lastNs, 2322000000);
    EXPECT_EQ(TrackEndNs(*video), 2023000000);
    EXPECT_NEAR(TrackEndNs(*audio), 2345000000, 2000000);
    EXPECT_EQ(JoinCutNs(s), 2023000000);  // the longer sound is cut to the picture
    EXPECT_TRUE(HasVideo(s));
}

TEST(ScanMatroska, CutsToTheSoundWhenItIsTheShorterTrackOfAStreamedFile) {
    const Bytes file = ReadFixture("streamed.mkv");  // written to a pipe: sizes left open; 1.5 s video, 1.2 s sound
    ASSERT_FALSE(file.empty());
    const MatroskaSummary s = Scan(file);
    ASSERT_TRUE(s.readable);
    EXPECT_EQ(Track(s, TrackKind::Video)->blocks, 15u);
    EXPECT_EQ(Track(s, TrackKind::Audio)->blocks, 58u);
    EXPECT_NEAR(JoinCutNs(s), 1237000000, 2000000);  // the picture's last quarter second goes
}

TEST(ScanMatroska, SurvivesAFileCutShortAnywhere) {
    const Bytes file = ReadFixture("av.mkv");
    ASSERT_FALSE(file.empty());
    uint64_t previous = 0;
    for (size_t size = 0; size <= file.size(); size += 37) {
        const MatroskaSummary s = Scan(file, size);
        uint64_t blocks = 0;
        for (const TrackSpan& t : s.tracks) blocks += t.blocks;
        EXPECT_GE(blocks, previous) << size;  // more of the file never means fewer blocks
        previous = blocks;
    }
    const MatroskaSummary half = Scan(file, file.size() / 2);
    EXPECT_TRUE(half.readable);
    EXPECT_GT(Track(half, TrackKind::Video)->blocks, 0u);
    EXPECT_LT(Track(half, TrackKind::Video)->blocks, 20u);
}

TEST(ScanMatroska, ReadsOpenClustersBlockGroupsAndTheTimeScale) {
    const Bytes header = Element({0x1A, 0x45, 0xDF, 0xA3}, Element({0x42, 0x82}, {'m', 'k', 'v'}));
    const Bytes info = Element({0x15, 0x49, 0xA9, 0x66}, Element({0x2A, 0xD7, 0xB1}, {0x1E, 0x84, 0x80}));  // 2 ms a tick
    const Bytes tracks = Element({0x16, 0x54, 0xAE, 0x6B}, Cat({Track(1, 1), Track(2, 2)}));
    // A cluster left open by a crash-safe writer, ended by the next cluster.
    const Bytes open = Element({0x1F, 0x43, 0xB6, 0x75},
                               Cat({Element({0xE7}, {0x00}), Element({0xA3}, Block(1, 0)), Element({0xA3}, Block(2, 0)),
                                    Element({0xA3}, Block(1, 100))}),
                               true);
    const Bytes closed = Element({0x1F, 0x43, 0xB6, 0x75},
                                 Cat({Element({0xE7}, {0x00, 0xC8}),  // 200 ticks
                                      Element({0xA0}, Element({0xA1}, Block(1, 0))),
                                      Element({0xA3}, Block(2, 150))}));
    const Bytes file = Cat({header, Element({0x18, 0x53, 0x80, 0x67}, Cat({info, tracks, open, closed}), true)});
    const MatroskaSummary s = Scan(file);
    ASSERT_TRUE(s.readable);
    const TrackSpan* video = Track(s, TrackKind::Video);
    const TrackSpan* audio = Track(s, TrackKind::Audio);
    ASSERT_TRUE(video && audio);
    EXPECT_EQ(video->blocks, 3u);
    EXPECT_EQ(video->lastNs, 400000000);
    EXPECT_EQ(TrackEndNs(*video), 600000000);  // spacing 200 ms
    EXPECT_EQ(audio->blocks, 2u);
    EXPECT_EQ(audio->lastNs, 700000000);
    EXPECT_EQ(JoinCutNs(s), 600000000);

    // A block cut in half by the end of the file is not counted.
    const MatroskaSummary cut = Scan(file, file.size() - 3);
    EXPECT_EQ(Track(cut, TrackKind::Audio)->blocks, 1u);
}

TEST(ScanMatroska, RefusesWhatIsNotMatroskaAndReportsEmptyTracks) {
    const Bytes riff = {'R', 'I', 'F', 'F', 0x10, 0, 0, 0, 'A', 'V', 'I', ' ', 0, 0, 0, 0};
    EXPECT_FALSE(Scan(riff).readable);
    EXPECT_FALSE(Scan(Bytes()).readable);
    EXPECT_FALSE(HasVideo(Scan(riff)));

    const Bytes header = Element({0x1A, 0x45, 0xDF, 0xA3}, {});
    const Bytes tracksOnly = Cat({header, Element({0x18, 0x53, 0x80, 0x67},
                                                   Element({0x16, 0x54, 0xAE, 0x6B}, Cat({Track(1, 1), Track(2, 2)})))});
    const MatroskaSummary s = Scan(tracksOnly);
    EXPECT_TRUE(s.readable);
    EXPECT_FALSE(HasVideo(s));
    EXPECT_FALSE(HasContent(s));
    EXPECT_EQ(JoinCutNs(s), 0);
    // Headers without a cluster hold nothing; a file that cannot be read may.
    EXPECT_TRUE(HoldsNoMedia(s, tracksOnly.size()));
    EXPECT_TRUE(HoldsNoMedia(Scan(Bytes()), 0));
    EXPECT_FALSE(HoldsNoMedia(Scan(riff), riff.size()));
    const Bytes emptyCluster = Cat({header, Element({0x18, 0x53, 0x80, 0x67},
                                                    Cat({Element({0x16, 0x54, 0xAE, 0x6B}, Track(1, 1)),
                                                         Element({0x1F, 0x43, 0xB6, 0x75}, Element({0xE7}, {0x00}))}))});
    EXPECT_FALSE(HoldsNoMedia(Scan(emptyCluster), emptyCluster.size()));
}

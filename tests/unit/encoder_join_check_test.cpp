#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "encoder/join_check.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutTag(Bytes& b, const char* tag) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}
void Append(Bytes& b, const Bytes& more) {
    for (uint8_t c : more) b.push_back(c);
}
Bytes Chunk(const char* tag, const Bytes& payload) {
    Bytes b;
    PutTag(b, tag);
    Put32(b, static_cast<uint32_t>(payload.size()));
    Append(b, payload);
    if (payload.size() & 1) b.push_back(0);
    return b;
}
Bytes List(const char* type, const Bytes& content) {
    Bytes payload;
    PutTag(payload, type);
    Append(payload, content);
    return Chunk("LIST", payload);
}
Bytes StreamHeader(const char* type, uint32_t scale, uint32_t rate, uint32_t length) {
    Bytes h;
    PutTag(h, type);
    PutTag(h, "H264");
    for (int i = 0; i < 3; ++i) Put32(h, 0);  // flags, priority and language, initial frames
    Put32(h, scale);
    Put32(h, rate);
    Put32(h, 0);  // start
    Put32(h, length);
    h.resize(56, 0);
    return Chunk("strh", h);
}
// An AVI as the core writes it: headers with a sound and a picture stream,
// the packets, and the RIFF size filled in last (left at 0xFFFFFFFF while writing).
Bytes Avi(uint32_t frames, size_t packetBytes, bool finished = true) {
    Bytes streams = List("strl", StreamHeader("auds", 1024, 44100, 200));
    const Bytes video = List("strl", StreamHeader("vids", 1, 10, frames));
    Append(streams, video);
    Bytes content = List("hdrl", [&] { Bytes h = Chunk("avih", Bytes(56, 0)); Append(h, streams); return h; }());
    const Bytes movi = List("movi", Bytes(packetBytes, 0x55));
    Append(content, movi);
    Bytes file;
    PutTag(file, "RIFF");
    Put32(file, finished ? static_cast<uint32_t>(content.size() + 4) : 0xFFFFFFFFu);
    PutTag(file, "AVI ");
    Append(file, content);
    return file;
}
AviSummary Scan(const Bytes& bytes) {
    const ReadAt read = [&bytes](uint64_t offset, uint8_t* buffer, size_t count) -> size_t {
        if (offset >= bytes.size()) return 0;
        const size_t n = std::min<size_t>(count, bytes.size() - static_cast<size_t>(offset));
        std::memcpy(buffer, bytes.data() + offset, n);
        return n;
    };
    return ScanAvi(read, bytes.size());
}
TrackSpan Span(TrackKind kind, int64_t firstMs, int64_t lastMs, uint64_t blocks) {
    TrackSpan t;
    t.kind = kind;
    t.firstNs = firstMs * 1000000;
    t.lastNs = lastMs * 1000000;
    t.blocks = blocks;
    t.defaultDurationNs = kind == TrackKind::Video ? 100000000 : 0;
    return t;
}

}  // namespace

TEST(ScanAvi, ReadsThePictureLengthOfAFinishedFileOnly) {
    const AviSummary done = Scan(Avi(600, 1000));
    EXPECT_TRUE(done.complete);
    EXPECT_TRUE(done.hasVideo);
    EXPECT_EQ(done.pictureNs, 60000000000);  // 600 frames at 10 a second
    EXPECT_EQ(done.frameNs, 100000000);
    EXPECT_FALSE(Scan(Avi(600, 1000, false)).complete);  // the writer never came back to the header
    Bytes cut = Avi(600, 1000);
    cut.resize(cut.size() - 100);  // the end of the file is missing
    EXPECT_FALSE(Scan(cut).complete);
    EXPECT_FALSE(Scan(Bytes{'R', 'I', 'F', 'F'}).complete);
}

TEST(CheckJoinedOutput, RefusesAFileThatHoldsLessThanTheSegments) {
    // Two segments of 30 s picture (starting 23 ms in), 1 MB each, the first cut where its sound ends.
    MatroskaSummary segment;
    segment.tracks = {Span(TrackKind::Video, 23, 29923, 300), Span(TrackKind::Audio, 0, 30000, 1300)};
    JoinExpectation expected;
    AddToExpectation(expected, segment, 29900000000, 1000000);
    AddToExpectation(expected, segment, 0, 1000000);
    EXPECT_EQ(expected.parts, 2u);
    EXPECT_EQ(expected.pictureNs, 29900000000 + 30023000000);
    EXPECT_EQ(expected.segmentBytes, 2000000u);

    auto check = [&](uint32_t frames, uint64_t bytes, bool finished = true) {
        return CheckJoinedOutput(expected, Scan(Avi(frames, 10)), bytes).empty() &&
               (finished || CheckJoinedOutput(expected, Scan(Avi(frames, 10, false)), bytes).empty());
    };
    EXPECT_TRUE(check(599, 1990000));   // frame rounding at the cuts
    EXPECT_TRUE(check(594, 1800000));   // half a second and a frame per segment short: still the lesson
    EXPECT_FALSE(check(590, 1990000));  // a second short: a segment's end is missing
    EXPECT_FALSE(check(300, 1990000));  // a whole segment is missing
    EXPECT_FALSE(check(599, 1500000));  // a quarter of the packets are missing
    EXPECT_FALSE(check(599, 1990000, false));
    EXPECT_NE(CheckJoinedOutput(expected, AviSummary{true, false, 0, 0}, 1990000), "");  // no picture stream
}

TEST(SoundFallsShort, OnlyWhenTheSoundStopsWellBeforeThePictureAndCanBePadded) {
    MatroskaSummary s;
    s.tracks = {Span(TrackKind::Video, 0, 2900, 30), Span(TrackKind::Audio, 0, 977, 43)};
    EXPECT_TRUE(SoundFallsShort(s));
    s.tracks[1] = Span(TrackKind::Audio, 0, 2777, 120);  // trimmed instead
    EXPECT_FALSE(SoundFallsShort(s));
    s.tracks[1] = Span(TrackKind::Audio, 0, 0, 0);  // nothing to pad from
    EXPECT_FALSE(SoundFallsShort(s));
    s.tracks.pop_back();  // no sound at all
    EXPECT_FALSE(SoundFallsShort(s));
}

TEST(JoinCutNs, KeepsAllThePictureAndTrimsOnlyTheLastFractionOfASecond) {
    auto span = [](TrackKind kind, uint64_t blocks, int64_t lastMs) {
        TrackSpan t;
        t.kind = kind;
        t.blocks = blocks;
        t.lastNs = lastMs * 1000000;
        t.defaultDurationNs = kind == TrackKind::Video ? 100000000 : 23000000;
        return t;
    };
    const auto V = TrackKind::Video, A = TrackKind::Audio;
    struct Case { std::vector<TrackSpan> tracks; int64_t cutMs; const char* what; };
    const Case cases[] = {
        {{span(V, 30, 2900)}, 3000, "picture alone: cut at its end"},
        {{span(V, 30, 2900), span(A, 140, 3177)}, 3000, "longer sound is trimmed to the picture"},
        {{span(V, 30, 2900), span(A, 120, 2777)}, 2800, "sound 0.2 s short: the picture's tail goes"},
        {{span(V, 30, 2900), span(A, 40, 977)}, 3000, "sound stopped after 1 s: all the picture stays"},
        {{span(V, 30, 2900), span(A, 0, 0)}, 3000, "a sound track that delivered nothing"},
        {{span(V, 30, 2900), span(A, 140, 3177), span(A, 20, 477)}, 3000, "the mix of a lost and a live source"},
        {{span(V, 0, 0), span(A, 140, 3177)}, 0, "sound without picture: not cut"},
    };
    for (const Case& c : cases) {
        MatroskaSummary s;
        s.readable = true;
        s.tracks = c.tracks;
        EXPECT_EQ(JoinCutNs(s), c.cutMs * 1000000) << c.what;
    }
}

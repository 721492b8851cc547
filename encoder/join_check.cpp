#include "encoder/join_check.h"

#include <algorithm>
#include <array>

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
bool Is(const uint8_t* p, const char (&tag)[5]) { return std::equal(p, p + 4, tag); }

// Header room per segment that the two containers spend differently.
constexpr uint64_t kHeaderBytesPerPart = 16384;

// The earliest sound end (a track without blocks ends at once); -1 without sound.
int64_t SoundEndNs(const MatroskaSummary& summary) {
    int64_t sound = -1;
    for (const TrackSpan& track : summary.tracks)
        if (track.kind == TrackKind::Audio && (sound < 0 || TrackEndNs(track) < sound)) sound = TrackEndNs(track);
    return sound;
}

}  // namespace

int64_t JoinCutNs(const MatroskaSummary& summary) {
    const int64_t picture = PictureEndNs(summary);
    if (picture <= 0) return 0;  // sound alone: nothing to keep in step with
    const int64_t sound = SoundEndNs(summary);
    if (sound < 0 || sound >= picture || sound < picture - kLargestPictureTrimNs) return picture;
    return sound;
}

bool SoundFallsShort(const MatroskaSummary& summary) {
    const int64_t picture = PictureEndNs(summary);
    bool anySound = false;
    for (const TrackSpan& track : summary.tracks) {
        if (track.kind != TrackKind::Audio) continue;
        if (track.blocks == 0) return false;
        anySound = true;
    }
    return anySound && picture > 0 && JoinCutNs(summary) == picture && SoundEndNs(summary) < picture - kLargestPictureTrimNs;
}

AviSummary ScanAvi(const ReadAt& read, uint64_t fileSize) {
    AviSummary summary;
    std::array<uint8_t, 12> riff{};
    if (fileSize < 12 || read(0, riff.data(), 12) != 12) return summary;
    if (!Is(riff.data(), "RIFF") || !Is(riff.data() + 8, "AVI ")) return summary;
    const uint32_t riffSize = Le32(riff.data() + 4);
    // The writer puts 0xFFFFFFFF there when it starts and the real size when it ends.
    summary.complete = riffSize != 0xFFFFFFFFu && riffSize >= 4 && 8ull + riffSize <= fileSize;

    // The header list comes first; walk into it and through its stream lists.
    const uint64_t riffEnd = std::min<uint64_t>(fileSize, 8ull + riffSize);
    uint64_t at = 12;
    std::array<uint8_t, 12> chunk{};
    uint64_t hdrlEnd = 0;
    while (at + 12 <= riffEnd && read(at, chunk.data(), 12) == 12) {
        const uint64_t size = Le32(chunk.data() + 4);
        if (Is(chunk.data(), "LIST") && Is(chunk.data() + 8, "hdrl")) {
            hdrlEnd = std::min(riffEnd, at + 8 + size);
            at += 12;
            break;
        }
        at += 8 + size + (size & 1);
    }
    while (hdrlEnd != 0 && at + 8 <= hdrlEnd && read(at, chunk.data(), 12) >= 8) {
        const uint64_t size = Le32(chunk.data() + 4);
        if (Is(chunk.data(), "LIST")) {  // a stream list: its headers follow its type
            at += 12;
            continue;
        }
        if (Is(chunk.data(), "strh") && size >= 36) {
            std::array<uint8_t, 36> strh{};
            if (read(at + 8, strh.data(), 36) == 36 && Is(strh.data(), "vids")) {
                const uint32_t scale = Le32(strh.data() + 20), rate = Le32(strh.data() + 24);
                const uint32_t start = Le32(strh.data() + 28), length = Le32(strh.data() + 32);
                if (scale > 0 && rate > 0 && !summary.hasVideo) {
                    summary.hasVideo = true;
                    summary.frameNs = static_cast<int64_t>(1000000000ull * scale / rate);
                    summary.pictureNs = static_cast<int64_t>((static_cast<uint64_t>(start) + length) * 1000000000ull *
                                                             scale / rate);
                }
            }
        }
        at += 8 + size + (size & 1);
    }
    return summary;
}

void AddToExpectation(JoinExpectation& expectation, const MatroskaSummary& segment, int64_t cutNs, uint64_t bytes) {
    int64_t start = -1;
    for (const TrackSpan& track : segment.tracks)
        if (track.blocks > 0 && (start < 0 || track.firstNs < start)) start = track.firstNs;
    const int64_t end = cutNs > 0 ? std::min(cutNs, PictureEndNs(segment)) : PictureEndNs(segment);
    if (start >= 0 && end > start) expectation.pictureNs += end - start;
    expectation.segmentBytes += bytes;
    ++expectation.parts;
}

std::string CheckJoinedOutput(const JoinExpectation& expected, const AviSummary& output, uint64_t outputBytes) {
    if (!output.complete) return "the joined file was not completed";
    if (expected.pictureNs > 0 && !output.hasVideo) return "the joined file has no picture";
    const int64_t slack = 500000000 + static_cast<int64_t>(expected.parts) * output.frameNs;
    if (output.pictureNs < expected.pictureNs - slack)
        return "the joined file holds " + std::to_string(output.pictureNs / 1000000) + " ms of picture, the segments " +
               std::to_string(expected.pictureNs / 1000000) + " ms";
    const uint64_t headers = kHeaderBytesPerPart * expected.parts;
    const uint64_t least = expected.segmentBytes / 10 * 9;
    if (outputBytes + headers < least)
        return "the joined file has " + std::to_string(outputBytes) + " bytes, the segments " +
               std::to_string(expected.segmentBytes);
    return std::string();
}

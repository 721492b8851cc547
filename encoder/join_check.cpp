#include "encoder/join_check.h"

#include <algorithm>

namespace {

// Header room per segment that the two containers spend differently.
constexpr uint64_t kHeaderBytesPerPart = 16384;

// The earliest sound end (a track without blocks ends at once); -1 without sound.
int64_t SoundEndNs(const MatroskaSummary& summary) {
    int64_t sound = -1;
    for (const TrackSpan& track : summary.tracks)
        if (track.kind == TrackKind::Audio && (sound < 0 || TrackEndNs(track) < sound)) sound = TrackEndNs(track);
    return sound;
}

// Where the picture stopped for a sleep: the end of the frame before the gap; 0 when it never did.
int64_t SleepCutNs(const MatroskaSummary& summary) {
    for (const TrackSpan& track : summary.tracks) {
        if (track.kind != TrackKind::Video || track.gapNs < kSleepGapNs || track.blocks < 2) continue;
        // The frame from the file, else the spacing of the blocks around the gap.
        int64_t frame = static_cast<int64_t>(track.defaultDurationNs);
        if (frame == 0 && track.blocks > 2)
            frame = (track.lastNs - track.firstNs - track.gapNs) / static_cast<int64_t>(track.blocks - 2);
        return track.gapStartNs + std::max<int64_t>(frame, 0);
    }
    return 0;
}

}  // namespace

int64_t JoinCutNs(const MatroskaSummary& summary) {
    if (const int64_t slept = SleepCutNs(summary)) return slept;
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

void AddToExpectation(JoinExpectation& expectation, const MatroskaSummary& segment, int64_t cutNs, uint64_t bytes) {
    int64_t start = -1;
    for (const TrackSpan& track : segment.tracks)
        if (track.blocks > 0 && (start < 0 || track.firstNs < start)) start = track.firstNs;
    const int64_t end = cutNs > 0 ? std::min(cutNs, PictureEndNs(segment)) : PictureEndNs(segment);
    if (start >= 0 && end > start) expectation.pictureNs += end - start;
    const PictureSize size = PictureSizeOf(segment);
    if (size.width != 0 && size.height != 0) {
        if (expectation.picture.width == 0) expectation.picture = size;
        else if (size != expectation.picture) expectation.mixedSizes = true;
    }
    expectation.segmentBytes += bytes;
    ++expectation.parts;
}

std::string CheckJoinedOutput(const JoinExpectation& expected, const AviSummary& output, uint64_t outputBytes) {
    if (expected.mixedSizes) return "the segments' pictures differ in size";
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

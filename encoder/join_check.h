// How the adapter joins its segments: where each is cut so that sound and
// picture stay in step, whether its sound must be padded, and how it decides
// that a joined file really holds the lesson before it deletes a single
// segment: the AVI's own picture length, written by the core only when it
// completed the file, against what the segments held. Nothing here touches
// Windows.
#pragma once

#include <cstdint>
#include <string>

#include "support/matroska_scan.h"

// How much the join may trim off a segment's picture so that its sound and
// picture end together and the next segment's sound starts with its picture.
constexpr int64_t kLargestPictureTrimNs = 500000000;

// Where the join cuts a segment (0: not at all). All the picture is kept:
// the cut is at the picture's end, where a longer sound is trimmed, or where
// the sound ends if that is at most kLargestPictureTrimNs earlier. Sound that
// stops sooner (a microphone unplugged, a source that delivers nothing) is
// not followed: the picture runs on without it.
int64_t JoinCutNs(const MatroskaSummary& summary);

// True when the picture runs on past the sound by more than the join may
// trim and the sound can be padded: every sound track has blocks. The joined
// file must then get silence there, or every later segment's sound would
// play that much early.
bool SoundFallsShort(const MatroskaSummary& summary);

// What an AVI file's headers say about its picture.
struct AviSummary {
    bool complete = false;  // a RIFF 'AVI ' whose size the writer filled in at the end, within the file
    bool hasVideo = false;  // a video stream header with a frame rate
    int64_t pictureNs = 0;  // its length in frames times the frame duration
    int64_t frameNs = 0;
};

AviSummary ScanAvi(const ReadAt& read, uint64_t fileSize);

// What the segments put into the join.
struct JoinExpectation {
    int64_t pictureNs = 0;      // each segment's picture up to where it is cut, summed
    uint64_t segmentBytes = 0;  // the joined segments' sizes, summed
    size_t parts = 0;
};

// Adds one segment: its picture from the segment's start up to the cut.
void AddToExpectation(JoinExpectation& expectation, const MatroskaSummary& segment, int64_t cutNs, uint64_t bytes);

// Empty when the joined file holds what the segments held; else why not, for
// the log. The picture may fall short by at most a frame per segment and half
// a second overall (frame rounding at every cut); the file must hold at least
// nine tenths of the segments' bytes less some header space per segment
// (the packets are copied, not encoded again).
std::string CheckJoinedOutput(const JoinExpectation& expected, const AviSummary& output, uint64_t outputBytes);

// Reads where each track of a Matroska file starts and ends, from the block
// headers alone: the encoder's join cuts its segments by it and checks the
// joined file against it, and Tavrix tells a kept recording's length by it.
// Tolerates files cut short by a crash: whatever whole blocks lie before the
// break are counted. Nothing here touches Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

enum class TrackKind { Other, Video, Audio };

struct TrackSpan {
    uint64_t number = 0;
    TrackKind kind = TrackKind::Other;
    uint64_t blocks = 0;             // whole blocks found
    int64_t firstNs = 0;             // earliest block time
    int64_t lastNs = 0;              // latest block time (not its end)
    uint64_t defaultDurationNs = 0;  // the track's frame duration where the file states it
};

struct MatroskaSummary {
    bool readable = false;  // an EBML header and a segment were found
    uint64_t clusters = 0;  // clusters begun, whole or not: where any media would be
    std::vector<TrackSpan> tracks;
};

// Reads up to `size` bytes at `offset` into `buffer`; returns how many it read.
using ReadAt = std::function<size_t(uint64_t offset, uint8_t* buffer, size_t size)>;

MatroskaSummary ScanMatroska(const ReadAt& read, uint64_t fileSize);

// End of a track's last frame: its last block time plus one frame, the frame
// taken from the file, else the mean block spacing. 0 for a track without blocks.
int64_t TrackEndNs(const TrackSpan& track);

// True when the file has at least one video block.
bool HasVideo(const MatroskaSummary& summary);

// True when any track has a block: the file holds something to join.
bool HasContent(const MatroskaSummary& summary);

// True when the file surely holds no media: it is empty, or its headers are
// whole and no cluster was ever begun (a core ended before its first frame).
// A file without blocks that is not known to be empty is kept.
bool HoldsNoMedia(const MatroskaSummary& summary, uint64_t fileSize);

// End of the picture (the latest video track end); 0 without picture.
int64_t PictureEndNs(const MatroskaSummary& summary);

// Reads where each track of a Matroska file starts and ends, from the block
// headers alone, so a recording's segments can be cut to the length that all
// their tracks cover. Tolerates files cut short by a crash: whatever whole
// blocks lie before the break are counted. Nothing here touches Windows.
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
    std::vector<TrackSpan> tracks;
};

// Reads up to `size` bytes at `offset` into `buffer`; returns how many it read.
using ReadAt = std::function<size_t(uint64_t offset, uint8_t* buffer, size_t size)>;

MatroskaSummary ScanMatroska(const ReadAt& read, uint64_t fileSize);

// End of a track's last frame: its last block time plus one frame, the frame
// taken from the file, else the mean block spacing. 0 for a track without blocks.
int64_t TrackEndNs(const TrackSpan& track);

// The time up to which every track has content: the earliest track end.
// 0 when a track has no block at all.
int64_t CommonEndNs(const MatroskaSummary& summary);

// True when the file has at least one video block: a segment worth joining.
bool HasVideo(const MatroskaSummary& summary);

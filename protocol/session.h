// What a recording's finish needs, as Tavrix and its encoder both reckon it:
// the room the join takes on the recording's volume. Tavrix warns and pauses
// by it while recording; the encoder refuses a join that cannot fit by it.
// Nothing here touches Windows.
#pragma once

#include <cstdint>

// Room the join needs on the output's volume: the segments' bytes (the
// joined file holds the same packets) plus a margin for the index and the
// file system.
constexpr uint64_t JoinSpaceNeeded(uint64_t segmentBytes) {
    return segmentBytes + segmentBytes / 20 + (32ull << 20);
}

// The bytes of an uncompressed 24-bit AVI with one video stream, laid out so
// that frames can be appended as they come and the header patched at the end.
#pragma once

#include <cstdint>
#include <vector>

struct AviFormat {
    int32_t width = 64;
    int32_t height = 36;
    int32_t rate = 10;  // frames per second
    uint32_t FrameBytes() const { return static_cast<uint32_t>(width * 3 * height); }
};

// Everything before the first frame chunk: RIFF, header list, start of "movi".
// Written once with 0 frames at the start and again with the final count.
std::vector<uint8_t> AviHeader(const AviFormat& format, uint32_t frames);

// One "00db" chunk around the frame's pixels (bottom-up BGR rows).
std::vector<uint8_t> AviFrameChunk(const std::vector<uint8_t>& pixels);

// The "idx1" chunk for `frames` equal frames, appended after the last frame.
std::vector<uint8_t> AviIndex(const AviFormat& format, uint32_t frames);

// Reads what an AVI file's headers say about its picture: whether the writer
// completed the file, and the length of its video stream. The encoder checks
// a joined file by it before it deletes a segment, and Tavrix tells a kept
// recording's length and whether it is whole by it. Nothing here touches
// Windows.
#pragma once

#include <cstdint>

#include "support/matroska_scan.h"

// What an AVI file's headers say about its picture.
struct AviSummary {
    bool complete = false;  // a RIFF 'AVI ' whose size the writer filled in at the end, within the file
    bool hasVideo = false;  // a video stream header with a frame rate
    int64_t pictureNs = 0;  // its length in frames times the frame duration
    int64_t frameNs = 0;
};

AviSummary ScanAvi(const ReadAt& read, uint64_t fileSize);

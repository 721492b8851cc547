// Reading the media files the encoder writes: a file read through a window
// of 64 KiB (the scanners read a few bytes at a time, mostly forward), and
// the Matroska scan of a file by its path.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "support/matroska_scan.h"
#include "support/unique_win.h"

class BufferedFile {
public:
    explicit BufferedFile(const std::wstring& path);
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    bool Open() const { return static_cast<bool>(m_file); }
    // Up to `size` bytes at `offset`; how many were read.
    size_t ReadAt(uint64_t offset, uint8_t* buffer, size_t size);
    // ReadAt as the scanners take it; valid while this file lives.
    ::ReadAt Reader() {
        return [this](uint64_t offset, uint8_t* buffer, size_t size) { return ReadAt(offset, buffer, size); };
    }

private:
    static constexpr size_t kWindow = 65536;
    size_t ReadDirect(uint64_t offset, uint8_t* buffer, size_t size);

    UniqueFile m_file;
    uint8_t m_window[kWindow];
    uint64_t m_windowStart = 0;
    size_t m_windowBytes = 0;
};

// The track spans of the Matroska file at `path`; an unreadable summary when
// it cannot be opened.
MatroskaSummary ScanMatroskaFile(const std::wstring& path);

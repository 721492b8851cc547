#include "support/media_file_win.h"

#include <algorithm>
#include <memory>

#include "support/files_win.h"

BufferedFile::BufferedFile(const std::wstring& path)
    : m_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}

size_t BufferedFile::ReadAt(uint64_t offset, uint8_t* buffer, size_t size) {
    if (size > kWindow) return ReadDirect(offset, buffer, size);
    if (offset < m_windowStart || offset + size > m_windowStart + m_windowBytes) {
        m_windowBytes = ReadDirect(offset, m_window, kWindow);
        m_windowStart = offset;
    }
    const uint64_t available = m_windowStart + m_windowBytes > offset ? m_windowStart + m_windowBytes - offset : 0;
    const size_t count = static_cast<size_t>(std::min<uint64_t>(available, size));
    std::copy(m_window + (offset - m_windowStart), m_window + (offset - m_windowStart) + count, buffer);
    return count;
}

size_t BufferedFile::ReadDirect(uint64_t offset, uint8_t* buffer, size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(m_file.get(), at, nullptr, FILE_BEGIN)) return 0;
    DWORD read = 0;
    if (!ReadFile(m_file.get(), buffer, static_cast<DWORD>(size), &read, nullptr)) return 0;
    return read;
}

MatroskaSummary ScanMatroskaFile(const std::wstring& path) {
    // On the heap: the window is too large for a thread's stack to hold lightly.
    auto file = std::make_unique<BufferedFile>(path);
    if (!file->Open()) return MatroskaSummary();
    return ScanMatroska(file->Reader(), FileSizeOf(path));
}

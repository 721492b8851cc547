// The outbound end of one segment's sound pipe, written without blocking:
// the capture thread must go on reading its device while the core is busy.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "encoder/audio_timeline.h"
#include "support/unique_win.h"

class PcmPipe {
public:
    // Makes the private pipe at `path` (private_pipe_win.h: this user only,
    // the first instance) and starts waiting for the core to open it.
    bool Create(const std::wstring& path);

    // Moves what it can of `timeline`'s bytes on; true while nothing is left to write.
    bool Pump(PcmTimeline& timeline);

    // The pending connect or write may have been issued by another thread,
    // which CancelIo does not reach: closing the pipe ends it, and its
    // completion is awaited before the buffer and the OVERLAPPED are reused.
    void Close();

    bool Connected() const { return m_state == State::Connected || m_state == State::Writing; }
    // When the core opened the pipe (the adapter's clock); 0: not seen.
    int64_t ConnectedAt() const { return m_connectedAt; }
    uint64_t BytesWritten() const { return m_written; }
    void ResetCount() { m_written = 0; }

private:
    enum class State { Closed, Connecting, Connected, Writing, Broken };
    // Settles a connect or write under way; false while it still runs.
    bool Settle();
    void WriteFrom(PcmTimeline& timeline);

    UniqueFile m_pipe;
    UniqueHandle m_event;
    OVERLAPPED m_overlapped = {};
    State m_state = State::Closed;
    std::vector<uint8_t> m_buffer;
    uint64_t m_written = 0;
    int64_t m_connectedAt = 0;
};

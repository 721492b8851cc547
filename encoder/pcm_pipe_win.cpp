#include "encoder/pcm_pipe_win.h"

#include <algorithm>

#include "encoder/audio_clock_win.h"
#include "encoder/private_pipe_win.h"

namespace {

constexpr size_t kWriteChunk = 65536;

}  // namespace

bool PcmPipe::Create(const std::wstring& path) {
    Close();
    m_event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_pipe = CreatePrivatePipe(path, PIPE_ACCESS_OUTBOUND, 1 << 20, 0);
    if (!m_event || !m_pipe) return false;
    m_overlapped = OVERLAPPED();
    m_overlapped.hEvent = m_event.get();
    m_connectedAt = 0;
    if (ConnectNamedPipe(m_pipe.get(), &m_overlapped)) {
        m_state = State::Connected;
    } else {
        const DWORD error = GetLastError();
        m_state = error == ERROR_PIPE_CONNECTED ? State::Connected
                  : error == ERROR_IO_PENDING   ? State::Connecting
                                                : State::Broken;
    }
    return m_state != State::Broken;
}

bool PcmPipe::Settle() {
    if (m_state == State::Connecting) {
        if (!HasOverlappedIoCompleted(&m_overlapped)) return false;
        DWORD ignored = 0;
        m_state = GetOverlappedResult(m_pipe.get(), &m_overlapped, &ignored, FALSE) ? State::Connected : State::Broken;
        m_connectedAt = AudioClockNow();
    }
    if (m_state == State::Writing) {
        if (!HasOverlappedIoCompleted(&m_overlapped)) return false;
        DWORD written = 0;
        if (!GetOverlappedResult(m_pipe.get(), &m_overlapped, &written, FALSE)) {
            m_state = State::Broken;
        } else {
            m_state = State::Connected;
            m_written += written;
        }
    }
    return true;
}

void PcmPipe::WriteFrom(PcmTimeline& timeline) {
    while (m_state == State::Connected && timeline.PendingBytes() > 0) {
        const size_t size = std::min(timeline.PendingBytes(), kWriteChunk);
        m_buffer.assign(timeline.Pending(), timeline.Pending() + size);
        timeline.Consume(size);
        m_overlapped = OVERLAPPED();
        m_overlapped.hEvent = m_event.get();
        DWORD written = 0;
        if (WriteFile(m_pipe.get(), m_buffer.data(), static_cast<DWORD>(size), &written, &m_overlapped)) {
            m_written += written;
        } else if (GetLastError() == ERROR_IO_PENDING) {
            m_state = State::Writing;
        } else {
            m_state = State::Broken;
        }
    }
}

bool PcmPipe::Pump(PcmTimeline& timeline) {
    const bool connecting = m_state == State::Connecting;
    if (!Settle()) return connecting && timeline.PendingBytes() == 0;
    if (m_state == State::Broken) {
        timeline.Consume(timeline.PendingBytes());  // the core is gone: nobody reads
        return true;
    }
    WriteFrom(timeline);
    return m_state != State::Writing && timeline.PendingBytes() == 0;
}

void PcmPipe::Close() {
    const bool pending = m_pipe && (m_state == State::Connecting || m_state == State::Writing);
    if (pending) CancelIo(m_pipe.get());
    m_pipe.reset();
    if (pending) WaitForSingleObject(m_event.get(), 1000);
    m_state = State::Closed;
}

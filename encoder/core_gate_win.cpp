#include "encoder/core_gate_win.h"

#include <cstring>

#include "encoder/encoder_args.h"
#include "encoder/private_pipe_win.h"

bool CoreGate::Create() {
    StopListening();
    m_pipe.reset();
    m_path = UnguessablePipeName(L"gate");
    m_event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_pipe = CreatePrivatePipe(m_path, PIPE_ACCESS_OUTBOUND, 4096, 4096);
    return m_event && m_pipe;
}

bool CoreGate::Listen() {
    if (m_listening || m_connected) return true;
    if (!m_pipe) return false;
    m_connect = OVERLAPPED();
    m_connect.hEvent = m_event.get();
    ResetEvent(m_event.get());
    if (ConnectNamedPipe(m_pipe.get(), &m_connect)) {
        m_connected = true;
    } else {
        const DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED) m_connected = true;
        else if (error == ERROR_IO_PENDING) m_listening = true;
        else return false;
    }
    if (m_connected) SetEvent(m_event.get());
    return true;
}

void CoreGate::StopListening() {
    if (m_listening) {
        DWORD ignored = 0;
        CancelIo(m_pipe.get());
        GetOverlappedResult(m_pipe.get(), &m_connect, &ignored, TRUE);
    }
    m_listening = false;
    m_connected = false;
}

bool CoreGate::Open(HANDLE core, DWORD timeoutMs) {
    if (!Listen()) {
        m_pipe.reset();
        return false;
    }
    if (m_listening) {
        HANDLE waits[2] = {m_event.get(), core};
        if (WaitForMultipleObjects(2, waits, FALSE, timeoutMs) == WAIT_OBJECT_0) {
            DWORD ignored = 0;
            m_connected = GetOverlappedResult(m_pipe.get(), &m_connect, &ignored, FALSE) != FALSE;
            m_listening = false;
        }
    }
    if (!m_connected) {
        StopListening();
        m_pipe.reset();
        return false;
    }
    m_connected = false;
    OVERLAPPED write = {};
    write.hEvent = m_event.get();
    ResetEvent(m_event.get());
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(std::strlen(kGateContent));
    bool wrote = WriteFile(m_pipe.get(), kGateContent, size, &written, &write) != FALSE;
    if (!wrote && GetLastError() == ERROR_IO_PENDING)
        wrote = GetOverlappedResult(m_pipe.get(), &write, &written, TRUE) != FALSE;
    // Closing our end after the bytes gives the core the end of its input.
    m_pipe.reset();
    return wrote && written == size;
}

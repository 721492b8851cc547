// The gate a segment's core waits at: a named pipe it reads its first input
// from, so that it loads and reads its command line before the lesson goes
// on, and records from the moment the adapter opens the gate.
#pragma once

#include <windows.h>

#include <string>

#include "support/unique_win.h"

// The pipe a waiting core reads its first input from. Opening it lets the
// core go on to its capture inputs.
class CoreGate {
public:
    CoreGate() = default;
    CoreGate(const CoreGate&) = delete;
    CoreGate& operator=(const CoreGate&) = delete;
    ~CoreGate() { StopListening(); }
    // A private pipe of a name nobody can guess (private_pipe_win.h).
    bool Create();
    const std::wstring& Path() const { return m_path; }
    // Starts waiting for the core to open the pipe, so that whoever needs to
    // know when it got there can wait on ConnectedEvent. False on failure.
    bool Listen();
    // Signalled once the core opened the pipe (after Listen).
    HANDLE ConnectedEvent() const { return m_event.get(); }
    // Waits up to `timeoutMs` for `core` to open the pipe, writes the gate
    // content and closes it. False when the core died first or the time passed.
    bool Open(HANDLE core, DWORD timeoutMs);

private:
    // Ends a connection wait still under way, so that its record is free again.
    void StopListening();

    UniqueFile m_pipe;
    UniqueHandle m_event;
    std::wstring m_path;
    OVERLAPPED m_connect = {};
    bool m_listening = false;
    bool m_connected = false;
};

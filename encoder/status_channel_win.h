// The adapter's end of the status channel (protocol/status.h): its lines go
// to standard output on a thread of their own, so a capture thread never
// waits for Tavrix to read them; lines that come together go in one write.
#pragma once

#include <windows.h>

#include <memory>

#include "protocol/status.h"

class StatusChannel {
public:
    // The channel on `output`; nothing is sent where there is none (null or
    // invalid: the adapter was started without an output).
    explicit StatusChannel(HANDLE output);
    StatusChannel(const StatusChannel&) = delete;
    StatusChannel& operator=(const StatusChannel&) = delete;
    // What is queued still goes out, for at most half a second: a reader
    // that stopped reading must not keep the adapter from exiting.
    ~StatusChannel();

    // Queues the line and returns at once. While the reader lags, a level
    // line replaces the one of its source still waiting, and the queue never
    // grows past a few hundred lines (the oldest levels go first).
    void Send(const StatusLine& line);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

// The commands on the adapter's standard input, read on a thread of their
// own because a pipe cannot be waited on together with a core's process
// handle; and the hold line a caller may leave there before the start.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "protocol/commands.h"

// The thread shares its state, so it may outlive this object: it blocks in
// ReadFile until the input brings bytes or closes. A discard does not wait
// its turn: it replaces whatever commands are still queued, and the thread
// ends every core in the job at once, so no wait for a core (a pause's
// finish, a resume's gate, the join) holds it up.
class InputCommands {
public:
    InputCommands(HANDLE input, HANDLE job);

    // Signalled while commands wait or once the input has ended.
    HANDLE Event() const;
    bool DiscardRequested() const;

    // Takes what arrived; `closed` tells whether the input has ended.
    std::vector<EncoderCommand> Take(bool& closed);

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

// A caller that wants the encoder ready before the lesson starts writes the
// hold line into the pipe before it starts the adapter, so the line is
// already there when the adapter looks, before its input thread reads
// anything. Takes the line when it is the first; any other bytes stay.
bool TakeHoldLine(HANDLE input);

// The elapsed recording time as the status bar shows it. No Windows here, so
// the format is tested on the host.
#pragma once

#include <cstdint>
#include <string>

// "hh:mm:ss" for a count of seconds: each field at least two digits, hours
// not limited (360000 gives "100:00:00").
std::wstring FormatElapsed(int32_t seconds);


// The recorded time of one recording, read from a monotonic millisecond clock
// the caller passes in: the sum of the intervals between each Run and the
// Stop that follows. Paused time is not counted, and no partial second is
// lost at a pause (ten pauses of 1.75 s each make 17.5 s, not 10 s).
class RecordedClock {
public:
    // Counting starts (or goes on after a pause) at `nowMs`; nothing while it runs.
    void Run(uint64_t nowMs);
    // Counting stops at `nowMs`; nothing while it is stopped.
    void Stop(uint64_t nowMs);
    // Back to zero, stopped.
    void Reset();
    bool Running() const { return m_running; }
    uint64_t RecordedMs(uint64_t nowMs) const;
    int32_t RecordedSeconds(uint64_t nowMs) const;

private:
    uint64_t m_beforeMs = 0;  // recorded in the intervals already closed
    uint64_t m_runSinceMs = 0;
    bool m_running = false;
};

// The stock ffmpeg build as a child process: started in a job object that
// ends it when the adapter ends, steered through a pipe on its standard input.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "support/unique_win.h"

// A job whose processes are ended when its last handle closes, which happens
// when the adapter exits or is killed: no core outlives the adapter.
UniqueHandle CreateKillOnCloseJob();

class CoreProcess {
public:
    // Starts `commandLine` with its standard output and error going to
    // `output` (may be null) and puts it into `job` (may be null).
    // On failure returns false with the system's error code in `error`.
    // With `readOutput`, a thread of the adapter's reads what the core prints
    // (asked for with level tags): its warnings and errors go on into
    // `output`, its information lines are dropped, and the screen grabber's
    // first picture time is kept for FirstPicture.
    bool Start(const std::wstring& commandLine, HANDLE job, HANDLE output, DWORD& error, bool readOutput = false);

    bool Running() const { return static_cast<bool>(m_process.process); }
    HANDLE Handle() const { return m_process.process.get(); }
    DWORD ProcessId() const { return m_process.processId; }
    // True when the process was put into the job.
    bool InJob() const { return m_inJob; }

    // Asks the core to finish its file and exit ("q" on its standard input),
    // waits up to `timeoutMs`, and ends it by force past that. Returns the
    // exit code; `forced` tells whether it had to be ended.
    DWORD Finish(DWORD timeoutMs, bool& forced);

    // After the process handle was signalled: its exit code, and the handles closed.
    DWORD Reap();

    // Ends the process without asking, for a core that has not started capturing.
    void Discard();

    // When the screen grabber took its first picture (the system's wall
    // clock, microseconds since 1970), as the core says once it has opened
    // the grabber; waits up to `timeoutMs`. Nothing when the core said no
    // such thing by then, or ended, or its output is not read.
    std::optional<int64_t> FirstPicture(DWORD timeoutMs);

    struct OutputReader;  // the thread that reads the core's output, and what it found

private:
    // Lets the reader write out the last of the core's lines before its handles go.
    void EndReader();

    std::shared_ptr<OutputReader> m_reader;
    ProcessRecord m_process;
    UniqueHandle m_input;  // write end of the core's standard input
    bool m_inJob = false;
};

// Waiting for an encoder to finish without freezing the program: the thread's
// messages keep flowing while the process runs, and a small "正在保存录像…"
// window shows how far the join has come.
#pragma once

#include <windows.h>

#include <string>

#include "recording/encoder_process_win.h"

// What a wait ended with.
struct FinishWait {
    bool ended = false;   // the process ended within the limit
    DWORD exitCode = 0;   // its exit code when it ended
};

// Waits up to `limitMs` for `process` to end, dispatching the thread's
// messages meanwhile (a quit message is kept and posted again afterwards).
// With `recordingPath`, a progress window is shown while the wait lasts
// longer than a moment; it measures the joined file against its segments.
FinishWait WaitPumping(HANDLE process, DWORD limitMs, const std::wstring& recordingPath = std::wstring());

// WaitPumping as the encoder's Stop, Discard and join take it: without a
// window, or with the progress window of the recording at `recordingPath`.
ProcessWait PumpingWait();
ProcessWait FinishingWait(const std::wstring& recordingPath);

// The progress window's class, for tests that look for it.
extern const wchar_t kSavingWindowClass[];

// The encoder child process and its command pipe, the temporary recording
// path it writes, and the two system-wide scans for processes named ffmpeg.exe.
#pragma once

#include <windows.h>

#include <string>

// The temporary recording file of this run, 8-bit text in the ANSI code page;
// empty until the entry point stores MakeTempRecordingPath's result.
extern std::string RecordingPath;

// "temp.avi" inside a new folder under the temporary folder whose name
// starts with RecClass (made here). Called once at start-up.
std::string MakeTempRecordingPath();

namespace EncoderProcess {

// How long Stop waits for the encoder to finish its file before it ends it:
// long enough for a long recording on a slow machine.
constexpr DWORD kStopWaitLimitMs = 5 * 60 * 1000;

// Starts ffmpeg.exe from the program's folder recording into RecordingPath
// with the current recording options; the command line is logged first.
// 1 when the child runs, 0 otherwise (then no handle of it stays open).
int Start();

// "p\n" and "r\n" on the command pipe; a failed write is ignored.
void Pause();
void Resume();

// "q\n" on the command pipe, then waits for the encoder to finish its file and
// closes every handle of this recording. Past `waitLimitMs` the encoder is
// ended and the user told. Returns at once when the quit cannot be written.
void Stop(DWORD waitLimitMs = kStopWaitLimitMs);

}  // namespace EncoderProcess

// Ends (exit code 9) every process whose file name is exactly "ffmpeg.exe".
void TerminateEncoderProcesses();

// Whether any process named ffmpeg.exe, in any letter case, runs.
bool IsEncoderProcessRunning();

// The encoder child process and its command pipe, the temporary recording
// path it writes, and the two system-wide scans for processes named ffmpeg.exe.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "protocol/exit_codes.h"
#include "protocol/status.h"

// The temporary recording file of this run, 8-bit text in the ANSI code page;
// empty until the entry point stores MakeTempRecordingPath's result.
extern std::string RecordingPath;

// "temp.avi" inside a new folder under the temporary folder whose name
// starts with RecClass (made here). Called once at start-up.
std::string MakeTempRecordingPath();

// How the program waits for a child process to end: true when `process`
// ended within `limitMs`. The windows hand over a wait that keeps them
// working and shows how a finish goes (ui/finish_wait_win.h); WaitBlocking
// only blocks, for programs without windows.
using ProcessWait = std::function<bool(HANDLE process, DWORD limitMs)>;
bool WaitBlocking(HANDLE process, DWORD limitMs);

namespace EncoderProcess {

// How long Stop waits for the encoder to finish its file before it ends it:
// long enough for a long recording on a slow machine.
constexpr DWORD kStopWaitLimitMs = 5 * 60 * 1000;

// Starts ffmpeg.exe from the program's folder recording into RecordingPath
// with the current recording options; the command line is logged first.
// 1 when the child runs, 0 otherwise (then no handle of it stays open).
// When Prepare has an encoder waiting, Start only tells it to go ("g\n"), so
// the first frame follows within a frame or two; one that ended meanwhile is
// forgotten and a new one started as above.
int Start();

// Starts ffmpeg.exe as Start does, but held: "h\n" is in its pipe before it
// runs, so it finds its devices and loads its core, then waits for Start.
// For the countdown, whose three seconds cover all of that. True when the
// child runs; false leaves nothing, and Start then starts one as usual.
bool Prepare();

// Whether a prepared encoder waits for Start.
bool IsPrepared();

// Throws a prepared encoder away as Discard does (the start was abandoned);
// nothing when none waits.
void DiscardPrepared(const ProcessWait& wait);

// How long Discard gives the encoder to end by itself before it is ended.
constexpr DWORD kDiscardWaitLimitMs = 700;

// The exit code Stop reports when the encoder could not be asked to finish
// (it was gone already) or had to be ended.
constexpr DWORD kEncoderLost = kExitEncoderLost;

// "p\n" and "r\n" on the command pipe; a failed write is ignored.
void Pause();
void Resume();

// What Stop came to: the encoder's exit code (0: the file is complete and
// checked; kEncoderLost when it was gone or had to be ended), and whether it
// had to be ended because it did not finish within the wait.
struct StopResult {
    DWORD exitCode = 0;
    bool endedByForce = false;
};

// "q\n" on the command pipe, then `wait` for the encoder to finish its file,
// and every handle of this recording closed. Past `waitLimitMs` the encoder
// is ended (the caller tells the user).
StopResult Stop(const ProcessWait& wait, DWORD waitLimitMs = kStopWaitLimitMs);

// "d\n" on the command pipe: the encoder throws the recording away and exits
// at once; one that does not within kDiscardWaitLimitMs of `wait` is ended.
// Then every file of the recording is deleted. True when nothing of it is left.
bool Discard(const ProcessWait& wait);

// Whether the encoder of the current recording has ended on its own, and
// with which code. False when it runs or none was started.
bool HasEnded(DWORD& exitCode);

// Forgets the encoder of a recording that has ended on its own (its handles
// are closed); its exit code is logged.
void Forget();

// What the encoder said on its status channel (its standard output, read on
// a thread of its own) since the last call; encoder_status_win.h turns it
// into the recording's sound.
std::vector<StatusLine> TakeStatusLines();

}  // namespace EncoderProcess

// The folder of a recording path ("" when it has none).
std::wstring RecordingFolderOf(const std::wstring& recordingPath);

// Deletes the recording file, its segments and logs ("<path>" and
// "<path>.*") and then its folder when nothing else is in it. True when the
// recording and its segments are gone.
bool DeleteRecordingFiles(const std::wstring& recordingPath);

// After a recording that is kept for later (a failed finish, a lost
// encoder): the next recording goes to a new folder, so it never mixes with
// the kept segments.
void MoveToNewRecordingFolder();

// Ends (exit code 9) every process whose file name is exactly "ffmpeg.exe",
// after a prepared encoder of ours was discarded (so it leaves no files; the
// program is closing, so nothing waits for its windows meanwhile).
void TerminateEncoderProcesses();

// Whether any process named ffmpeg.exe, in any letter case, runs.
bool IsEncoderProcessRunning();

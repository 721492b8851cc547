// What becomes of a finished recording's files: the name the Save dialog
// suggests, the move to the path the teacher chose, the deletion the
// teacher asked for. The windows ask; this does the file work and reports.
#pragma once

#include <windows.h>

#include <string>

// "Plumex_" and the current local time, e.g. Plumex_2024-03-05_141502.
std::wstring MakeDefaultRecordingName();

// How a finished recording ended up.
enum class SaveOutcome { Saved, Deleted, Kept };

// Moves the recording at `temporary` to `chosen`, replacing a file there and
// copying across volumes; first the line "the path is : <chosen>" on
// standard output. Once moved its logs and folder go too. False, with the
// move's error code in `error`, when the recording stayed where it was.
bool MoveRecording(const std::wstring& temporary, const std::wstring& chosen, DWORD& error);

// The teacher's cancel: the recording, then its segments, logs and folder.
// False when the recording file itself could not be deleted (then nothing
// else of it is touched).
bool DeleteRecording(const std::wstring& temporary);

// Finishing a recording: the encoder stopped, the Save dialog with a
// time-stamped name, and the temporary file moved there or deleted.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <string>

// "Plumex_" and the current local time, e.g. Plumex_2024-03-05_141502.
std::wstring MakeDefaultRecordingName();

// Stops the encoder, asks for a path in the Save dialog and moves the
// temporary recording there (a cancel deletes it), then returns to the
// startup window. When the move fails the dialog is offered again for as long
// as the temporary file exists, so the only copy is never left to be
// overwritten by the next recording.
void SaveRecording();

// SaveRecording with another dialog in place of GetSaveFileNameW.
using SaveDialog = std::function<BOOL(OPENFILENAMEW*)>;
void SaveRecordingWith(const SaveDialog& askForPath);

// "<operation> failed with error <code>: <system text>" for the calling
// thread's last error, in a message box captioned "Error".
void ShowMoveError(const wchar_t* operation);

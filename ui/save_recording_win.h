// Finishing a recording: the encoder stopped, the Save dialog with a
// time-stamped name, and the temporary file moved there or deleted.
#pragma once

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <functional>
#include <string>

// "Plumex_" and the current local time, e.g. Plumex_2024-03-05_141502.
std::wstring MakeDefaultRecordingName();

// Finishes the encoder (the window stays responsive, a progress window
// shows) and, only when it reports a complete recording, asks for a path in
// the Save dialog and moves the temporary recording there (the teacher's
// cancel deletes it), then returns to the startup window. When the move
// fails the dialog is offered again for as long as the temporary file
// exists, so the only copy is never left to be overwritten by the next
// recording. A failed finish tells the teacher and keeps every segment for
// the next start.
void SaveRecording();

// GetSaveFileNameW and CommDlgExtendedError, with the dialog library loaded
// at the first use (the program starts without it). When the library cannot
// be had the dialog fails with CDERR_INITIALIZATION.
BOOL ShowSaveDialog(OPENFILENAMEW* dialog);
DWORD SaveDialogErrorCode();

// SaveRecording with another dialog in place of the Save dialog, and another
// source of the dialog's error code.
using SaveDialog = std::function<BOOL(OPENFILENAMEW*)>;
using SaveDialogError = std::function<DWORD()>;
void SaveRecordingWith(const SaveDialog& askForPath, const SaveDialogError& dialogError = SaveDialogErrorCode);

// How a finished recording at `recordingPath` ended up.
enum class SaveOutcome { Saved, Deleted, Kept };

// The Save dialog for a complete recording at `recordingPath`, then the move
// (a cancel deletes it; a dialog that fails or a move that fails is offered
// again; after repeated dialog failures the recording is kept for the next
// start). Its folder goes with it when it is saved or deleted.
SaveOutcome OfferSaveDialog(const std::wstring& recordingPath, const SaveDialog& askForPath,
                            const SaveDialogError& dialogError);

// How many times a failing Save dialog is offered before the recording is
// kept for the next start instead.
constexpr int kSaveDialogAttempts = 3;

// "<operation> failed with error <code>: <system text>" for the calling
// thread's last error, in a message box captioned "Error".
void ShowMoveError(const wchar_t* operation);

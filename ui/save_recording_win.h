// Finishing a recording: the encoder stopped while the windows keep working,
// the Save dialog with a time-stamped name, the recording moved there or
// deleted, the messages on the way, and back to the startup window.
#pragma once

#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <functional>
#include <string>

#include "recording/encoder_process_win.h"
#include "recording/recording_files_win.h"

// Stops the encoder while the windows keep working, with the progress window
// once the finish takes longer than a moment. An encoder that had to be
// ended (past `waitLimitMs`) is told to the teacher before anything else.
// The encoder's exit code (EncoderProcess::Stop).
DWORD FinishEncoder(DWORD waitLimitMs = EncoderProcess::kStopWaitLimitMs);

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

// The Save dialog for a complete recording at `recordingPath`, then the move
// (a cancel deletes it; a dialog that fails or a move that fails is offered
// again; after repeated dialog failures the recording is kept for the next
// start). Its folder goes with it when it is saved or deleted.
SaveOutcome OfferSaveDialog(const std::wstring& recordingPath, const SaveDialog& askForPath,
                            const SaveDialogError& dialogError);

// How many times a failing Save dialog is offered before the recording is
// kept for the next start instead.
constexpr int kSaveDialogAttempts = 3;

// "<operation> failed with error <code>: <system text>" in a message box
// captioned "Error", for `error` or the calling thread's last error.
void ShowMoveError(const wchar_t* operation, DWORD error);
void ShowMoveError(const wchar_t* operation);

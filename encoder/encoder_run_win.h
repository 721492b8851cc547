// The adapter's run: checks its command line, finds what the machine offers,
// records segment after segment as the commands on standard input say, and
// joins them into the output file at the end.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "encoder/encoder_args.h"
#include "encoder/matroska_scan.h"
#include "encoder/protocol.h"

// Exit codes and the recovery mode's option (kJoinSegmentsOption): encoder/protocol.h.

// Names of the files beside the output.
std::wstring EncoderLogPath(const std::wstring& outputPath);

// The screen filter's capture area from its settings (kScreenFilterKey, 32-bit
// view), kept inside the virtual screen; empty when a value is missing.
std::optional<CaptureArea> ReadScreenFilterArea();

// The devices the core can use, with COM started for the enumeration.
CaptureDevices FindCaptureDevices();

// Reads a Matroska file's track spans.
MatroskaSummary ScanMatroskaFile(const std::wstring& path);

// The file the join core writes before it is checked and renamed to the output.
std::wstring JoiningPath(const std::wstring& outputPath);

struct JoinRequest {
    std::wstring corePath;
    std::vector<std::wstring> segments;
    std::wstring listPath;
    std::wstring outputPath;
    HANDLE coreOutput = nullptr;  // the core's messages go here (may be null)
    HANDLE job = nullptr;         // the join core runs in it (may be null)
    // Signalled when something arrived that may end the join; `stop` then
    // says whether it must end (a discard). Both may be empty.
    HANDLE wake = nullptr;
    std::function<bool()> stop;
};

enum class JoinResult { Joined, Failed, NoRoom, Stopped };

// Joins the segments that hold anything into JoiningPath, checks the result
// against the segments (see join_check.h), renames it to the output, and only
// then deletes the segments that went into it (and those surely without
// media), and the list. A segment whose blocks cannot be read is left out and
// kept. On any failure nothing is deleted but the unfinished joined file.
// Logs every step.
JoinResult JoinSegments(const JoinRequest& request);

// Everything the adapter does between its command line and its exit code.
// `input` is where the commands come from (its standard input).
int RunEncoder(const std::vector<std::wstring>& words, const std::wstring& corePath, HANDLE input);

// The recovery mode: joins the "<output>.partNNN.mkv" files beside
// `outputPath` into it; exit codes as for a recording (0, 2, 3 or 6).
int RunJoinSegments(const std::wstring& outputPath, const std::wstring& corePath);

// A message for whoever started the adapter, on standard error.
void ReportToConsole(const std::wstring& message);

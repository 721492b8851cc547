// The adapter's run: checks its command line, finds what the machine offers,
// records segment after segment as the commands on standard input say, and
// joins them into the output file at the end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "encoder/encoder_args.h"
#include "encoder/matroska_scan.h"

// Exit codes of ffmpeg.exe.
constexpr int kExitDone = 0;          // the output file is complete
constexpr int kExitBadArguments = 1;  // the command line is not one the program builds
constexpr int kExitNoCore = 2;        // ffmpeg-core.exe is missing or does not start
constexpr int kExitJoinFailed = 3;    // nothing was recorded, or the join failed: segments kept
constexpr int kExitCoreLost = 4;      // the core stopped while recording: what there was is joined, segments kept

// Names of the files beside the output.
std::wstring EncoderLogPath(const std::wstring& outputPath);

// The DirectShow inputs of a category by friendly name: video (true) or audio.
std::vector<std::wstring> DirectShowInputNames(bool video);

// The screen filter's capture area from HKCU\SOFTWARE\screen-capture-recorder
// (32-bit view), kept inside the virtual screen; empty when a value is missing.
std::optional<ScreenArea> ReadScreenFilterArea();

// The devices the core can use, with COM started for the enumeration.
CaptureDevices FindCaptureDevices();

// Reads a Matroska file's track spans.
MatroskaSummary ScanMatroskaFile(const std::wstring& path);

// Joins `segments` into `outputPath` with the core at `corePath`, each cut to
// the length all its tracks cover; segments without picture are left out.
// Returns true when the output was written completely. Logs every step.
bool JoinSegments(const std::wstring& corePath, const std::vector<std::wstring>& segments,
                  const std::wstring& listPath, const std::wstring& outputPath, HANDLE coreOutput);

// Everything the adapter does between its command line and its exit code.
// `input` is where the commands come from (its standard input).
int RunEncoder(const std::vector<std::wstring>& words, const std::wstring& corePath, HANDLE input);

// A message for whoever started the adapter, on standard error.
void ReportToConsole(const std::wstring& message);

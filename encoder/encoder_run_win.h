// The adapter's run: checks its command line, finds what the machine offers,
// records segment after segment as the commands on standard input say, and
// joins them into the output file at the end; or, in the recovery mode,
// joins what a recording left.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Everything the adapter does between its command line and its exit code
// (protocol/exit_codes.h). `input` is where the commands come from (its
// standard input).
int RunEncoder(const std::vector<std::wstring>& words, const std::wstring& corePath, HANDLE input);

// The recovery mode: joins the "<output>.partNNN.mkv" files beside
// `outputPath` into it; exit codes as for a recording (0, 2, 3 or 6).
int RunJoinSegments(const std::wstring& outputPath, const std::wstring& corePath);

// A message for whoever started the adapter, on standard error.
void ReportToConsole(const std::wstring& message);

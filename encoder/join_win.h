// The join: the segments of a recording made into the output file by the
// stock core, checked before a single segment is deleted.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "encoder/run_plan.h"

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

// Joins the segments that hold anything into JoiningPath, checks the result
// against the segments (see join_check.h), renames it to the output, and only
// then deletes the segments that went into it (and those surely without
// media), and the list. A segment whose blocks cannot be read is left out and
// kept. On any failure nothing is deleted but what the join made itself
// (run_plan.h, CleanupAfterJoin). Logs every step.
JoinResult JoinSegments(const JoinRequest& request);

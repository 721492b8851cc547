// The adapter's decisions at the end of a recording, apart from the files
// and processes they act on: what becomes of each segment in the join
// (include, pad, keep, delete), which files a join leaves, and which exit
// code ends a run with what left behind. Nothing here touches Windows.
#pragma once

#include <cstdint>
#include <optional>

#include "encoder/session.h"
#include "support/matroska_scan.h"

// What becomes of one segment in the join.
enum class SegmentFate {
    Missing,  // never written: its core ended before it made the file
    Delete,   // surely holds no media (its core ended before the first frame): deleted with the joined segments
    Keep,     // holds nothing readable: left out of the join and kept, so that nothing of it is lost
    Pad,      // its sound stops early: a copy padded with silence goes into the join where it can be made
    Include,  // goes into the join as it is
};

// The fate of a segment from whether it exists, what its scan found and its size.
SegmentFate TriageSegment(bool exists, const MatroskaSummary& summary, uint64_t size);

// Whether the padded copy of `segment` takes its place in the join: the
// padding core ended with `coreExit` 0 and the copy (`copy`, its scan) holds
// all the picture with sound up to its end. Otherwise the segment goes in as
// it is, and later sound may play early.
bool PaddedCopyServes(const MatroskaSummary& segment, std::optional<uint32_t> coreExit, const MatroskaSummary& copy);

enum class JoinResult { Joined, Failed, NoRoom, Stopped };

// Which of its files a join deletes when it ended with `result`.
// `nothingJoinable`: no segment held anything to join.
struct JoinCleanup {
    bool joinedSegments = false;  // the segments that went into the joined file
    bool emptySegments = false;   // the segments that surely hold no media
    bool paddedCopies = true;
    bool list = true;
    bool joiningFile = true;      // the joined file before its check, unless it became the output
};
JoinCleanup CleanupAfterJoin(JoinResult result, bool nothingJoinable);

// What a run does once its session has ended with `last` (a discard that came
// meanwhile has already made it SessionStep::Discard).
enum class RunFinish { KeepSegments, Join, Discard };
struct RunEndPlan {
    RunFinish finish = RunFinish::Join;
    // The recording core finishes its segment first; otherwise the core
    // waiting for the next segment is ended, as it never recorded.
    bool finishSegment = false;
};
RunEndPlan PlanRunEnd(SessionStep last);

// What a run leaves behind.
enum class RunLeaves {
    Output,    // the joined recording; segments and list gone, the log kept
    Segments,  // every segment with content, for a later join; the log kept
    Nothing,   // discarded: segments, list and log deleted
};
struct RunOutcome {
    int exitCode = 0;
    RunLeaves leaves = RunLeaves::Nothing;
};

// The end of a run from its last step, the join's result (read only where
// the run joined) and whether the core stopped while recording.
RunOutcome RunOutcomeOf(SessionStep last, JoinResult join, bool coreFailed);

// The exit code for a join's result: also the recovery mode's.
int ExitCodeOf(JoinResult result);

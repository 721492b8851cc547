#include "encoder/run_plan.h"

#include "encoder/join_check.h"
#include "protocol/exit_codes.h"

SegmentFate TriageSegment(bool exists, const MatroskaSummary& summary, uint64_t size) {
    if (!exists) return SegmentFate::Missing;
    if (HoldsNoMedia(summary, size)) return SegmentFate::Delete;
    // Nothing of it can reach the output, so nothing of it may be deleted either.
    if (!HasContent(summary)) return SegmentFate::Keep;
    // In the joined file sound has no time stamps of its own: a gap would
    // pull all later sound forward.
    if (SoundFallsShort(summary)) return SegmentFate::Pad;
    return SegmentFate::Include;
}

bool PaddedCopyServes(const MatroskaSummary& segment, std::optional<uint32_t> coreExit, const MatroskaSummary& copy) {
    if (!coreExit || *coreExit != 0) return false;
    return PictureEndNs(copy) >= PictureEndNs(segment) && !SoundFallsShort(copy);
}

JoinCleanup CleanupAfterJoin(JoinResult result, bool nothingJoinable) {
    JoinCleanup cleanup;
    if (result == JoinResult::Joined) {
        cleanup.joinedSegments = true;
        cleanup.emptySegments = true;
        cleanup.joiningFile = false;  // it is the output now
        return cleanup;
    }
    // Segments without media hold nothing to offer again; with anything
    // joinable beside them they stay with it for the next try.
    cleanup.emptySegments = nothingJoinable && result == JoinResult::Failed;
    return cleanup;
}

RunEndPlan PlanRunEnd(SessionStep last) {
    switch (last) {
    case SessionStep::Discard: return {RunFinish::Discard, false};
    case SessionStep::KeepSegments: return {RunFinish::KeepSegments, false};
    case SessionStep::FinishAndKeep: return {RunFinish::KeepSegments, true};
    case SessionStep::FinishAndJoin: return {RunFinish::Join, true};
    case SessionStep::Join:
    case SessionStep::Nothing:
    case SessionStep::EndSegment:
    case SessionStep::StartSegment:
        break;
    }
    return {RunFinish::Join, false};
}

int ExitCodeOf(JoinResult result) {
    switch (result) {
    case JoinResult::Joined: return kExitDone;
    case JoinResult::NoRoom: return kExitNoRoom;
    case JoinResult::Stopped: return kExitDiscarded;
    case JoinResult::Failed: break;
    }
    return kExitJoinFailed;
}

RunOutcome RunOutcomeOf(SessionStep last, JoinResult join, bool coreFailed) {
    switch (PlanRunEnd(last).finish) {
    case RunFinish::Discard: return {kExitDiscarded, RunLeaves::Nothing};
    case RunFinish::KeepSegments: return {coreFailed ? kExitCoreLost : kExitJoinFailed, RunLeaves::Segments};
    case RunFinish::Join: break;
    }
    if (join == JoinResult::Stopped) return {kExitDiscarded, RunLeaves::Nothing};
    return {ExitCodeOf(join), join == JoinResult::Joined ? RunLeaves::Output : RunLeaves::Segments};
}

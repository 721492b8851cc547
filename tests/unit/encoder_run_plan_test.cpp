// The adapter's decisions at the end of a recording, as tables: what becomes
// of each segment in the join, which files a join leaves, and which exit
// code ends a run with what left behind, from the session's last step, the
// join's result and a lost core.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/run_plan.h"
#include "protocol/exit_codes.h"

namespace {

// A track of `blocks` frames from 0 to `lastMs`: 100 ms pictures, 23 ms sound frames.
TrackSpan Span(TrackKind kind, uint64_t blocks, int64_t lastMs) {
    const uint64_t frameNs = kind == TrackKind::Video ? 100000000 : 23000000;
    return TrackSpan{kind == TrackKind::Video ? 1u : 2u, kind, blocks, 0, lastMs * 1000000, frameNs};
}

MatroskaSummary Summary(std::vector<TrackSpan> tracks, uint64_t clusters = 1, bool readable = true) {
    MatroskaSummary s;
    s.readable = readable;
    s.clusters = clusters;
    s.tracks = std::move(tracks);
    return s;
}

const char* FateName(SegmentFate fate) {
    switch (fate) {
    case SegmentFate::Missing: return "missing";
    case SegmentFate::Delete: return "delete";
    case SegmentFate::Keep: return "keep";
    case SegmentFate::Pad: return "pad";
    case SegmentFate::Include: return "include";
    }
    return "?";
}

constexpr auto V = TrackKind::Video;
constexpr auto A = TrackKind::Audio;

}  // namespace

TEST(TriageSegment, IncludesPadsKeepsOrDeletesEachSegment) {
    const struct {
        const char* what;
        bool exists;
        MatroskaSummary summary;
        uint64_t size;
        SegmentFate fate;
    } cases[] = {
        {"never written", false, MatroskaSummary(), 0, SegmentFate::Missing},
        {"an empty file", true, Summary({}, 0, false), 0, SegmentFate::Delete},
        {"headers and no cluster: its core ended before the first frame", true, Summary({Span(V, 0, 0)}, 0), 400,
         SegmentFate::Delete},
        {"bytes that are not Matroska: never deleted", true, Summary({}, 0, false), 5000, SegmentFate::Keep},
        {"a cluster begun and no whole block: kept", true, Summary({Span(V, 0, 0), Span(A, 0, 0)}, 1), 5000,
         SegmentFate::Keep},
        {"picture and sound to its end", true, Summary({Span(V, 30, 2900), Span(A, 140, 3177)}), 90000,
         SegmentFate::Include},
        {"picture alone", true, Summary({Span(V, 30, 2900)}), 90000, SegmentFate::Include},
        {"sound alone", true, Summary({Span(A, 140, 3177)}), 20000, SegmentFate::Include},
        {"sound 0.2 s short: trimmed, not padded", true, Summary({Span(V, 30, 2900), Span(A, 120, 2777)}), 90000,
         SegmentFate::Include},
        {"sound stopped after a second", true, Summary({Span(V, 30, 2900), Span(A, 40, 977)}), 90000,
         SegmentFate::Pad},
        {"a sound track that delivered nothing: nothing to pad from", true, Summary({Span(V, 30, 2900), Span(A, 0, 0)}),
         90000, SegmentFate::Include},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FateName(TriageSegment(c.exists, c.summary, c.size)), FateName(c.fate)) << c.what;
}

TEST(PaddedCopyServes, OnlyACompleteCopyWithSoundToTheEndTakesTheSegmentsPlace) {
    const MatroskaSummary segment = Summary({Span(V, 30, 2900), Span(A, 40, 977)});
    const MatroskaSummary padded = Summary({Span(V, 30, 2900), Span(A, 130, 2990)});
    const struct {
        const char* what;
        std::optional<uint32_t> coreExit;
        MatroskaSummary copy;
        bool serves;
    } cases[] = {
        {"padded to the picture's end", 0u, padded, true},
        {"the padding core failed", 1u, padded, false},
        {"the padding core did not start", static_cast<uint32_t>(-1), padded, false},
        {"no exit code", std::nullopt, padded, false},
        {"an unreadable copy", 0u, MatroskaSummary(), false},
        {"picture lost in the copy", 0u, Summary({Span(V, 20, 1900), Span(A, 90, 1990)}), false},
        {"the sound still stops early", 0u, Summary({Span(V, 30, 2900), Span(A, 60, 1400)}), false},
    };
    for (const auto& c : cases) EXPECT_EQ(PaddedCopyServes(segment, c.coreExit, c.copy), c.serves) << c.what;
}

TEST(CleanupAfterJoin, OnlyAJoinedFileLetsTheSegmentsGo) {
    const struct {
        JoinResult result;
        bool nothingJoinable;
        bool joinedSegments, emptySegments, paddedCopies, list, joiningFile;
        const char* what;
    } cases[] = {
        {JoinResult::Joined, false, true, true, true, true, false, "joined: the joined file is the output now"},
        {JoinResult::Failed, false, false, false, true, true, true, "failed: only what the join made goes"},
        {JoinResult::Failed, true, false, true, true, true, true, "nothing joinable: the empty segments go too"},
        {JoinResult::NoRoom, false, false, false, true, true, true, "no room: every segment stays"},
        {JoinResult::Stopped, false, false, false, true, true, true, "stopped: the discard deletes the rest"},
        {JoinResult::Stopped, true, false, false, true, true, true, "stopped before anything was taken"},
    };
    for (const auto& c : cases) {
        const JoinCleanup cleanup = CleanupAfterJoin(c.result, c.nothingJoinable);
        EXPECT_EQ(cleanup.joinedSegments, c.joinedSegments) << c.what;
        EXPECT_EQ(cleanup.emptySegments, c.emptySegments) << c.what;
        EXPECT_EQ(cleanup.paddedCopies, c.paddedCopies) << c.what;
        EXPECT_EQ(cleanup.list, c.list) << c.what;
        EXPECT_EQ(cleanup.joiningFile, c.joiningFile) << c.what;
    }
}

TEST(RunOutcomeOf, EachLastStepJoinResultAndCoreFailureGivesItsExitCodeAndWhatStays) {
    using L = RunLeaves;
    struct Outcome {
        int exitCode;
        RunLeaves leaves;
    };
    const Outcome done{kExitDone, L::Output}, failed{kExitJoinFailed, L::Segments}, noRoom{kExitNoRoom, L::Segments},
        discarded{kExitDiscarded, L::Nothing}, lost{kExitCoreLost, L::Segments};
    // For each last step and core failure: the outcome after a join that
    // Joined, Failed, found NoRoom, or was Stopped by a discard.
    const struct {
        SessionStep step;
        bool coreFailed;
        RunFinish finish;
        bool finishSegment;
        Outcome outcomes[4];
        const char* what;
    } cases[] = {
        {SessionStep::FinishAndJoin, false, RunFinish::Join, true, {done, failed, noRoom, discarded}, "quit while recording"},
        {SessionStep::Join, false, RunFinish::Join, false, {done, failed, noRoom, discarded}, "quit while paused"},
        {SessionStep::KeepSegments, false, RunFinish::KeepSegments, false, {failed, failed, failed, failed},
         "input closed while paused"},
        {SessionStep::KeepSegments, true, RunFinish::KeepSegments, false, {lost, lost, lost, lost}, "the core stopped"},
        {SessionStep::FinishAndKeep, false, RunFinish::KeepSegments, true, {failed, failed, failed, failed},
         "input closed while recording"},
        {SessionStep::FinishAndKeep, true, RunFinish::KeepSegments, true, {lost, lost, lost, lost},
         "input closed after a lost core"},
        {SessionStep::Discard, false, RunFinish::Discard, false, {discarded, discarded, discarded, discarded}, "discard"},
        {SessionStep::Discard, true, RunFinish::Discard, false, {discarded, discarded, discarded, discarded},
         "discard after a lost core"},
        // Steps that end no session are joined like a quit while paused: the
        // segments stay unless the join succeeds.
        {SessionStep::Nothing, false, RunFinish::Join, false, {done, failed, noRoom, discarded}, "nothing"},
        {SessionStep::EndSegment, false, RunFinish::Join, false, {done, failed, noRoom, discarded}, "a pause"},
        {SessionStep::StartSegment, false, RunFinish::Join, false, {done, failed, noRoom, discarded}, "a resume"},
    };
    const JoinResult results[4] = {JoinResult::Joined, JoinResult::Failed, JoinResult::NoRoom, JoinResult::Stopped};
    for (const auto& c : cases) {
        const RunEndPlan plan = PlanRunEnd(c.step);
        EXPECT_EQ(plan.finish, c.finish) << c.what;
        EXPECT_EQ(plan.finishSegment, c.finishSegment) << c.what;
        for (int i = 0; i < 4; ++i) {
            const RunOutcome outcome = RunOutcomeOf(c.step, results[i], c.coreFailed);
            EXPECT_EQ(outcome.exitCode, c.outcomes[i].exitCode) << c.what << ", join result " << i;
            EXPECT_EQ(outcome.leaves, c.outcomes[i].leaves) << c.what << ", join result " << i;
        }
    }
    // The recovery mode ends with the join's code alone.
    EXPECT_EQ(ExitCodeOf(JoinResult::Joined), kExitDone);
    EXPECT_EQ(ExitCodeOf(JoinResult::Failed), kExitJoinFailed);
    EXPECT_EQ(ExitCodeOf(JoinResult::NoRoom), kExitNoRoom);
    EXPECT_EQ(ExitCodeOf(JoinResult::Stopped), kExitDiscarded);
}

// A session driven by what Tavrix sends and what befalls the core, to its
// exit code: the session's states and the run plan together.
TEST(RunOutcomeOf, WhatTavrixSendsEndsTheRunAsTheTeacherExpects) {
    using C = EncoderCommand;
    enum Event { P, R, Q, D, G, Closed, Lost };
    const struct {
        const char* what;
        bool held;
        std::vector<Event> events;
        JoinResult join;  // what the join gives where there is one
        int exitCode;
        RunLeaves leaves;
    } cases[] = {
        {"record, pause, finish", false, {P, Q}, JoinResult::Joined, kExitDone, RunLeaves::Output},
        {"finish while recording, the join refused", false, {Q}, JoinResult::Failed, kExitJoinFailed, RunLeaves::Segments},
        {"the disk is full at the end", false, {P, R, P, Q}, JoinResult::NoRoom, kExitNoRoom, RunLeaves::Segments},
        {"discarded during the join", false, {P, Q}, JoinResult::Stopped, kExitDiscarded, RunLeaves::Nothing},
        {"Tavrix went away while recording", false, {Closed}, JoinResult::Joined, kExitJoinFailed, RunLeaves::Segments},
        {"Tavrix went away while paused", false, {P, Closed}, JoinResult::Joined, kExitJoinFailed, RunLeaves::Segments},
        {"the core stopped", false, {Lost}, JoinResult::Joined, kExitCoreLost, RunLeaves::Segments},
        {"the core stopped after a resume", false, {P, R, Lost, Q}, JoinResult::Joined, kExitCoreLost, RunLeaves::Segments},
        {"discarded while paused", false, {P, D}, JoinResult::Joined, kExitDiscarded, RunLeaves::Nothing},
        {"held and abandoned", true, {Closed}, JoinResult::Joined, kExitDiscarded, RunLeaves::Nothing},
        {"held and quit", true, {Q}, JoinResult::Joined, kExitDiscarded, RunLeaves::Nothing},
        {"held, then a lesson", true, {P, G, P, Q}, JoinResult::Joined, kExitDone, RunLeaves::Output},
    };
    for (const auto& c : cases) {
        SessionControl control(c.held);
        SessionStep last = SessionStep::Nothing;
        for (Event event : c.events) {
            if (control.Ended()) break;
            switch (event) {
            case P: last = control.OnCommand(C::Pause); break;
            case R: last = control.OnCommand(C::Resume); break;
            case Q: last = control.OnCommand(C::Quit); break;
            case D: last = control.OnCommand(C::Discard); break;
            case G: last = control.OnCommand(C::Go); break;
            case Closed: last = control.OnInputClosed(); break;
            case Lost: last = control.OnCoreLost(); break;
            }
        }
        ASSERT_TRUE(control.Ended()) << c.what;
        const RunOutcome outcome = RunOutcomeOf(last, c.join, control.CoreFailed());
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.what;
        EXPECT_EQ(outcome.leaves, c.leaves) << c.what;
    }
}

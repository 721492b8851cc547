// The adapter's session: the states the commands lead through, the
// segments it names and the list that joins them.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "encoder/session.h"

TEST(SessionControl, PausesResumesAndFinishesAndIgnoresTheRest) {
    using C = EncoderCommand;
    SessionControl s;
    EXPECT_EQ(s.State(), SessionState::Recording);
    EXPECT_EQ(s.OnCommand(C::Resume), SessionStep::Nothing);  // "r" while recording
    EXPECT_EQ(s.OnCommand(C::Pause), SessionStep::EndSegment);
    EXPECT_EQ(s.State(), SessionState::Paused);
    EXPECT_EQ(s.OnCommand(C::Pause), SessionStep::Nothing);  // "p" while paused
    EXPECT_EQ(s.OnCoreLost(), SessionStep::Nothing);          // no core records while paused
    EXPECT_EQ(s.OnCommand(C::Resume), SessionStep::StartSegment);
    EXPECT_EQ(s.OnCommand(C::Quit), SessionStep::FinishAndJoin);
    EXPECT_EQ(s.State(), SessionState::Finished);
    EXPECT_EQ(s.OnCommand(C::Resume), SessionStep::Nothing);
    EXPECT_FALSE(s.CoreFailed());

    SessionControl paused;
    paused.OnCommand(C::Pause);
    EXPECT_EQ(paused.OnCommand(C::Quit), SessionStep::Join);  // quit while paused: nothing to finish

    // The steering program is gone: no join, the segments wait for its next start.
    SessionControl closed;
    EXPECT_EQ(closed.OnInputClosed(), SessionStep::FinishAndKeep);
    EXPECT_TRUE(closed.Ended());
    EXPECT_EQ(closed.OnInputClosed(), SessionStep::Nothing);
    SessionControl closedPaused;
    closedPaused.OnCommand(C::Pause);
    EXPECT_EQ(closedPaused.OnInputClosed(), SessionStep::KeepSegments);

    SessionControl lost;
    EXPECT_EQ(lost.OnCoreLost(), SessionStep::KeepSegments);  // no join: the segments wait for recovery
    EXPECT_TRUE(lost.CoreFailed());
    EXPECT_EQ(lost.State(), SessionState::Finished);
}

TEST(SessionControl, DiscardEndsEveryStateOnceTheJoinIncluded) {
    using C = EncoderCommand;
    for (int before = 0; before < 3; ++before) {
        SessionControl s;
        if (before >= 1) s.OnCommand(C::Pause);
        if (before >= 2) s.OnCommand(C::Quit);  // joining
        EXPECT_EQ(s.OnCommand(C::Discard), SessionStep::Discard) << before;
        EXPECT_EQ(s.State(), SessionState::Discarded);
        EXPECT_TRUE(s.Ended());
        for (C later : {C::Resume, C::Pause, C::Quit, C::Discard}) EXPECT_EQ(s.OnCommand(later), SessionStep::Nothing);
        EXPECT_EQ(s.OnInputClosed(), SessionStep::Nothing);
        EXPECT_EQ(s.OnCoreLost(), SessionStep::Nothing);
    }
}

TEST(SessionControl, HeldWaitsForGoAndKeepsNothingWhenAbandoned) {
    using C = EncoderCommand;
    SessionControl held(true);
    EXPECT_EQ(held.State(), SessionState::Held);
    for (C ignored : {C::Pause, C::Resume}) EXPECT_EQ(held.OnCommand(ignored), SessionStep::Nothing);
    EXPECT_EQ(held.OnCoreLost(), SessionStep::Nothing);  // the waiting core is started again at "g"
    EXPECT_EQ(held.OnCommand(C::Go), SessionStep::StartSegment);
    EXPECT_EQ(held.State(), SessionState::Recording);
    EXPECT_EQ(held.OnCommand(C::Go), SessionStep::Nothing);  // only once, and only from held
    EXPECT_EQ(held.OnCommand(C::Pause), SessionStep::EndSegment);
    EXPECT_EQ(held.OnCommand(C::Go), SessionStep::Nothing);
    SessionControl unheld;
    EXPECT_EQ(unheld.OnCommand(C::Go), SessionStep::Nothing);

    // Nothing was recorded: quitting, throwing away or losing the input all discard.
    for (int how = 0; how < 3; ++how) {
        SessionControl abandoned(true);
        const SessionStep step = how == 0   ? abandoned.OnCommand(C::Quit)
                                 : how == 1 ? abandoned.OnCommand(C::Discard)
                                            : abandoned.OnInputClosed();
        EXPECT_EQ(step, SessionStep::Discard) << how;
        EXPECT_EQ(abandoned.State(), SessionState::Discarded) << how;
        EXPECT_EQ(abandoned.OnCommand(C::Go), SessionStep::Nothing) << how;
    }
}

TEST(SegmentList, NamesSegmentsBesideTheOutputAndNeverReusesAFile) {
    std::set<std::wstring> existing = {L"C:\\t\\temp.avi.part002.mkv", L"C:\\t\\temp.avi.part003.mkv"};
    SegmentList segments(L"C:\\t\\temp.avi", [&](const std::wstring& p) { return existing.count(p) > 0; });
    EXPECT_EQ(segments.ListPath(), L"C:\\t\\temp.avi.parts.txt");
    EXPECT_EQ(segments.Next(), L"C:\\t\\temp.avi.part001.mkv");
    EXPECT_EQ(segments.Next(), L"C:\\t\\temp.avi.part004.mkv");
    segments.DropLast();
    EXPECT_EQ(segments.Next(), L"C:\\t\\temp.avi.part005.mkv");
    EXPECT_EQ(segments.Paths(), (std::vector<std::wstring>{L"C:\\t\\temp.avi.part001.mkv", L"C:\\t\\temp.avi.part005.mkv"}));
}

TEST(ComposeConcatList, NamesFilesRelativelyAndCutsEachAtItsCommonEnd) {
    const std::string list = ComposeConcatList({{L"C:\\t\\temp.avi.part001.mkv", 3023000000},
                                                {L"C:\\t\\it's 课.part002.mkv", 0},
                                                {L"C:\\t\\temp.avi.part003.mkv", 999999}});
    EXPECT_EQ(list,
              "ffconcat version 1.0\n"
              "file 'temp.avi.part001.mkv'\noutpoint 3.023000\n"
              "file 'it'\\''s \xE8\xAF\xBE.part002.mkv'\n"
              "file 'temp.avi.part003.mkv'\noutpoint 0.000999\n");
}

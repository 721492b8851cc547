// The elapsed time as the status bar shows it.
#include <gtest/gtest.h>

#include "ui/elapsed_time.h"

namespace {

TEST(FormatElapsed, FieldsCarryAndHoursAreUnbounded) {
    const struct {
        int32_t seconds;
        const wchar_t* text;
    } cases[] = {
        {0, L"00:00:00"},       {1, L"00:00:01"},       {59, L"00:00:59"},      {60, L"00:01:00"},
        {61, L"00:01:01"},      {599, L"00:09:59"},     {600, L"00:10:00"},     {3599, L"00:59:59"},
        {3600, L"01:00:00"},    {3661, L"01:01:01"},    {35999, L"09:59:59"},   {36000, L"10:00:00"},
        {359999, L"99:59:59"},  {360000, L"100:00:00"}, {2147483647, L"596523:14:07"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatElapsed(c.seconds), c.text) << c.seconds;
}

}  // namespace

namespace {

TEST(RecordedClock, CountsOnlyTheRecordedIntervalsWithTheirPartialSeconds) {
    RecordedClock clock;
    EXPECT_EQ(clock.RecordedMs(5000), 0u);
    // Ten recorded stretches of 1.75 s with pauses of 3 s between them: every
    // partial second counts, the pauses do not.
    uint64_t now = 10000;
    for (int i = 0; i < 10; ++i) {
        clock.Run(now);
        now += 1750;
        EXPECT_EQ(clock.RecordedMs(now), 1750u * (i + 1));
        clock.Stop(now);
        now += 3000;
        EXPECT_EQ(clock.RecordedMs(now), 1750u * (i + 1)) << "paused time counted";
    }
    EXPECT_EQ(clock.RecordedSeconds(now), 17);
    EXPECT_EQ(FormatElapsed(clock.RecordedSeconds(now)), L"00:00:17");

    // A second Run or Stop changes nothing; Reset starts from zero, stopped.
    clock.Run(now);
    clock.Run(now + 500);
    EXPECT_EQ(clock.RecordedMs(now + 1000), 18500u);
    clock.Stop(now + 1000);
    clock.Stop(now + 9000);
    EXPECT_EQ(clock.RecordedMs(now + 9000), 18500u);
    clock.Reset();
    EXPECT_FALSE(clock.Running());
    EXPECT_EQ(clock.RecordedMs(now + 9000), 0u);
    // A reading before the interval's start adds nothing instead of wrapping.
    clock.Run(1000);
    EXPECT_EQ(clock.RecordedMs(999), 0u);
}

}  // namespace

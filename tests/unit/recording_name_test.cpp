// The suggested recording name for fixed local times.
#include <gtest/gtest.h>

#include "recording/recording_name.h"

namespace {

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(RecordingName, IsPlumexAndTheZeroPaddedLocalTime) {
    const std::string name = FormatRecordingName(LocalTime(2024, 3, 5, 14, 15, 2));
    EXPECT_EQ(name, "Plumex_2024-03-05_141502");
    EXPECT_EQ(name.size(), 24u);
    EXPECT_EQ(FormatRecordingName(LocalTime(2025, 1, 1, 0, 0, 0)), "Plumex_2025-01-01_000000");
    EXPECT_EQ(FormatRecordingName(LocalTime(1999, 12, 31, 23, 59, 59)), "Plumex_1999-12-31_235959");
}

}  // namespace

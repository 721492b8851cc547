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

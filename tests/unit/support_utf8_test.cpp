// UTF-8 from wide text, as the encoder's log and the join's list carry names.
#include <gtest/gtest.h>

#include <string>

#include "support/utf8.h"

TEST(Utf8FromWide, EncodesEveryPlaneAndReplacesBrokenPairs) {
    EXPECT_EQ(Utf8FromWide(L"a\u00e9\u4e2d"), "a\xC3\xA9\xE4\xB8\xAD");
    std::wstring emoji;
    if (sizeof(wchar_t) == 2) {
        emoji = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
        EXPECT_EQ(Utf8FromWide(emoji), "\xF0\x9F\x98\x80");
        EXPECT_EQ(Utf8FromWide(std::wstring(1, static_cast<wchar_t>(0xD83D)) + L"x"), "\xEF\xBF\xBDx");
    } else {
        emoji = {static_cast<wchar_t>(0x1F600)};
        EXPECT_EQ(Utf8FromWide(emoji), "\xF0\x9F\x98\x80");
    }
}

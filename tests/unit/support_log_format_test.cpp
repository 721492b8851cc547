// The log line format, through the real output policy and a real stdio stream.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "support/log.h"

namespace {

std::string ReadAll(FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) text.append(buffer, n);
    return text;
}

// Points the log at a temporary stream for one test and back afterwards.
class LogToTemporaryFile : public testing::Test {
protected:
    void SetUp() override {
        m_previous = Output2FILE::Target();
        m_file = std::tmpfile();
        ASSERT_NE(m_file, nullptr);
        Output2FILE::Target() = m_file;
    }
    void TearDown() override {
        Output2FILE::Target() = m_previous;
        std::fclose(m_file);
    }
    FILE* m_file = nullptr;
    FILE* m_previous = nullptr;
};

TEST_F(LogToTemporaryFile, LinesHavePrefixTimeLevelAndMessage) {
    TAVRIX_LOG(LevelDebug) << "register video capture failed";
    TAVRIX_LOG(LevelError) << "100% done, %s %d %n";  // never used as a format
    const std::string text = ReadAll(m_file);
    const std::regex line(R"(- \d\d:\d\d:\d\d\.-?\d{3,} DEBUG: register video capture failed\r?\n)"
                          R"(- \d\d:\d\d:\d\d\.-?\d{3,} ERROR: 100% done, %s %d %n\r?\n)");
    EXPECT_TRUE(std::regex_match(text, line)) << text;
}

TEST(LogFormat, LevelNamesAndThreshold) {
    EXPECT_STREQ(LevelName(LevelError), "ERROR");
    EXPECT_STREQ(LevelName(LevelWarning), "WARNING");
    EXPECT_STREQ(LevelName(LevelInfo), "INFO");
    EXPECT_STREQ(LevelName(LevelDebug), "DEBUG");
    EXPECT_STREQ(LevelName(4), "");
    EXPECT_STREQ(LevelName(-1), "");
    EXPECT_TRUE(LogEnabled(LevelDebug));
    EXPECT_FALSE(LogEnabled(LevelDebug + 1));
}

TEST(LogFormat, TimeStamps) {
    EXPECT_EQ(ComposeTimeStamp("09:15:02", 0), "09:15:02.000");
    EXPECT_EQ(ComposeTimeStamp("09:15:02", 7), "09:15:02.007");
    EXPECT_EQ(ComposeTimeStamp("09:15:02", 123456), "09:15:02.456");
    EXPECT_EQ(ComposeTimeStamp("23:59:59", -1), "23:59:59.-01");  // a run past 2^31 ms
    EXPECT_EQ(ComposeTimeStamp(nullptr, 42), "Error in NowTime()");
}

TEST(LogFormat, NoTargetWritesNothingAndMakesNoLine) {
    FILE* previous = Output2FILE::Target();
    Output2FILE::Target() = nullptr;
    EXPECT_FALSE(LogEnabled(LevelError));
    bool evaluated = false;
    TAVRIX_LOG(LevelError) << (evaluated = true, "x");
    Output2FILE::Target() = previous;
    EXPECT_FALSE(evaluated);
}

}  // namespace

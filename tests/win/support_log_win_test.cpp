// The log through a real file opened as the program opens it: text mode,
// appended to, one flushed line per statement, the Windows time stamp.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "support/log.h"

namespace {

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FileLog, RunsAppendLinesInTextModeAndEachLineIsOnDiskAtOnce) {
    const char* path = "log_win_test.log";
    std::remove(path);
    FILE* previous = Output2FILE::Target();
    for (int run = 1; run <= 2; ++run) {
        FILE* file = nullptr;
        ASSERT_EQ(fopen_s(&file, path, "a"), 0);
        Output2FILE::Target() = file;
        TAVRIX_LOG(LevelDebug) << "run " << run << " regsvr32 /s \"C:\\Program Files\\Tavrix\\audio_sniffer.dll\"";
        // Flushed with the line: another reader sees it before the file is closed.
        EXPECT_NE(ReadFile(path).find("run " + std::to_string(run)), std::string::npos);
        Output2FILE::Target() = previous;
        std::fclose(file);
    }
    const std::regex lines(
        R"(- \d\d:\d\d:\d\d\.\d{3} DEBUG: run 1 regsvr32 /s "C:\\Program Files\\Tavrix\\audio_sniffer.dll"\r\n)"
        R"(- \d\d:\d\d:\d\d\.\d{3} DEBUG: run 2 regsvr32 /s "C:\\Program Files\\Tavrix\\audio_sniffer.dll"\r\n)");
    const std::string text = ReadFile(path);
    EXPECT_TRUE(std::regex_match(text, lines)) << text;
    std::remove(path);
}

TEST(FileLog, NowTimeIsLocalClockAndMillisecondsSinceTheFirstStamp) {
    const std::string first = NowTime();
    Sleep(250);
    const std::string second = NowTime();
    const std::regex stamp(R"((\d\d):(\d\d):(\d\d)\.(\d{3}))");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(second, m, stamp)) << second;
    ASSERT_TRUE(std::regex_match(first, stamp)) << first;
    // The run's first stamp sets the base: its fraction is 000.
    EXPECT_EQ(first.substr(8), ".000");
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int stampSeconds = std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3]);
    const int nowSeconds = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
    EXPECT_LE((nowSeconds - stampSeconds + 86400) % 86400, 2);
    // The fraction counts from the first stamp of the run, not the clock's milliseconds.
    EXPECT_GE(std::stoi(m[4]), 150);
}

}  // namespace

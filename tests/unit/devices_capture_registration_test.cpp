// The registration tool's command lines, and what is logged and returned
// when the tool starts and when it does not.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "devices/capture_registration.h"
#include "support/log.h"

namespace {

// The log sent into a file for the test's life; Lines() gives whole lines.
class LogToFile {
public:
    LogToFile() : m_path(std::filesystem::temp_directory_path() / "tavrix-registration-test.log") {
        std::filesystem::remove(m_path);
        m_file = std::fopen(m_path.string().c_str(), "w");
        m_previous = Output2FILE::Target();
        Output2FILE::Target() = m_file;
    }
    ~LogToFile() {
        Output2FILE::Target() = m_previous;
        std::fclose(m_file);
        std::filesystem::remove(m_path);
    }
    std::vector<std::string> Lines() {
        std::fflush(m_file);
        std::ifstream in(m_path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }
private:
    std::filesystem::path m_path;
    FILE* m_file = nullptr;
    FILE* m_previous = nullptr;
};

std::string Message(const std::string& line) {
    const size_t at = line.find(" DEBUG: ");
    return line.rfind("- ", 0) == 0 && at != std::string::npos ? line.substr(at + 8) : "<malformed> " + line;
}

std::string Ascii(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(RegistrationCommandLine, QuotesTheDllPathAsOneArgument) {
    EXPECT_EQ(RegistrationCommandLine(L"C:\\Program Files\\Tavrix\\", kScreenCaptureFilter),
              L"regsvr32 /s \"C:\\Program Files\\Tavrix\\screen-capture-recorder.dll\"");
    EXPECT_EQ(RegistrationCommandLine(L"D:\\lessons/tools\\", kAudioCaptureFilter),
              L"regsvr32 /s \"D:\\lessons/tools\\audio_sniffer.dll\"");
    // No folder known: the tool resolves the bare file name itself.
    EXPECT_EQ(RegistrationCommandLine(L"", kAudioCaptureFilter), L"regsvr32 /s \"audio_sniffer.dll\"");
}

TEST(RegisterCaptureFilter, AStartedToolLogsOnlyItsCommandLine) {
    LogToFile log;
    std::wstring started;
    const bool result = RegisterCaptureFilter(
        kScreenCaptureFilter, L"C:\\Program Files\\Tavrix\\",
        [&](std::wstring& commandLine) {
            started = commandLine;
            commandLine[0] = L'X';  // the system may write into the buffer
            return true;
        },
        Ascii);
    EXPECT_TRUE(result);
    EXPECT_EQ(started, L"regsvr32 /s \"C:\\Program Files\\Tavrix\\screen-capture-recorder.dll\"");
    const std::vector<std::string> lines = log.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(Message(lines[0]), "regsvr32 /s \"C:\\Program Files\\Tavrix\\screen-capture-recorder.dll\"");
}

TEST(RegisterCaptureFilter, AToolThatCannotStartLogsTheLineThenTheFailure) {
    const struct {
        const CaptureFilterDll* filter;
        const char* commandLine;
        const char* failure;
    } rows[] = {
        {&kScreenCaptureFilter, "regsvr32 /s \"C:\\a b\\screen-capture-recorder.dll\"", "register video capture failed"},
        {&kAudioCaptureFilter, "regsvr32 /s \"C:\\a b\\audio_sniffer.dll\"", "register audio capture failed"},
    };
    for (const auto& row : rows) {
        LogToFile log;
        EXPECT_FALSE(RegisterCaptureFilter(*row.filter, L"C:\\a b\\", [](std::wstring&) { return false; }, Ascii));
        const std::vector<std::string> lines = log.Lines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(Message(lines[0]), row.commandLine);
        EXPECT_EQ(Message(lines[1]), row.failure);
    }
}

}  // namespace

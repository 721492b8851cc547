// What the test encoder accepts on its command line: exactly the shapes the
// program's encoder command line takes, nothing looser. Needs no Windows.
#pragma once

#include <string>

struct EncoderRequest {
    bool speaker = false;       // the speaker loopback filter is an input
    std::wstring microphone;    // the microphone device name, "" when none
    bool goodQuality = false;   // the "good" x264 options, else the "normal" ones
    int frameRate = 0;          // the number after "-r"
    std::wstring outputPath;    // the quoted output path, quotes removed
};

// Parses the whole command line (first word included). On a mismatch returns
// false and says in `error` what was expected where.
bool ParseEncoderCommandLine(const std::wstring& commandLine, EncoderRequest& request, std::wstring& error);

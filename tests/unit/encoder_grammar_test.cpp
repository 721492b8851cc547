// The test encoder accepts every command line the program builds, decoded
// correctly, and refuses anything that differs from that grammar.
#include <gtest/gtest.h>

#include "recording/capture_command.h"
#include "tests/fakes/encoder_grammar.h"

namespace {

const std::wstring kPath = L"C:\\Users\\老师\\AppData\\Local\\Temp\\RecClass2\\temp.avi";

std::wstring Build(bool current, CaptureFlags flags, const std::wstring& microphone) {
    std::wstring line;
    AssembleCaptureCommandLine(current, flags, [&] { return microphone; }, kPath, line);
    return line;
}

TEST(EncoderGrammar, AcceptsEveryCommandLineTheProgramBuilds) {
    for (bool current : {true, false})
        for (CaptureFlags audio : {0u, 0x100u, 0x200u, 0x300u})
            for (CaptureFlags quality : {0u, 1u, 2u})
                for (const std::wstring& microphone : {std::wstring(), std::wstring(L"In: default (USB 麦克风)")}) {
                    const std::wstring line = Build(current, audio | quality, microphone);
                    EncoderRequest request;
                    std::wstring error;
                    ASSERT_TRUE(ParseEncoderCommandLine(line, request, error))
                        << std::string(error.begin(), error.end());
                    EXPECT_EQ(request.speaker, current && (audio & 0x100) != 0);
                    const bool micAsked = current ? (audio & 0x200) != 0 : audio != 0;
                    EXPECT_EQ(request.microphone, micAsked ? microphone : std::wstring());
                    EXPECT_EQ(request.goodQuality, quality == 2);
                    EXPECT_EQ(request.frameRate, 10);
                    EXPECT_EQ(request.outputPath, kPath);
                }
}

TEST(EncoderGrammar, RefusesWhatTheProgramNeverBuilds) {
    const std::wstring good = Build(true, 0x300 | 1, L"Mic");
    auto replaced = [&](const std::wstring& from, const std::wstring& to) {
        std::wstring line = good;
        const size_t at = line.find(from);
        return at == std::wstring::npos ? std::wstring(L"<piece missing>") : line.replace(at, from.size(), to);
    };
    const std::wstring refused[] = {
        L"",
        L"ffmpeg.exe" + good.substr(6),                         // another first word
        replaced(L" -y", L""),                                  // no overwrite
        replaced(L" -pause_support", L""),                      // an encoder without pause
        replaced(L" -y", L"  -y"),                              // a doubled blank
        replaced(L" -filter_complex amix", L""),                // two inputs, no mix
        replaced(L" -b:a 64k -strict -2 -c:a aac", L""),        // audio without its codec
        replaced(L"audio=\"Mic\"", L"audio=\"\""),               // an empty microphone name
        replaced(L"audio=\"Mic\"", L"audio=Mic"),                // an unquoted name
        replaced(L" \"C:", L" C:"),                             // an unquoted output path
        replaced(L"-r 10", L"-r 0"),
        replaced(L"-r 10", L"-r x"),
        good + L" ",                                            // anything after the path
        good + L"\r\n",
    };
    for (const std::wstring& line : refused) {
        EncoderRequest request;
        std::wstring error;
        EXPECT_FALSE(ParseEncoderCommandLine(line, request, error)) << std::string(line.begin(), line.end());
        EXPECT_FALSE(error.empty());
    }
    // A codec piece with no audio input before it.
    std::wstring noAudio = Build(true, 1, L"");
    noAudio.insert(noAudio.find(L" \"C:"), L" -b:a 64k -strict -2 -c:a aac");
    EncoderRequest request;
    std::wstring error;
    EXPECT_FALSE(ParseEncoderCommandLine(noAudio, request, error));
}

}  // namespace

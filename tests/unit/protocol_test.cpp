// What Tavrix, its encoder and the test encoder say to each other: every
// command line Tavrix builds is one the encoder accepts and reads back
// unchanged, the screen filter's area comes back as written, the commands
// on standard input are read as sent, and the recording's files are named
// and recognised the same way on both sides.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include "protocol/command_line.h"
#include "protocol/commands.h"
#include "protocol/files.h"
#include "protocol/screen_filter.h"
#include "recording/capture_command.h"
#include "support/utf8.h"

namespace {

std::vector<EncoderCommand> FeedAll(CommandReader& reader, const std::string& bytes) {
    return reader.Feed(bytes.data(), bytes.size());
}

const std::wstring kOutput = L"C:\\Users\\张三\\AppData\\Local\\Temp\\Rec1.tmp\\temp.avi";
const std::wstring kMicrophone = L"麦克风 (Realtek High Definition Audio)";

// The words of a command line as the encoder receives them: the platform's
// own parser under Windows, elsewhere the same rules (blanks separate words
// outside quotes; backslashes are literal except before a quote, where each
// pair gives one and an odd one makes the quote literal).
std::vector<std::wstring> SplitWords(const std::wstring& line) {
    std::vector<std::wstring> words;
#ifdef _WIN32
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(line.c_str(), &count);
    for (int i = 0; argv != nullptr && i < count; ++i) words.push_back(argv[i]);
    LocalFree(argv);
#else
    std::wstring word;
    bool quoted = false, inWord = false;
    size_t backslashes = 0;
    for (wchar_t c : line) {
        if (c == L'\\') {
            ++backslashes;
            inWord = true;
            continue;
        }
        if (c == L'"') {
            word.append(backslashes / 2, L'\\');
            if (backslashes % 2 == 1) word += c;
            else quoted = !quoted;
            backslashes = 0;
            inWord = true;
            continue;
        }
        word.append(backslashes, L'\\');
        backslashes = 0;
        if ((c == L' ' || c == L'\t') && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    word.append(backslashes, L'\\');
    if (inWord) words.push_back(word);
#endif
    return words;
}

// The words after the program's name, as ParseEncoderArguments takes them.
std::vector<std::wstring> ArgumentsOf(const std::wstring& line) {
    std::vector<std::wstring> words = SplitWords(line);
    if (!words.empty()) words.erase(words.begin());
    return words;
}

std::vector<std::wstring> Words(std::initializer_list<const wchar_t*> list) {
    return std::vector<std::wstring>(list.begin(), list.end());
}

}  // namespace

TEST(ParseEncoderArguments, AcceptsEveryCommandLineTheProgramBuilds) {
    for (bool current : {true, false})
        for (CaptureFlags audio : {0u, 0x100u, 0x200u, 0x300u})
            for (CaptureFlags quality : {0u, 1u, 2u})
                for (const std::wstring& microphone : {std::wstring(), kMicrophone}) {
                    std::wstring line;
                    const int32_t summary = AssembleCaptureCommandLine(
                        current, audio | quality, [&] { return microphone; }, kOutput, line);
                    std::vector<std::wstring> words = SplitWords(line);
                    ASSERT_EQ(words.front(), L"ffmpeg");
                    words.erase(words.begin());
                    const ParsedArguments parsed = ParseEncoderArguments(words);
                    ASSERT_TRUE(parsed.request.has_value()) << std::string(parsed.error.begin(), parsed.error.end());
                    const EncoderRequest& r = *parsed.request;
                    EXPECT_EQ(r.speaker, (summary & 0x100) != 0);
                    EXPECT_EQ(r.microphone, (summary & 0x200) ? microphone : std::wstring());
                    EXPECT_EQ(r.quality, (summary & 0xFF) == 2 ? VideoQuality::Good : VideoQuality::Normal);
                    EXPECT_EQ(r.outputPath, kOutput);
                }
}

namespace {

std::string Narrow(const std::wstring& text) { return Utf8FromWide(text); }

EncoderRequest MakeRequest(bool speaker, const std::wstring& microphone, VideoQuality quality,
                           const std::wstring& outputPath) {
    EncoderRequest request;
    request.speaker = speaker;
    request.microphone = microphone;
    request.quality = quality;
    request.outputPath = outputPath;
    return request;
}

}  // namespace

// Whatever Tavrix asks for, the encoder reads back unchanged: every sound
// choice and both qualities, with device names and paths that hold colons,
// blanks, brackets, backslashes and Chinese letters.
TEST(EncoderRequest, ComposedThenParsedComesBackTheSame) {
    const std::wstring microphones[] = {L"", L"In: default", L"麦克风 (Realtek High Definition Audio)",
                                        L"Line 1 (USB\\Audio: 2)"};
    const std::wstring outputs[] = {kOutput, L"C:\\Program Files\\Tavrix lessons\\第一课 temp.avi", L"D:\\a.avi"};
    int checked = 0;
    for (bool speaker : {false, true})
        for (const std::wstring& microphone : microphones)
            for (VideoQuality quality : {VideoQuality::Normal, VideoQuality::Good})
                for (const std::wstring& output : outputs) {
                    const EncoderRequest request = MakeRequest(speaker, microphone, quality, output);
                    const std::wstring line = ComposeEncoderCommandLine(request);
                    const ParsedArguments parsed = ParseEncoderArguments(ArgumentsOf(line));
                    ASSERT_TRUE(parsed.request.has_value()) << Narrow(line) << ": " << Narrow(parsed.error);
                    EXPECT_TRUE(*parsed.request == request) << Narrow(line);
                    ++checked;
                }
    EXPECT_EQ(checked, 48);

    // A quote in a device name cannot travel inside a quoted word ("Mic
    // "USB"" would come out as "Mic USB"): that microphone is left out.
    for (const wchar_t* name : {L"a\"b", L"Mic \"USB\"", L"\""})
        for (bool speaker : {false, true}) {
            const std::wstring line = ComposeEncoderCommandLine(MakeRequest(speaker, name, VideoQuality::Good, kOutput));
            const ParsedArguments parsed = ParseEncoderArguments(ArgumentsOf(line));
            ASSERT_TRUE(parsed.request.has_value()) << Narrow(line) << ": " << Narrow(parsed.error);
            EXPECT_EQ(parsed.request->microphone, L"") << Narrow(line);
            EXPECT_EQ(parsed.request->speaker, speaker);
        }
}

// The capture area goes beside the command line, through the screen filter's
// settings: the area Tavrix writes for a region or the full screen is the
// one the encoder reads back, a monitor left of the primary one included.
TEST(EncoderRequest, TheAreaTavrixWritesIsTheAreaTheEncoderReads) {
    const Rect corners[] = {{300, 200, 100, 50}, {0, 0, 1920, 1080}, {-1280, 40, -640, 521}};
    for (const Rect& c : corners) {
        const CaptureArea written = NormalizeCaptureRect(c);
        std::map<std::wstring, uint32_t> store;
        for (const ScreenFilterValue& v : MakeScreenFilterSettings(written)) store[v.name] = v.value;
        auto read = [&store](const wchar_t* name) -> std::optional<uint32_t> {
            const auto at = store.find(name);
            return at == store.end() ? std::nullopt : std::optional<uint32_t>(at->second);
        };
        std::optional<CaptureArea> area = CaptureAreaFromSettings(read);
        ASSERT_TRUE(area.has_value());
        EXPECT_EQ(area->x, written.x);
        EXPECT_EQ(area->y, written.y);
        EXPECT_EQ(area->width, written.width);
        EXPECT_EQ(area->height, written.height);
        EXPECT_EQ(area->fps, kFrameRate);

        store[kMaxFpsValue] = 0;  // no usable frame rate: the encoder's own
        EXPECT_EQ(CaptureAreaFromSettings(read)->fps, kFrameRate);
        store.erase(kCaptureHeightValue);  // a size missing: no area at all
        EXPECT_FALSE(CaptureAreaFromSettings(read).has_value());
    }
}

TEST(ParseEncoderArguments, RefusesAnythingElseAndSaysWhy) {
    const auto head = Words({L"-y", L"-pause_support", L"-f", L"dshow", L"-i", L"video=screen-capture-recorder"});
    const auto normal = Words({L"-pix_fmt", L"yuv420p", L"-c:v", L"libx264", L"-r", L"10", L"-crf", L"28", L"-maxrate",
                               L"350k", L"-profile", L"main", L"-preset", L"veryfast"});
    const auto codec = Words({L"-b:a", L"64k", L"-strict", L"-2", L"-c:a", L"aac"});
    const auto speaker = Words({L"-f", L"dshow", L"-i", L"audio=virtual-audio-capturer"});
    const auto mic = Words({L"-f", L"dshow", L"-i", L"audio=Mic"});
    auto join = [](std::initializer_list<std::vector<std::wstring>> parts) {
        std::vector<std::wstring> all;
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const std::vector<std::wstring> out = {L"C:\\t\\temp.avi"};
    ASSERT_TRUE(ParseEncoderArguments(join({head, normal, out})).request);  // the baseline is accepted

    std::vector<std::wstring> otherRate = normal;
    otherRate[5] = L"0";

    struct Case {
        const char* what;
        std::vector<std::wstring> words;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"no overwrite option", join({Words({L"-pause_support", L"-f", L"dshow", L"-i", L"video=screen-capture-recorder"}),
                                      normal, out})},
        {"another frame rate", join({head, otherRate, out})},
        {"no pause option", join({Words({L"-y", L"-f", L"dshow", L"-i", L"video=screen-capture-recorder"}), normal, out})},
        {"another screen input", join({Words({L"-y", L"-pause_support", L"-f", L"dshow", L"-i", L"video=cam"}), normal, out})},
        {"no output", join({head, normal})},
        {"two outputs", join({head, normal, out, out})},
        {"an option as output", join({head, normal, Words({L"-an"})})},
        {"empty output", join({head, normal, Words({L""})})},
        {"changed quality", join({head, Words({L"-pix_fmt", L"yuv420p", L"-c:v", L"libx264", L"-r", L"25", L"-profile",
                                              L"high", L"-preset", L"faster"}), out})},
        {"sound without codec options", join({head, speaker, normal, out})},
        {"codec options without sound", join({head, normal, codec, out})},
        {"two inputs without mix", join({head, speaker, mic, normal, codec, out})},
        {"mix with one input", join({head, mic, normal, codec, Words({L"-filter_complex", L"amix"}), out})},
        {"microphone before speaker", join({head, mic, speaker, normal, codec, Words({L"-filter_complex", L"amix"}), out})},
        {"three inputs", join({head, speaker, mic, mic, normal, codec, Words({L"-filter_complex", L"amix"}), out})},
        {"a quote in a device name", join({head, Words({L"-f", L"dshow", L"-i", L"audio=a\"b"}), normal, codec, out})},
        {"an empty device name", join({head, Words({L"-f", L"dshow", L"-i", L"audio="}), normal, codec, out})},
        {"a video input as sound", join({head, Words({L"-f", L"dshow", L"-i", L"video=x"}), normal, codec, out})},
        {"cut short in an input", join({head, Words({L"-f", L"dshow", L"-i"})})},
    };
    for (const Case& c : cases) {
        const ParsedArguments parsed = ParseEncoderArguments(c.words);
        EXPECT_FALSE(parsed.request.has_value()) << c.what;
        EXPECT_FALSE(parsed.error.empty()) << c.what;
    }
}

TEST(CommandReader, TakesWholeOneLetterLinesOnly) {
    using C = EncoderCommand;
    CommandReader reader;
    EXPECT_EQ(FeedAll(reader, "p\nr\nq\n"), (std::vector<C>{C::Pause, C::Resume, C::Quit}));
    EXPECT_TRUE(FeedAll(reader, "p").empty());  // not a command until the line ends
    EXPECT_EQ(FeedAll(reader, "\n"), (std::vector<C>{C::Pause}));
    EXPECT_EQ(FeedAll(reader, "r\r\n"), (std::vector<C>{C::Resume}));
    EXPECT_TRUE(FeedAll(reader, "x\npp\n\nP\n q\nquit\n").empty());
    EXPECT_TRUE(FeedAll(reader, std::string(1000, 'q') + "\n").empty());  // an overlong line is junk
    EXPECT_EQ(FeedAll(reader, "q\n"), (std::vector<C>{C::Quit}));
    EXPECT_EQ(FeedAll(reader, std::string("\0\n", 2) + "q\n"), (std::vector<C>{C::Quit}));
    CommandReader discarding;
    EXPECT_EQ(FeedAll(discarding, "p\nd\n"), (std::vector<C>{C::Pause, C::Discard}));

    // What Tavrix writes is what the encoder reads, for every command.
    const struct {
        const char* bytes;
        EncoderCommand command;
    } sent[] = {{kPauseCommand, C::Pause}, {kResumeCommand, C::Resume}, {kQuitCommand, C::Quit},
                {kDiscardCommand, C::Discard}, {kGoCommand, C::Go}};
    for (const auto& one : sent) {
        CommandReader fresh;
        EXPECT_EQ(std::string(one.bytes).size(), 2u) << one.bytes;
        EXPECT_EQ(FeedAll(fresh, one.bytes), (std::vector<C>{one.command})) << one.bytes;
    }
}

TEST(HoldLineLength, OnlyAWholeHoldLineAtTheVeryStart) {
    using C = EncoderCommand;
    // The hold line is only recognised whole, at the very start of the input.
    EXPECT_EQ(HoldLineLength(kHoldCommand, 2), 2u);
    EXPECT_EQ(HoldLineLength("h\n", 2), 2u);
    EXPECT_EQ(HoldLineLength("h\r\np\n", 5), 3u);
    EXPECT_EQ(HoldLineLength("h", 1), 0u);
    EXPECT_EQ(HoldLineLength("p\nh\n", 4), 0u);
    EXPECT_EQ(HoldLineLength("hh\n", 3), 0u);
    CommandReader reader;
    EXPECT_EQ(FeedAll(reader, "g\nh\n"), (std::vector<C>{C::Go}));  // "h" later in the input is junk
}

TEST(JoinSegmentsCommandLine, TheRecoveryModeComesBackWithItsOutput) {
    for (const std::wstring& output : {kOutput, std::wstring(L"C:\\Program Files\\第一课 1\\temp.avi")}) {
        const std::wstring line = ComposeJoinSegmentsCommandLine(output);
        EXPECT_EQ(SplitWords(line).front(), L"ffmpeg");
        const std::optional<std::wstring> parsed = JoinSegmentsOutput(ArgumentsOf(line));
        ASSERT_TRUE(parsed.has_value()) << Narrow(line);
        EXPECT_EQ(*parsed, output);
        EXPECT_FALSE(ParseEncoderArguments(ArgumentsOf(line)).request.has_value());  // never taken for a recording
    }
    const std::wstring recording = ComposeEncoderCommandLine(MakeRequest(true, L"Mic", VideoQuality::Good, kOutput));
    EXPECT_FALSE(JoinSegmentsOutput(ArgumentsOf(recording)).has_value());
    EXPECT_FALSE(JoinSegmentsOutput(Words({L"-join_segments"})).has_value());
    EXPECT_FALSE(JoinSegmentsOutput(Words({L"-join_segments", L"a", L"b"})).has_value());
}

// Tavrix looks for what the encoder left by the names the encoder writes:
// a segment the encoder names is one Tavrix recognises, with its number, in
// UTF-16 and in 8-bit text and in any letter case; nothing else beside it is.
TEST(RecordingFiles, BothSidesNameAndRecogniseTheSameFiles) {
    const std::wstring output = L"C:\\t\\temp.avi";
    EXPECT_EQ(SegmentPath(output, 1), L"C:\\t\\temp.avi.part001.mkv");
    EXPECT_EQ(SegmentPath(output, 1000), L"C:\\t\\temp.avi.part1000.mkv");
    EXPECT_EQ(SegmentPattern(output), L"C:\\t\\temp.avi.part*.mkv");
    EXPECT_EQ(SegmentListPath(output), L"C:\\t\\temp.avi.parts.txt");
    EXPECT_EQ(JoiningPath(output), L"C:\\t\\temp.avi.joining.avi");
    EXPECT_EQ(PaddedPath(output, 2), L"C:\\t\\temp.avi.padded2.mkv");
    EXPECT_EQ(EncoderLogPath(output), L"C:\\t\\temp.avi.encoder.log");
    EXPECT_EQ(Utf8FromWide(kRecordingFileNameWide), kRecordingFileName);

    const std::wstring recording = kRecordingFileNameWide;
    for (unsigned long number : {1ul, 2ul, 99ul, 999ul, 1000ul, 123456789ul}) {
        const std::wstring name = SegmentPath(recording, static_cast<int>(number));
        std::wstring upper = name;
        for (wchar_t& c : upper) c = static_cast<wchar_t>(c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c);
        EXPECT_EQ(SegmentNumber(recording, name).value_or(0), number) << Narrow(name);
        EXPECT_EQ(SegmentNumber(recording, upper).value_or(0), number) << Narrow(upper);
        EXPECT_EQ(SegmentNumber(kRecordingFileName, Utf8FromWide(name)).value_or(0), number) << Narrow(name);
        EXPECT_EQ(SegmentNumber(kRecordingFileName, Utf8FromWide(upper)).value_or(0), number) << Narrow(upper);
    }
    EXPECT_EQ(SegmentNumber(std::string("第一课.avi"), Utf8FromWide(L"第一课.avi.part003.mkv")).value_or(0), 3ul);
    EXPECT_EQ(SegmentNumber(recording, L"temp.avi.part000.mkv").value_or(99), 0ul);

    const std::wstring notSegments[] = {
        SegmentListPath(recording), JoiningPath(recording), PaddedPath(recording, 1), EncoderLogPath(recording),
        recording, L"temp.avi.part01.mkv", L"temp.avi.part1234567890.mkv", L"temp.avi.part.mkv",
        L"temp.avi.part0x1.mkv", L"temp.avi.part001.mkv.tmp", L"temp.avi.part001.mp4", L"other.avi.part001.mkv",
        L"xtemp.avi.part001.mkv", L"temp.avi.part-01.mkv"};
    for (const std::wstring& name : notSegments) {
        EXPECT_FALSE(SegmentNumber(recording, name).has_value()) << Narrow(name);
        EXPECT_FALSE(SegmentNumber(kRecordingFileName, Utf8FromWide(name)).has_value()) << Narrow(name);
    }
}

TEST(SegmentNamesInOrder, FindsThisOutputsSegmentsInRecordingOrder) {
    const std::vector<std::wstring> names = {L"temp.avi.part010.mkv", L"temp.avi.part002.mkv", L"temp.avi",
                                             L"temp.avi.encoder.log", L"temp.avi.parts.txt", L"temp.avi.part1000.mkv",
                                             L"other.avi.part001.mkv", L"temp.avi.part01.mkv", L"temp.avi.partabc.mkv",
                                             L"temp.avi.part003.mkv.tmp", L"temp.avi.joining.avi"};
    EXPECT_EQ(SegmentNamesInOrder(L"temp.avi", names),
              (std::vector<std::wstring>{L"temp.avi.part002.mkv", L"temp.avi.part010.mkv", L"temp.avi.part1000.mkv"}));

    // Found under the name the file system gives, whatever its letter case:
    // Tavrix offers such a recording, and the recovery join must take it.
    EXPECT_EQ(SegmentNamesInOrder(L"temp.avi", std::vector<std::wstring>{L"TEMP.AVI.PART002.MKV", L"temp.avi.part001.mkv"}),
              (std::vector<std::wstring>{L"temp.avi.part001.mkv", L"TEMP.AVI.PART002.MKV"}));
    EXPECT_EQ(SegmentNamesInOrder(std::string("temp.avi"), std::vector<std::string>{"temp.avi.part1000.mkv", "temp.avi.part999.mkv"}),
              (std::vector<std::string>{"temp.avi.part999.mkv", "temp.avi.part1000.mkv"}));
}

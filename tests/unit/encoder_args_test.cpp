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

#include "encoder/encoder_args.h"
#include "encoder/protocol.h"
#include "encoder/session.h"
#include "recording/capture_command.h"

namespace {

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

// The position of `sequence` inside `words`, or -1.
int Find(const std::vector<std::wstring>& words, const std::vector<std::wstring>& sequence) {
    auto at = std::search(words.begin(), words.end(), sequence.begin(), sequence.end());
    return at == words.end() ? -1 : static_cast<int>(at - words.begin());
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

TEST(PlanCore, SubstitutesWhatIsNotRegisteredAndSaysSo) {
    EncoderRequest request;
    request.speaker = true;
    request.microphone = L"Mic";
    std::vector<std::wstring> notes;

    CaptureDevices all;
    all.screenFilter = all.speakerFilter = true;
    CorePlan plan = PlanCore(request, all, notes);
    EXPECT_EQ(plan.videoInput, Words({L"-f", L"dshow", L"-i", L"video=screen-capture-recorder"}));
    ASSERT_EQ(plan.audioInputs.size(), 2u);
    EXPECT_EQ(plan.audioInputs[0].back(), L"audio=virtual-audio-capturer");
    EXPECT_EQ(plan.audioInputs[1].back(), L"audio=Mic");
    EXPECT_TRUE(notes.empty());

    CaptureDevices none;
    none.area = CaptureArea{-1280, 40, 640, 480, 10};
    plan = PlanCore(request, none, notes);
    EXPECT_EQ(plan.videoInput, Words({L"-f", L"gdigrab", L"-fpsprobesize", L"0", L"-framerate", L"10", L"-offset_x", L"-1280", L"-offset_y",
                                      L"40", L"-video_size", L"640x480", L"-i", L"desktop"}));
    ASSERT_EQ(plan.audioInputs.size(), 1u);  // the speaker is dropped, the microphone kept
    EXPECT_EQ(plan.audioInputs[0].back(), L"audio=Mic");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find(L"screen-capture-recorder"), std::wstring::npos);
    EXPECT_NE(notes[1].find(L"virtual-audio-capturer"), std::wstring::npos);

    // One input left: no mixer in the segment's command line.
    const std::vector<std::wstring> words = SegmentArguments(plan, L"s.mkv");
    EXPECT_EQ(Find(words, {L"-filter_complex"}), -1);
    EXPECT_NE(Find(words, {L"-c:a", L"aac"}), -1);
    EXPECT_NE(Find(words, {L"-bf", L"0"}), -1);  // with sound, segments are cut by decoding time

    notes.clear();
    plan = PlanCore(EncoderRequest(), CaptureDevices(), notes);
    EXPECT_EQ(plan.videoInput, Words({L"-f", L"gdigrab", L"-fpsprobesize", L"0", L"-framerate", L"10", L"-i", L"desktop"}));
    EXPECT_TRUE(plan.audioInputs.empty());
    EXPECT_EQ(notes.size(), 1u);
}

TEST(SegmentArguments, MakeTheQualityOptionsTakeEffect) {
    CorePlan plan;
    plan.videoInput = {L"-f", L"dshow", L"-i", L"video=screen-capture-recorder"};
    plan.quality = VideoQuality::Normal;
    std::vector<std::wstring> words = SegmentArguments(plan, L"C:\\o\\temp.avi.part001.mkv");
    EXPECT_NE(Find(words, {L"-crf", L"28", L"-maxrate", L"350k", L"-bufsize", L"700k", L"-profile:v", L"main"}), -1);
    EXPECT_EQ(Find(words, {L"-profile"}), -1);  // the bare option would reach the audio encoder too
    EXPECT_EQ(Find(words, {L"-pause_support"}), -1);
    EXPECT_EQ(Find(words, {L"-b:a"}), -1);
    EXPECT_NE(Find(words, {L"-pix_fmt", L"yuv420p", L"-c:v", L"libx264", L"-r", L"10"}), -1);
    EXPECT_NE(Find(words, {L"-f", L"matroska", L"C:\\o\\temp.avi.part001.mkv"}), -1);
    EXPECT_EQ(Find(words, {L"-bf"}), -1);  // without sound nothing is cut: B-frames stay
    EXPECT_EQ(words.back(), L"C:\\o\\temp.avi.part001.mkv");

    plan.quality = VideoQuality::Good;
    words = SegmentArguments(plan, L"s.mkv");
    EXPECT_NE(Find(words, {L"-profile:v", L"high", L"-preset", L"faster"}), -1);
    EXPECT_EQ(Find(words, {L"-maxrate"}), -1);
    EXPECT_EQ(Find(words, {L"-crf"}), -1);
}

TEST(SegmentArguments, TheGateComesFirstAndShiftsTheInputNumbers) {
    CorePlan plan;
    plan.videoInput = {L"-f", L"gdigrab", L"-i", L"desktop"};
    plan.audioInputs = {{L"-f", L"dshow", L"-i", L"audio=virtual-audio-capturer"}, {L"-f", L"dshow", L"-i", L"audio=Mic"}};

    std::vector<std::wstring> words = SegmentArguments(plan, L"s.mkv");
    EXPECT_NE(Find(words, {L"-filter_complex", L"[1:a][2:a]amix=inputs=2[mixed]", L"-map", L"0:v", L"-map", L"[mixed]"}), -1);
    EXPECT_EQ(Find(words, {L"ffmetadata"}), -1);

    words = SegmentArguments(plan, L"s.mkv", L"\\\\.\\pipe\\gate");
    const int gate = Find(words, {L"-f", L"ffmetadata", L"-i", L"\\\\.\\pipe\\gate"});
    const int video = Find(words, {L"-f", L"gdigrab"});
    ASSERT_NE(gate, -1);
    EXPECT_LT(gate, video);
    EXPECT_NE(Find(words, {L"-filter_complex", L"[2:a][3:a]amix=inputs=2[mixed]", L"-map", L"1:v", L"-map", L"[mixed]"}), -1);
}

TEST(JoinArguments, CopyTheStreamsFromTheListIntoTheOutput) {
    const std::vector<std::wstring> words = JoinArguments(L"C:\\a b\\temp.avi.parts.txt", L"C:\\a b\\temp.avi");
    EXPECT_NE(Find(words, {L"-f", L"concat", L"-safe", L"0", L"-i", L"C:/a b/temp.avi.parts.txt"}), -1);
    EXPECT_NE(Find(words, {L"-c", L"copy"}), -1);
    EXPECT_EQ(words.back(), L"C:\\a b\\temp.avi");
}

TEST(QuoteArgument, QuotesOnlyWhatNeedsItAndDoublesBackslashesBeforeQuotes) {
    EXPECT_EQ(QuoteArgument(L"-y"), L"-y");
    EXPECT_EQ(QuoteArgument(L"C:\\a\\b.avi"), L"C:\\a\\b.avi");
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
    EXPECT_EQ(QuoteArgument(L"C:\\a b\\c.avi"), L"\"C:\\a b\\c.avi\"");
    EXPECT_EQ(QuoteArgument(L"C:\\a b\\"), L"\"C:\\a b\\\\\"");
    EXPECT_EQ(QuoteArgument(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteArgument(L"a\\\"b"), L"\"a\\\\\\\"b\"");
    EXPECT_EQ(ComposeCommandLine(L"C:\\p q\\core.exe", {L"-i", L"audio=Mic 1"}), L"\"C:\\p q\\core.exe\" -i \"audio=Mic 1\"");
}

TEST(PlanCore, SoundTheAdapterCapturesComesThroughPipesAndIsMixedAsTheFilterWouldBe) {
    EncoderRequest request;
    request.speaker = true;
    request.microphone = L"In: default";
    CaptureDevices devices;
    devices.audioSessions = true;
    devices.speakerCapture = PipedAudio{L"\\\\.\\pipe\\a-speakers", L"f32le", 48000, 2};
    devices.microphoneCapture = PipedAudio{L"\\\\.\\pipe\\a-microphone", L"s16le", 44100, 1};
    std::vector<std::wstring> notes;
    CorePlan plan = PlanCore(request, devices, notes);
    ASSERT_EQ(plan.audioInputs.size(), 2u);
    EXPECT_EQ(plan.audioInputs[0], Words({L"-f", L"f32le", L"-ar", L"48000", L"-ac", L"2", L"-max_ts_probe", L"0",
                                          L"-thread_queue_size", L"1024", L"-i", L"\\\\.\\pipe\\a-speakers"}));
    EXPECT_EQ(plan.audioInputs[1].back(), L"\\\\.\\pipe\\a-microphone");
    EXPECT_NE(Find(plan.audioInputs[1], {L"-f", L"s16le", L"-ar", L"44100", L"-ac", L"1"}), -1);
    // Behind the gate the pipes are inputs 2 and 3; speakers first, as with the filter.
    std::vector<std::wstring> words = SegmentArguments(plan, L"s.mkv", L"\\\\.\\pipe\\gate");
    EXPECT_NE(Find(words, {L"-filter_complex", L"[2:a][3:a]amix=inputs=2[mixed]", L"-map", L"1:v", L"-map", L"[mixed]"}), -1);

    // The registered speaker filter still wins; a microphone that cannot be
    // captured where the system has audio sessions is left out, never handed
    // to DirectShow, which cannot record it there.
    devices.speakerFilter = true;
    devices.microphoneCapture.reset();
    notes.clear();
    plan = PlanCore(request, devices, notes);
    ASSERT_EQ(plan.audioInputs.size(), 1u);
    EXPECT_EQ(plan.audioInputs[0].back(), L"audio=virtual-audio-capturer");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[1].find(L"In: default"), std::wstring::npos);

    // Neither filter nor loopback: no speaker input, and the note says so.
    devices.speakerFilter = false;
    devices.speakerCapture.reset();
    request.microphone.clear();
    notes.clear();
    plan = PlanCore(request, devices, notes);
    EXPECT_TRUE(plan.audioInputs.empty());
    EXPECT_NE(notes.back().find(L"without the speakers' sound"), std::wstring::npos);
}

// The stock core's command lines the adapter builds: what it substitutes
// where a filter is not registered, the quality and sound options, the gate,
// the join and the padding, and the quoting of each word.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "encoder/encoder_args.h"

namespace {

std::vector<std::wstring> Words(std::initializer_list<const wchar_t*> list) {
    return std::vector<std::wstring>(list.begin(), list.end());
}

// The position of `sequence` inside `words`, or -1.
int Find(const std::vector<std::wstring>& words, const std::vector<std::wstring>& sequence) {
    auto at = std::search(words.begin(), words.end(), sequence.begin(), sequence.end());
    return at == words.end() ? -1 : static_cast<int>(at - words.begin());
}

}  // namespace

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

// The display changed between two segments: the area is cut to the screens
// as they are now, and the picture made to the first segment's size.
TEST(AreaOnScreens, KeepsTheAreaOnTheScreensItIsOnOrMovesItToThePrimaryOne) {
    const Rect primary{0, 0, 1280, 800}, projector{-1024, 0, 0, 768};
    const struct {
        CaptureArea area;
        std::vector<Rect> screens;
        CaptureArea expected;
        const char* what;
    } cases[] = {
        {{0, 0, 1280, 800, 10}, {primary}, {0, 0, 1280, 800, 10}, "on its screen: unchanged"},
        {{0, 0, 1280, 800, 10}, {{0, 0, 1024, 768}}, {0, 0, 1024, 768, 10}, "the resolution went down"},
        {{100, 50, 401, 301, 10}, {primary}, {100, 50, 400, 300, 10}, "kept even"},
        {{-900, 100, 400, 300, 10}, {primary, projector}, {-900, 100, 400, 300, 10}, "on the projector"},
        {{-900, 100, 400, 300, 10}, {primary}, {0, 100, 400, 300, 10}, "the projector unplugged"},
        {{-1024, 0, 1024, 768, 10}, {primary}, {0, 0, 1024, 768, 10}, "its full screen, moved"},
        {{-1024, 0, 2304, 800, 10}, {primary}, {0, 0, 1280, 800, 10}, "across both, one left"},
        {{-100, 700, 400, 300, 10}, {primary, projector}, {-100, 700, 400, 100, 10}, "across both, below one"},
        {{2000, 2000, 4000, 3000, 10}, {primary}, {0, 0, 1280, 800, 10}, "larger than what is left"},
        {{5, 5, 10, 10, 10}, {}, {5, 5, 10, 10, 10}, "no screens known"},
    };
    for (const auto& c : cases) {
        const CaptureArea a = AreaOnScreens(c.area, c.screens);
        EXPECT_EQ(a.x, c.expected.x) << c.what;
        EXPECT_EQ(a.y, c.expected.y) << c.what;
        EXPECT_EQ(a.width, c.expected.width) << c.what;
        EXPECT_EQ(a.height, c.expected.height) << c.what;
    }
}

TEST(FitPictureFilter, LetterboxesIntoTheFirstSegmentsSizeWithSquarePixels) {
    const std::wstring into1280x800 =
        L"scale=1280:800:force_original_aspect_ratio=decrease:force_divisible_by=2,pad=1280:800:(ow-iw)/2:(oh-ih)/2,"
        L"setsar=1";
    EXPECT_EQ(FitPictureFilter(1280, 800, 1280, 800), L"");
    EXPECT_EQ(FitPictureFilter(1024, 768, 1280, 800), into1280x800);
    EXPECT_EQ(FitPictureFilter(1920, 1080, 1280, 800), into1280x800);
    EXPECT_EQ(FitPictureFilter(0, 300, 640, 480), L"");

    CorePlan plan;
    plan.videoInput = GrabberInput(CaptureArea{0, 0, 1024, 768, 10});
    plan.pictureFilter = FitPictureFilter(1024, 768, 1280, 800);
    plan.pictureAspect = L"1280:800";
    plan.audioInputs = {{L"-f", L"f32le", L"-i", L"a"}, {L"-f", L"s16le", L"-i", L"b"}};
    const std::vector<std::wstring> words = SegmentArguments(plan, L"s.mkv", L"gate");
    const int filter = Find(words, {L"-vf", plan.pictureFilter});
    ASSERT_NE(filter, -1);
    EXPECT_GT(filter, Find(words, {L"-map", L"1:v"}));   // after the inputs and the mixer
    EXPECT_LT(filter, Find(words, {L"-c:v", L"libx264"}));
    EXPECT_NE(Find(words, {L"-aspect", L"1280:800"}), -1);
    EXPECT_NE(Find(words, {L"-video_size", L"1024x768"}), -1);
    plan.pictureFilter.clear();
    plan.pictureAspect.clear();
    EXPECT_EQ(Find(SegmentArguments(plan, L"s.mkv"), {L"-vf"}), -1);
    EXPECT_EQ(Find(SegmentArguments(plan, L"s.mkv"), {L"-aspect"}), -1);
}

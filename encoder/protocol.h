// What Tavrix and its encoder (ffmpeg.exe) say to each other: the command
// line Tavrix starts the encoder with, the screen filter's settings in the
// registry, the commands on the encoder's standard input and the encoder's
// exit codes. Both sides and the test encoder use these names, so a word
// changed here changes on every side at once. Nothing here touches Windows.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// ---- The command line ----------------------------------------------------
// Tavrix composes it as text (ComposeEncoderCommandLine); the encoder receives
// it split into words by the platform and checks it word by word
// (ParseEncoderArguments in encoder_args.h).

inline constexpr wchar_t kEncoderProgramWord[] = L"ffmpeg";  // the first word of the text
inline constexpr std::array<const wchar_t*, 2> kHeadWords = {L"-y", L"-pause_support"};
// Every input: "-f dshow -i <kind>=<device name>".
inline constexpr std::array<const wchar_t*, 3> kInputWords = {L"-f", L"dshow", L"-i"};
inline constexpr wchar_t kVideoInputPrefix[] = L"video=";
inline constexpr wchar_t kAudioInputPrefix[] = L"audio=";
// The DirectShow filters' friendly names: the screen and the speakers' sound.
inline constexpr wchar_t kScreenFilterName[] = L"screen-capture-recorder";
inline constexpr wchar_t kSpeakerFilterName[] = L"virtual-audio-capturer";

// Frames a second, as the video options and the screen filter's settings give it.
constexpr int32_t kFrameRate = 10;
// The video options: this head, then the normal or the good quality's tail.
inline constexpr std::array<const wchar_t*, 6> kVideoWords = {L"-pix_fmt", L"yuv420p", L"-c:v", L"libx264",
                                                             L"-r", L"10"};
static_assert(kVideoWords[5][0] == L'0' + kFrameRate / 10 && kVideoWords[5][1] == L'0' + kFrameRate % 10 &&
                  kVideoWords[5][2] == 0,
              "the \"-r\" word is the frame rate");
inline constexpr std::array<const wchar_t*, 8> kNormalQualityWords = {L"-crf", L"28", L"-maxrate", L"350k",
                                                                      L"-profile", L"main", L"-preset", L"veryfast"};
inline constexpr std::array<const wchar_t*, 4> kGoodQualityWords = {L"-profile", L"high", L"-preset", L"faster"};
// The sound options, when there is any sound input; the mix, when there are two.
inline constexpr std::array<const wchar_t*, 6> kAudioCodecWords = {L"-b:a", L"64k", L"-strict", L"-2",
                                                                  L"-c:a", L"aac"};
inline constexpr std::array<const wchar_t*, 2> kMixWords = {L"-filter_complex", L"amix"};

// The recovery mode: "ffmpeg -join_segments <output>" joins the segments a
// recording left beside <output> into it; nothing is read from standard input.
inline constexpr wchar_t kJoinSegmentsOption[] = L"-join_segments";

enum class VideoQuality { Normal, Good };

// What a recording asks the encoder for on its command line. The capture
// area travels apart, through the screen filter's settings below.
struct EncoderRequest {
    bool speaker = false;     // the speakers' sound (kSpeakerFilterName)
    std::wstring microphone;  // the microphone's device name; empty: none
    VideoQuality quality = VideoQuality::Normal;
    std::wstring outputPath;

    bool operator==(const EncoderRequest& o) const {
        return speaker == o.speaker && microphone == o.microphone && quality == o.quality &&
               outputPath == o.outputPath;
    }
};

// The command line for `request`: the program word, the screen input, the
// speaker and then the microphone input, the video options, the sound
// options, the mix, and the output path. Device names and the path are
// quoted. A microphone name holding a double quote cannot travel inside
// quotes (it would end them and could make another name of the rest): such a
// microphone is left out, as Tavrix treats it as no microphone anyway.
std::wstring ComposeEncoderCommandLine(const EncoderRequest& request);

// Whether a device name can be given on the command line: not empty, no double quote.
bool IsSendableDeviceName(const std::wstring& name);

// `prefix` and then `text` in double quotes, as one word of the command line.
// Nothing is escaped: a backslash at the end of `text` escapes the closing
// quote, and the encoder then refuses the line rather than misread it.
std::wstring QuotedWord(const wchar_t* prefix, const std::wstring& text);

// ---- The screen filter's settings ------------------------------------------
// Six DWORD values under HKEY_CURRENT_USER in the registry's 32-bit view
// (the filter is a 32-bit COM server): Tavrix writes them before each start,
// the encoder reads the area back when the filter is not registered.
inline constexpr wchar_t kScreenFilterKey[] = L"SOFTWARE\\screen-capture-recorder";
inline constexpr wchar_t kStartXValue[] = L"start_x";
inline constexpr wchar_t kStartYValue[] = L"start_y";
inline constexpr wchar_t kCaptureWidthValue[] = L"capture_width";
inline constexpr wchar_t kCaptureHeightValue[] = L"capture_height";
inline constexpr wchar_t kMaxFpsValue[] = L"default_max_fps";
inline constexpr wchar_t kCaptureMouseValue[] =
    L"capture_transparent_windows_including_mouse_in_non_aero_if_1_causes_annoying_mouse_flicker";

// The area those values describe: the top-left corner (which may be left of
// or above the primary screen), the size and the frames a second.
struct CaptureArea {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t fps = kFrameRate;
};

// ---- Standard input ----------------------------------------------------------
// Two bytes each; the encoder tolerates a carriage return before the line feed.
inline constexpr char kPauseCommand[] = "p\n";
inline constexpr char kResumeCommand[] = "r\n";
inline constexpr char kQuitCommand[] = "q\n";
inline constexpr char kDiscardCommand[] = "d\n";
// Only as the first line, written before the encoder starts: make ready and
// wait at the first segment's gate (the countdown runs meanwhile).
inline constexpr char kHoldCommand[] = "h\n";
// Opens the held encoder's gate: the lesson starts.
inline constexpr char kGoCommand[] = "g\n";

// ---- Exit codes of ffmpeg.exe -------------------------------------------------
constexpr int kExitDone = 0;          // the output file is complete
constexpr int kExitBadArguments = 1;  // the command line is not one the program builds
constexpr int kExitNoCore = 2;        // ffmpeg-core.exe is missing or does not start
constexpr int kExitJoinFailed = 3;    // nothing was recorded, or the join failed: segments kept
constexpr int kExitCoreLost = 4;      // the core stopped while recording: no join, segments kept
constexpr int kExitDiscarded = 5;     // "d": cores ended, segments, list and log deleted, no output
constexpr int kExitNoRoom = 6;        // too little free space for the joined file: segments kept, no output

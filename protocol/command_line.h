// The command line Tavrix starts its encoder (ffmpeg.exe) with: the words,
// the request they carry, composed as text by Tavrix and checked word by word
// by the encoder and the test encoder. Nothing here touches Windows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
// area travels apart, through the screen filter's settings (screen_filter.h).
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

struct ParsedArguments {
    std::optional<EncoderRequest> request;  // empty when the words were refused
    std::wstring error;                     // why they were refused
};

// Checks the words after the program name. Only the command lines the program
// builds (ComposeEncoderCommandLine) are accepted: the screen input, then the
// speaker and/or microphone input, one of the two quality option sets, the
// audio codec options when there is sound, the mix filter when there are two
// sound inputs, and the output path last.
ParsedArguments ParseEncoderArguments(const std::vector<std::wstring>& words);

// The recovery mode's command line for the recording at `outputPath`.
std::wstring ComposeJoinSegmentsCommandLine(const std::wstring& outputPath);

// The output whose segments the words after the program name ask to join;
// nothing when they are not the recovery mode's.
std::optional<std::wstring> JoinSegmentsOutput(const std::vector<std::wstring>& words);

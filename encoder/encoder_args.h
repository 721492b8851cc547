// The encoder adapter's command line: what Tavrix hands to ffmpeg.exe is
// checked word by word, and the stock core's command lines (one per segment,
// one for the final join) are built from it. Nothing here touches Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "encoder/protocol.h"

struct ParsedArguments {
    std::optional<EncoderRequest> request;  // empty when the words were refused
    std::wstring error;                     // why they were refused
};

// Checks the words after the program name. Only the command lines the program
// builds (ComposeEncoderCommandLine) are accepted: the screen input, then the speaker and/or microphone
// input, one of the two quality option sets, the audio codec options when
// there is sound, the mix filter when there are two sound inputs, and the
// output path last.
ParsedArguments ParseEncoderArguments(const std::vector<std::wstring>& words);

// The capture area from the screen filter's settings (protocol.h), as Tavrix
// wrote them: `read` gives a value by its name, or nothing when it is
// missing. Empty when a corner or the size is missing; a missing or zero
// frame rate is kFrameRate.
using ReadSetting = std::function<std::optional<uint32_t>(const wchar_t* name)>;
std::optional<CaptureArea> CaptureAreaFromSettings(const ReadSetting& read);

// A sound source the adapter captures itself and hands to the core as raw
// samples through a named pipe.
struct PipedAudio {
    std::wstring pipePath;
    std::wstring sampleFormat;  // the core's raw format name: "f32le", "s16le", ...
    uint32_t rate = 0;
    uint32_t channels = 0;
};

// What the machine offers, found by the Windows side before the first segment.
struct CaptureDevices {
    bool screenFilter = false;   // "screen-capture-recorder" is a DirectShow video input
    bool speakerFilter = false;  // "virtual-audio-capturer" is a DirectShow audio input
    std::optional<CaptureArea> area;  // the screen filter's registry values, when readable
    bool audioSessions = false;  // the system captures sound itself (every Windows since Vista)
    std::optional<PipedAudio> speakerCapture;     // the playback device's sound, captured by the adapter
    std::optional<PipedAudio> microphoneCapture;  // the microphone's endpoint, captured by the adapter
};

// The inputs and encoding of every segment of one recording.
struct CorePlan {
    std::vector<std::wstring> videoInput;
    std::vector<std::vector<std::wstring>> audioInputs;
    VideoQuality quality = VideoQuality::Normal;
};

// Decides the core's inputs: the screen filter where it is registered, else
// the GDI grabber over the same rectangle (the whole desktop when the values
// are missing); the speaker filter where it is registered, else the sound
// the adapter captures from the playback device; the microphone as the
// adapter captures it, through DirectShow only where the system has no audio
// sessions. Each substitution adds a line to `notes` saying what and why.
CorePlan PlanCore(const EncoderRequest& request, const CaptureDevices& devices,
                  std::vector<std::wstring>& notes);

// The core's arguments (without its own name) for one segment written as
// Matroska to `segmentPath`. Normal quality gets the buffer size without
// which the encoder ignores its maximum rate; the profile names the video
// stream only. With a `gatePath`, the core's first input is a metadata file
// read from that pipe: the core loads and then waits there, before any
// capture starts, until the adapter writes the file: a resume then costs no
// program start.
std::vector<std::wstring> SegmentArguments(const CorePlan& plan, const std::wstring& segmentPath,
                                           const std::wstring& gatePath = std::wstring());

// The core's input words for raw samples read from a pipe.
std::vector<std::wstring> PipedAudioInput(const PipedAudio& audio);

// What the gate pipe must carry: an empty metadata file.
extern const char kGateContent[];

// The core's arguments that join the segments listed in `listPath` into
// `outputPath` without re-encoding.
std::vector<std::wstring> JoinArguments(const std::wstring& listPath, const std::wstring& outputPath);

// The core's arguments that copy a segment whose sound stopped early into
// `paddedPath` with its picture unchanged and its sound padded with silence
// up to `durationNs` (the picture's end).
std::vector<std::wstring> PadSoundArguments(const std::wstring& segmentPath, const std::wstring& paddedPath,
                                            int64_t durationNs);

// One word quoted so that the platform's command-line parser gives it back
// unchanged; the words joined by blanks after `program`.
std::wstring QuoteArgument(const std::wstring& word);
std::wstring ComposeCommandLine(const std::wstring& program, const std::vector<std::wstring>& words);

// The stock core's command lines, built from what Tavrix asked for (its
// command line is read in protocol/command_line.h): one per segment, one
// for the final join, one for a segment whose sound is padded. Nothing here
// touches Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/command_line.h"
#include "protocol/screen_filter.h"
#include "support/rect.h"

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
    // The area the GDI grabber records, where it records the screen filter's
    // area (each segment looks at the screens again: they may have changed).
    std::optional<CaptureArea> grabArea;
    // A segment's picture made to the recording's size ("-vf"); empty: as grabbed.
    std::wstring pictureFilter;
    std::wstring pictureAspect;  // "-aspect" of a scaled picture: "<width>:<height>", its pixels square
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

// The GDI grabber's input words for `area`.
std::vector<std::wstring> GrabberInput(const CaptureArea& area);

// The area the grabber can record on `screens` (each monitor, in virtual
// screen coordinates): the area cut to the monitors it overlaps, or moved
// onto the first (the primary) when it overlaps none (a projector
// unplugged), fitted there; even and at least 2 by 2, as the encoder's
// picture format needs. The same area when `screens` is empty.
CaptureArea AreaOnScreens(const CaptureArea& area, const std::vector<Rect>& screens);

// The filter that makes a picture of one size the size of another: scaled
// to fit with its proportions kept and centred on black bars. Empty when the
// sizes are the same. Every segment of a
// recording is made at its first segment's size, so the joined lesson plays
// at one size when the display changed between two segments.
std::wstring FitPictureFilter(int32_t fromWidth, int32_t fromHeight, int32_t toWidth, int32_t toHeight);

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

// The sound the adapter captures itself through the system's audio sessions:
// the playback device in loopback mode (the computer's sound where no speaker
// filter is registered) and the microphone's capture endpoint. Each source
// captures for the whole recording on a thread of its own and hands each
// segment's core its samples, on the recording's clock, through a named pipe.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "encoder/encoder_args.h"

// The adapter's clock in 100-nanosecond units: the unit and the origin of the
// time stamps the audio sessions put on their packets.
int64_t AudioClockNow();

// The adapter's clock at a moment on the system's wall clock, given in
// microseconds since 1970 (how the screen grabber stamps its pictures).
int64_t AudioClockAtSystemTime(int64_t unixMicroseconds);

struct AudioEndpointInfo {
    std::wstring id;
    std::wstring name;  // the endpoint's friendly name
};

// The active capture endpoints (microphones, and a monitor of what plays
// where the sound system offers one). Needs COM on the calling thread.
std::vector<AudioEndpointInfo> CaptureEndpoints();

// Where a source's samples come from.
struct AudioSourceSetup {
    std::wstring endpointId;  // a capture endpoint; empty: the default playback endpoint
    bool loopback = false;    // record what the endpoint plays
    std::wstring label;       // "speakers" or "microphone", for the log
};

class AudioSource {
public:
    AudioSource();
    ~AudioSource();
    AudioSource(const AudioSource&) = delete;
    AudioSource& operator=(const AudioSource&) = delete;

    // Opens the endpoint and starts capturing, with the pipe `pipePath` for
    // the cores. False, with the reason in `error`, when the endpoint cannot
    // be captured (a loopback the system refuses, among others).
    bool Open(const AudioSourceSetup& setup, const std::wstring& pipePath, std::wstring& error);
    // The input as the core reads it; valid after a successful Open.
    const PipedAudio& Input() const;

    // A segment: the pipe is made before the core can look for it, the
    // samples count from `start` (the adapter's clock) once it began.
    bool OpenPipe();
    void BeginSegment(int64_t start);
    // The core is about to be told to finish: sound up to `end` goes out
    // (silence where nothing came), for at most `waitMs`.
    void FinishSegment(int64_t end, DWORD waitMs);
    // The core has exited: the pipe is closed. A line on what was given is logged.
    void CloseSegment();

    struct Shared;  // what the capture thread shares with the recording

private:
    std::shared_ptr<Shared> m_shared;
};

// The sound sources of one recording, opened before its first segment. Fills
// in the pipes of `devices` for the sources it could open and logs why any
// other could not: the speakers in loopback where no speaker filter is
// registered, the microphone's endpoint matched to its name (the default
// capture endpoint when no name matches).
//
// TAVRIX_SPEAKER_ENDPOINT, when set, names a capture endpoint to record in
// place of the playback device's loopback: the tests' sound system refuses
// loopback, and its null sink's monitor ("Monitor of Null Output") carries
// what the computer plays.
class AudioCapture {
public:
    void Open(const EncoderRequest& request, CaptureDevices& devices, std::vector<std::wstring>& notes);
    bool Empty() const { return m_sources.empty(); }

    // The segment's hooks, in the order the recording calls them.
    void OpenPipes();
    void BeginSegment(int64_t start);
    void FinishSegment(int64_t end);
    void CloseSegment();

private:
    std::vector<std::unique_ptr<AudioSource>> m_sources;
};

// True when the default playback device can be captured in loopback mode
// here (the system may refuse it, as some sound systems do).
bool SpeakerLoopbackWorks();

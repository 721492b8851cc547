// One sound source the adapter captures itself through the system's audio
// sessions: a capture endpoint, or the playback device in loopback mode.
// It captures for the whole recording on a thread of its own and hands each
// segment's core its samples, on the recording's clock, through a named pipe.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "encoder/encoder_args.h"

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

// One sound source the adapter captures itself through the system's audio
// sessions: a capture endpoint, or the playback device in loopback mode.
// It captures for the whole recording on a thread of its own, hands each
// segment's core its samples, on the recording's clock, through a private
// named pipe, and reports on the status channel: opened or failed, its
// level, and a device that went away and came back. A lost device is
// opened again by itself (the same one when it returns, else the new
// default of its role); meanwhile the core gets silence by the clock, so
// the sound after the gap stays in step with the picture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "encoder/encoder_args.h"
#include "protocol/status.h"

class StatusChannel;

// Where a source's samples come from.
struct AudioSourceSetup {
    SoundSource source = SoundSource::Microphone;
    std::wstring endpointId;  // a capture endpoint; empty: the default device of the role
    bool loopback = false;    // record what the playback endpoint plays
    // The source records the default device of its role, whichever that is;
    // otherwise it keeps to its endpoint (found again by its id, else by
    // `endpointName`), takes the default only while that one is gone, and
    // goes back to it when it returns.
    bool followsDefault = true;
    std::wstring endpointName;
    // A new default device of its role becomes its own.
    bool movesWithDefault = true;
    // The endpoint delivers packets all the time, silent ones too (a
    // microphone); a playback device in loopback, and a monitor standing in
    // for it, deliver nothing while nothing plays.
    bool deliversSilence = true;
};

class AudioSource {
public:
    AudioSource();
    ~AudioSource();
    AudioSource(const AudioSource&) = delete;
    AudioSource& operator=(const AudioSource&) = delete;

    // Opens the endpoint and starts capturing, with the pipe `pipePath` for
    // the cores; says "opened" or "failed" on `status` (may be null), and
    // from then on the level and any loss. False, with the reason in
    // `error`, when the endpoint cannot be captured (a loopback the system
    // refuses, among others).
    bool Open(const AudioSourceSetup& setup, const std::wstring& pipePath, StatusChannel* status, std::wstring& error);
    // The input as the core reads it; valid after a successful Open. It
    // stays the same when the device is opened again.
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

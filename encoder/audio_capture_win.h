// The sound the adapter captures itself through the system's audio sessions,
// for one recording: which sources it opens (the speakers in loopback where
// no speaker filter is registered, the microphone's capture endpoint), the
// segment's hooks that hand each core their samples (audio_source_win.h),
// and the status channel on which every chosen source is reported.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "encoder/audio_source_win.h"
#include "encoder/encoder_args.h"
#include "encoder/status_channel_win.h"

// The sound sources of one recording, opened before its first segment. Fills
// in the pipes of `devices` for the sources it could open and logs why any
// other could not: the speakers in loopback where no speaker filter is
// registered, the microphone's endpoint matched to its name (the default
// capture endpoint when no name matches). Each pipe has a name nobody can
// guess and lets in this user's processes only. On standard output, the
// status channel (protocol/status.h) says for every source the request
// chose whether it opened, and then "ready"; the sources go on with their
// levels and any loss.
//
// TAVRIX_SPEAKER_ENDPOINT (protocol/environment.h), when set, names a capture
// endpoint to record in place of the playback device's loopback: the tests'
// sound system refuses loopback, and its null sink's monitor ("Monitor of
// Null Output") carries what the computer plays.
class AudioCapture {
public:
    AudioCapture();
    void Open(const EncoderRequest& request, CaptureDevices& devices, std::vector<std::wstring>& notes);
    bool Empty() const { return m_sources.empty(); }

    // The segment's hooks, in the order the recording calls them.
    void OpenPipes();
    void BeginSegment(int64_t start);
    void FinishSegment(int64_t end);
    void CloseSegment();

private:
    // Opens one source; its input, or null with a note saying why not.
    const PipedAudio* OpenSource(const AudioSourceSetup& setup, std::vector<std::wstring>& notes);
    // A chosen source the adapter leaves to the core (a capture filter, or
    // the microphone where there are no audio sessions), or one it cannot
    // have at all.
    void Report(SoundSource source, bool opened, const std::wstring& reason = std::wstring());

    StatusChannel m_status;  // outlives the sources, which report on it
    std::vector<std::unique_ptr<AudioSource>> m_sources;
};

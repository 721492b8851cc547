// The sound the adapter captures itself through the system's audio sessions,
// for one recording: which sources it opens (the speakers in loopback where
// no speaker filter is registered, the microphone's capture endpoint) and
// the segment's hooks that hand each core their samples (audio_source_win.h).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "encoder/audio_source_win.h"
#include "encoder/encoder_args.h"

// The sound sources of one recording, opened before its first segment. Fills
// in the pipes of `devices` for the sources it could open and logs why any
// other could not: the speakers in loopback where no speaker filter is
// registered, the microphone's endpoint matched to its name (the default
// capture endpoint when no name matches).
//
// TAVRIX_SPEAKER_ENDPOINT (protocol/environment.h), when set, names a capture
// endpoint to record in place of the playback device's loopback: the tests'
// sound system refuses loopback, and its null sink's monitor ("Monitor of
// Null Output") carries what the computer plays.
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
    // Opens one source; its input, or null with a note saying why not.
    const PipedAudio* OpenSource(const AudioSourceSetup& setup, const std::wstring& pipe,
                                 std::vector<std::wstring>& notes);

    std::vector<std::unique_ptr<AudioSource>> m_sources;
};

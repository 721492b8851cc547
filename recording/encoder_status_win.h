// Tavrix's end of the encoder's status channel (protocol/status.h): the read
// end of the pipe that is the encoder's standard output, read on a thread of
// its own, and the recording's sound as those lines and the clock tell it
// (recording/sound_watch.h), for the windows that show it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "protocol/status.h"
#include "recording/sound_watch.h"
#include "support/unique_win.h"

class EncoderStatusReader {
public:
    EncoderStatusReader() = default;
    EncoderStatusReader(const EncoderStatusReader&) = delete;
    EncoderStatusReader& operator=(const EncoderStatusReader&) = delete;
    // Stops reading: the encoder has ended (its end of the pipe closed) or
    // is being given up; a read still under way is cancelled.
    ~EncoderStatusReader();

    // Reads `pipe` until the encoder closes its end. `ready` is called on the
    // reading thread when lines wait, once until the next Take. Lines that
    // are not the channel's are logged once (the first of them) and ignored.
    bool Start(UniqueHandle pipe, std::function<void()> ready);

    // The lines that came since the last call, in order; level lines of one
    // source that came one after another are merged into their loudest.
    std::vector<StatusLine> Take();

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    UniqueHandle m_thread;
};

// The sound of the current recording: the chosen sources, their meters and
// warnings. UI thread only. EncoderProcess begins it with every encoder it
// starts (`recording` when that one records at once rather than held), and
// tells it when the lesson records and when it pauses.
SoundWatch& RecordingSound();
void BeginRecordingSound(bool speakers, bool microphone, bool recording);

// Called on the reading thread whenever the encoder said something (once
// until the next TakeRecordingSound): the windows that show the sound set it
// once, before any encoder starts. Null: nobody listens.
using SoundNewsCallback = void (*)();
void SetSoundNews(SoundNewsCallback news);

// Feeds what the encoder said since the last call into RecordingSound and
// writes its notices to the log (a warning for every problem, with the
// source's name and the reason). UI thread.
void TakeRecordingSound();

// Tells whoever SetSoundNews named (the reader's `ready` for the encoder's channel).
void TellSoundNews();

// Monotonic milliseconds, the clock the recording's sound is watched by.
int64_t SoundClockMs();

// The recording in progress: its plan, its segments and its cores, and the
// sound the adapter feeds them. After every pause the next segment's core is
// started at once and waits at its gate, so a resume only has to open the gate.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "encoder/audio_capture_win.h"
#include "encoder/core_gate_win.h"
#include "encoder/core_process_win.h"
#include "encoder/encoder_args.h"
#include "encoder/session.h"
#include "support/unique_win.h"

class Recording {
public:
    Recording(const EncoderRequest& request, const CorePlan& plan, std::wstring corePath, HANDLE coreOutput,
              UniqueHandle job);

    CoreProcess& Core() { return m_core; }
    HANDLE Job() const { return m_job.get(); }
    const std::vector<std::wstring>& Segments() const { return m_segments.Paths(); }
    const std::wstring& ListPath() const { return m_segments.ListPath(); }

    // The sound the adapter captures itself, fed to every segment's core.
    // The core starts each input's time stamps at its first sample or
    // picture, so the sound must start where the first picture was taken.
    // A picture shows what changed since the one before, half a frame
    // earlier on average: the sound starts half a frame before the first
    // picture, which centres what is heard and what is seen at one instant
    // on each other. The screen grabber's first picture time is what the
    // core says; the screen filter's is taken to be the gate's opening.
    void FeedAudio(AudioCapture* audio, int64_t frame, bool grabber);

    // Starts the next segment's core, waiting at its gate.
    bool PrepareSegment();
    // Waits until the waiting core has opened its gate (it has loaded and
    // read its command line, and only the capture is left to start), a
    // command came (`wake`), or the core ended. True in the first case.
    bool AwaitWaitingCore(HANDLE wake);
    // Lets the waiting core record; prepares one first when there is none.
    bool StartSegment();
    // Pause: the core finishes its segment; with `prepareNext` the next
    // one's core gets ready.
    void EndSegment(bool prepareNext);
    // Quit while paused: the waiting core never recorded anything.
    void DiscardWaitingCore();
    // Discard: every core ended at once, this recording's files deleted.
    void DiscardAll();

private:
    // Where the segment's sound starts on the adapter's clock, the gate
    // having opened at `gateOpened`.
    int64_t SoundStart(int64_t gateOpened);

    const EncoderRequest& m_request;
    const CorePlan& m_plan;
    std::wstring m_corePath;
    HANDLE m_coreOutput;
    SegmentList m_segments;
    UniqueHandle m_job;
    CoreGate m_gate;
    CoreProcess m_core;
    AudioCapture* m_audio = nullptr;
    int64_t m_frame = 1000000;
    bool m_grabber = true;
};

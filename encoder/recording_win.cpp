#include "encoder/recording_win.h"

#include <optional>

#include "encoder/audio_clock_win.h"
#include "encoder/encoder_files_win.h"
#include "encoder/encoder_log_win.h"
#include "protocol/files.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/utf8.h"

namespace {

// How long a core may take to finish its segment after "q" before it is
// ended, and to reach its gate.
constexpr DWORD kFinishTimeoutMs = 30000;
// How long a segment's start waits for the core to say when it took its
// first picture; it says so about a frame after its gate opens. The sound
// captured meanwhile is kept for 3 s, so the wait must stay well below that.
constexpr DWORD kFirstPictureWaitMs = 2000;

}  // namespace

Recording::Recording(const EncoderRequest& request, const CorePlan& plan, std::wstring corePath, HANDLE coreOutput,
                     UniqueHandle job)
    : m_request(request), m_plan(plan), m_corePath(std::move(corePath)), m_coreOutput(coreOutput),
      m_segments(request.outputPath, IsExistingFile), m_job(std::move(job)) {}

void Recording::FeedAudio(AudioCapture* audio, int64_t frame, bool grabber) {
    m_audio = audio && !audio->Empty() ? audio : nullptr;
    m_frame = frame;
    m_grabber = grabber;
}

bool Recording::PrepareSegment() {
    const std::wstring& path = m_segments.Next();
    if (!m_gate.Create()) {
        TAVRIX_LOG(LevelError) << "cannot make the gate pipe: " << SystemMessage(GetLastError());
        m_segments.DropLast();
        return false;
    }
    const std::wstring line = ComposeCommandLine(m_corePath, SegmentArguments(m_plan, path, m_gate.Path()));
    TAVRIX_LOG(LevelDebug) << Utf8FromWide(line);
    DWORD error = 0;
    if (!m_core.Start(line, m_job.get(), m_coreOutput, error, true)) {
        TAVRIX_LOG(LevelError) << "the core did not start: " << SystemMessage(error);
        m_segments.DropLast();
        return false;
    }
    if (m_job && !m_core.InJob()) {
        TAVRIX_LOG(LevelWarning) << "the core (process " << m_core.ProcessId() << ") is not in the job";
    }
    TAVRIX_LOG(LevelDebug) << "core process " << m_core.ProcessId() << " waits for segment "
                           << m_segments.Paths().size();
    return true;
}

bool Recording::AwaitWaitingCore(HANDLE wake) {
    if (!m_core.Running() || !m_gate.Listen()) return false;
    HANDLE waits[3] = {m_gate.ConnectedEvent(), m_core.Handle(), wake};
    return WaitForMultipleObjects(3, waits, FALSE, kFinishTimeoutMs) == WAIT_OBJECT_0;
}

bool Recording::StartSegment() {
    if (m_core.Running() && WaitForSingleObject(m_core.Handle(), 0) == WAIT_OBJECT_0) {
        TAVRIX_LOG(LevelWarning) << "the waiting core exited, exit code " << m_core.Reap();
        m_segments.DropLast();
    }
    if (!m_core.Running() && !PrepareSegment()) return false;
    if (m_audio) m_audio->OpenPipes();
    if (!m_gate.Open(m_core.Handle(), kFinishTimeoutMs)) {
        TAVRIX_LOG(LevelError) << "the core did not take up its segment";
        if (m_audio) m_audio->CloseSegment();
        m_core.Discard();
        m_segments.DropLast();
        return false;
    }
    TAVRIX_LOG(LevelInfo) << "segment " << m_segments.Paths().size() << ": " << Utf8FromWide(m_segments.Paths().back());
    if (m_audio) m_audio->BeginSegment(SoundStart(AudioClockNow()));
    return true;
}

void Recording::EndSegment(bool prepareNext) {
    bool forced = false;
    if (m_audio) m_audio->FinishSegment(AudioClockNow());
    const DWORD code = m_core.Finish(kFinishTimeoutMs, forced);
    if (m_audio) m_audio->CloseSegment();
    if (forced) {
        TAVRIX_LOG(LevelWarning) << "the core did not finish its segment within " << kFinishTimeoutMs / 1000
                                 << " s and was ended";
    }
    TAVRIX_LOG(LevelDebug) << "segment " << m_segments.Paths().size() << " ended, core exit code " << code;
    if (prepareNext) PrepareSegment();
}

void Recording::DiscardWaitingCore() {
    if (!m_core.Running()) return;
    m_core.Discard();
    m_segments.DropLast();
    TAVRIX_LOG(LevelDebug) << "the waiting core was ended";
}

void Recording::DiscardAll() {
    m_core.Discard();
    for (const std::wstring& path : m_segments.Paths()) DeleteFileSoon(path);
    DeleteFileSoon(m_segments.ListPath());
    DeleteFileSoon(JoiningPath(m_request.outputPath));
}

// The grabber opens after the gate, takes its first picture one frame later,
// and the core says when; the core opens its sound inputs only after that,
// so waiting costs the sound nothing (what came meanwhile is kept). Should
// the core not say, the picture is taken to come one frame after the gate.
int64_t Recording::SoundStart(int64_t gateOpened) {
    if (!m_grabber) return gateOpened - m_frame / 2;
    if (const std::optional<int64_t> picture = m_core.FirstPicture(kFirstPictureWaitMs)) {
        const int64_t at = AudioClockAtSystemTime(*picture);
        TAVRIX_LOG(LevelDebug) << "first picture " << (at - gateOpened) / 10000 << " ms after the gate opened";
        return at - m_frame / 2;
    }
    TAVRIX_LOG(LevelWarning) << "the core did not say when it took its first picture: the sound starts one frame after the gate";
    return gateOpened + m_frame - m_frame / 2;
}

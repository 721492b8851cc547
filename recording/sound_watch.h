// What the teacher is told of the sound of the recording under way, while it
// happens: a level meter for each chosen source (the speakers, the
// microphone), and a warning when one could not be opened, was lost, or (the
// microphone only) has been silent for ten seconds; and the lines the log
// gets. Fed by the encoder's status channel (protocol/status.h) and the
// clock. Nothing here touches Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "protocol/status.h"

enum class SoundProblem { None, Missing, Lost, Silent };

// A problem that began, or ended (problem None), for the log.
struct SoundNotice {
    SoundSource source = SoundSource::Microphone;
    SoundProblem problem = SoundProblem::None;
    SoundProblem ended = SoundProblem::None;  // with None: which problem is over
    std::string reason;
};

class SoundWatch {
public:
    // A muted, blocked or dead microphone gives less than this; a live one
    // in a quiet room more, so a teacher who stops talking is not warned.
    static constexpr double kSilentBelowDb = -60.0;
    static constexpr int64_t kSilentForMs = 10000;
    // A warning stays up at least this long, so that it can be read.
    static constexpr int64_t kLeastShownMs = 3000;
    // The meter runs from this level (empty) to full scale (full).
    static constexpr double kMeterFloorDb = -60.0;

    // A new recording with these sources chosen; nothing heard yet.
    void Begin(bool speakers, bool microphone);
    // Silence is counted only while the lesson records, not during the
    // countdown or a pause.
    void SetRecording(bool recording, int64_t nowMs);
    void Feed(const StatusLine& line, int64_t nowMs);
    // Time passes: a silence may have gone on for long enough, a warning
    // may have stood for long enough.
    void Tick(int64_t nowMs);

    bool Chosen(SoundSource source) const { return Of(source).chosen; }
    // The encoder has said of every chosen source whether it opened ("ready").
    bool Settled() const { return m_settled; }
    // The encoder has said anything at all on its channel.
    bool Heard() const { return m_heard; }
    // A chosen source that could not be opened at the start.
    bool Missing(SoundSource source) const { return Of(source).failed; }
    // Whether the source shows a meter: chosen, and its level is reported
    // (an encoder that says nothing, or leaves a source to its core, gives none).
    bool Metered(SoundSource source) const { return Of(source).chosen && Of(source).metered; }
    // The meter's fill, 0 to 1, from the last level's peak.
    double Meter(SoundSource source) const;
    // The problem shown for the source now; None when all is well.
    SoundProblem Shown(SoundSource source) const { return Of(source).shown; }

    // What began and ended since the last call, in order.
    std::vector<SoundNotice> TakeNotices();

private:
    struct Source {
        bool chosen = false;
        bool opened = false;
        bool failed = false;
        bool lost = false;
        bool silent = false;
        bool metered = false;
        std::string reason;
        double peakDb = kSilenceDb;
        int64_t lastHeardMs = 0;
        SoundProblem problem = SoundProblem::None;  // what is wrong now
        SoundProblem shown = SoundProblem::None;    // what the bar shows
        int64_t shownSinceMs = 0;
    };
    Source& Of(SoundSource source) { return source == SoundSource::Speakers ? m_speakers : m_microphone; }
    const Source& Of(SoundSource source) const {
        return source == SoundSource::Speakers ? m_speakers : m_microphone;
    }
    void Update(SoundSource source, int64_t nowMs);

    Source m_speakers;
    Source m_microphone;
    bool m_settled = false;
    bool m_heard = false;
    bool m_recording = false;
    std::vector<SoundNotice> m_notices;
};

// The warning the bar shows, in plain Chinese; empty when there is none.
// One at a time: the microphone's first, a loss before the rest.
std::wstring SoundWarningText(const SoundWatch& watch);

// The question asked before the lesson starts when a chosen source could
// not be opened: go on without it, or not at all. Empty when none is missing.
std::wstring MissingSoundQuestion(const SoundWatch& watch);

// The log line of a notice: "microphone: lost: <reason>", "microphone: silent
// (below -60 dBFS for 10 s)", "speakers: cannot be opened: <reason>",
// "microphone: the sound is back".
std::string SoundNoticeText(const SoundNotice& notice);

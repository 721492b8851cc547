#include "recording/sound_watch.h"

#include <algorithm>

void SoundWatch::Begin(bool speakers, bool microphone) {
    m_speakers = Source();
    m_microphone = Source();
    m_speakers.chosen = speakers;
    m_microphone.chosen = microphone;
    m_settled = !speakers && !microphone;
    m_heard = false;
    m_recording = false;
    m_notices.clear();
}

void SoundWatch::SetRecording(bool recording, int64_t nowMs) {
    if (recording && !m_recording) {
        // What went before (the countdown, a pause) is not the lesson's silence.
        m_microphone.lastHeardMs = nowMs;
        m_microphone.silent = false;
    }
    m_recording = recording;
    Tick(nowMs);
}

void SoundWatch::Feed(const StatusLine& line, int64_t nowMs) {
    m_heard = true;
    if (line.event == StatusEvent::Ready) {
        m_settled = true;
        return;
    }
    Source& s = Of(line.source);
    if (!s.chosen) return;  // a source the recording did not ask for says nothing to the teacher
    switch (line.event) {
    case StatusEvent::Opened:
        s.opened = true;
        s.lastHeardMs = nowMs;
        break;
    case StatusEvent::Failed:
        if (!s.opened) {
            s.failed = true;
            s.reason = line.reason;
        }
        break;
    case StatusEvent::Lost:
        if (s.opened) {
            s.lost = true;
            s.reason = line.reason;
        }
        break;
    case StatusEvent::Back:
        s.lost = false;
        break;
    case StatusEvent::Level:
        s.metered = true;
        s.peakDb = line.peakDb;
        if (line.peakDb >= kSilentBelowDb) {
            s.lastHeardMs = nowMs;
            s.silent = false;
        }
        break;
    case StatusEvent::Ready: break;
    }
    Update(line.source, nowMs);
}

void SoundWatch::Tick(int64_t nowMs) {
    Update(SoundSource::Microphone, nowMs);
    Update(SoundSource::Speakers, nowMs);
}

void SoundWatch::Update(SoundSource source, int64_t nowMs) {
    Source& s = Of(source);
    if (!s.chosen) return;
    // Silence from the speakers while nothing plays is normal: only the microphone's counts.
    if (source == SoundSource::Microphone && m_recording && s.opened && !s.silent &&
        nowMs - s.lastHeardMs >= kSilentForMs)
        s.silent = true;
    const SoundProblem problem = s.failed ? SoundProblem::Missing
                                 : s.lost ? SoundProblem::Lost
                                 : s.silent ? SoundProblem::Silent
                                            : SoundProblem::None;
    if (problem != s.problem) {
        SoundNotice notice;
        notice.source = source;
        notice.problem = problem;
        notice.ended = s.problem;
        notice.reason = problem == SoundProblem::Missing || problem == SoundProblem::Lost ? s.reason : std::string();
        m_notices.push_back(notice);
        s.problem = problem;
    }
    if (problem != SoundProblem::None) {
        if (s.shown != problem) s.shownSinceMs = nowMs;
        s.shown = problem;
    } else if (s.shown != SoundProblem::None && nowMs - s.shownSinceMs >= kLeastShownMs) {
        s.shown = SoundProblem::None;
    }
}

double SoundWatch::Meter(SoundSource source) const {
    const double fill = (Of(source).peakDb - kMeterFloorDb) / -kMeterFloorDb;
    return std::clamp(fill, 0.0, 1.0);
}

std::vector<SoundNotice> SoundWatch::TakeNotices() {
    std::vector<SoundNotice> notices;
    notices.swap(m_notices);
    return notices;
}

std::wstring SoundWarningText(const SoundWatch& watch) {
    const SoundProblem microphone = watch.Shown(SoundSource::Microphone);
    const SoundProblem speakers = watch.Shown(SoundSource::Speakers);
    if (microphone == SoundProblem::Lost) return L"麦克风断开了，正在重新连接…";
    if (microphone == SoundProblem::Missing) return L"麦克风打不开，录像里没有麦克风的声音";
    if (speakers == SoundProblem::Lost) return L"电脑的声音断开了，正在重新连接…";
    if (speakers == SoundProblem::Missing) return L"录不到电脑播放的声音";
    if (microphone == SoundProblem::Silent) return L"麦克风没有声音，请检查是否静音或被关闭";
    return std::wstring();
}

std::wstring MissingSoundQuestion(const SoundWatch& watch) {
    const bool speakers = watch.Missing(SoundSource::Speakers);
    const bool microphone = watch.Missing(SoundSource::Microphone);
    const bool otherSpeakers = watch.Chosen(SoundSource::Speakers) && !speakers;
    const bool otherMicrophone = watch.Chosen(SoundSource::Microphone) && !microphone;
    std::wstring text;
    if (speakers && microphone) text = L"麦克风和电脑播放的声音都录不到，这次录像将没有声音。";
    else if (microphone) text = otherSpeakers ? L"麦克风打不开，录像里只会有电脑播放的声音。" : L"麦克风打不开，这次录像将没有声音。";
    else if (speakers) text = otherMicrophone ? L"录不到电脑播放的声音，录像里只会有麦克风的声音。" : L"录不到电脑播放的声音，这次录像将没有声音。";
    else return std::wstring();
    return text + L"仍然开始录像吗？";
}

std::string SoundNoticeText(const SoundNotice& notice) {
    std::string text = std::string(SoundSourceName(notice.source)) + ": ";
    switch (notice.problem) {
    case SoundProblem::Missing: return text + "cannot be opened: " + notice.reason;
    case SoundProblem::Lost: return text + "lost: " + notice.reason;
    case SoundProblem::Silent:
        return text + "silent (below " + std::to_string(static_cast<int>(SoundWatch::kSilentBelowDb)) + " dBFS for " +
               std::to_string(SoundWatch::kSilentForMs / 1000) + " s)";
    case SoundProblem::None: break;
    }
    return text + (notice.ended == SoundProblem::Silent ? "the sound is back" : "back");
}

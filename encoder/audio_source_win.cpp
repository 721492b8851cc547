#include "encoder/audio_source_win.h"

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "encoder/audio_clock_win.h"
#include "encoder/audio_device_watch_win.h"
#include "encoder/audio_endpoints_win.h"
#include "encoder/audio_level.h"
#include "encoder/audio_recovery.h"
#include "encoder/audio_session_win.h"
#include "encoder/audio_timeline.h"
#include "encoder/pcm_pipe_win.h"
#include "encoder/status_channel_win.h"
#include "support/com_win.h"
#include "support/log.h"
#include "support/text_win.h"
#include "support/unique_win.h"
#include "support/utf8.h"

namespace {

constexpr DWORD kPollMs = 10;
constexpr int64_t kHistorySpan = 30000000;         // 3 s kept for a segment that starts in the past
constexpr int64_t kToleranceMs = 20;               // jitter absorbed by joining packets end to end
constexpr int64_t kLagMs = 500;                    // silence filled when nothing came for this long
// A level line this often, on the clock's grid: every source's comes at the
// same moment, and the channel carries them in one write (each write wakes
// Tavrix, and under Wine each wake-up costs it more than the line).
constexpr int64_t kLevelIntervalMs = 100;
// A microphone delivers packets all the time, silent ones too: one that
// delivers nothing for this long has gone, whatever the system says (Wine
// reports no error when the sound server's device goes away).
constexpr int64_t kStallMs = 1000;
// A session just opened may take longer for its first packet (seen under
// Wine: up to about two seconds on a busy machine).
constexpr int64_t kFirstPacketMs = 3000;

struct HistoryPacket {
    int64_t time = 0;  // the first frame's time on the adapter's clock
    size_t frames = 0;
    std::vector<uint8_t> bytes;  // empty: silent
};

int64_t NowMs() { return AudioClockNow() / 10000; }

}  // namespace

struct AudioSource::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    AudioSourceSetup setup;
    std::string label;
    StatusChannel* status = nullptr;
    PipedAudio input;
    uint32_t frameBytes = 0;
    bool opened = false;
    bool failed = false;
    std::wstring error;
    bool stop = false;
    UniqueHandle wake;

    std::deque<HistoryPacket> history;
    PcmPipe pipe;
    std::unique_ptr<PcmTimeline> timeline;  // the current segment's samples, once it began
    int64_t start = 0;
    bool finishing = false;
    int64_t end = 0;
    bool drained = false;
    std::thread thread;
};

namespace {

// Takes what the session has captured; its result when the session failed
// (AUDCLNT_E_DEVICE_INVALIDATED when the device went away). `got` says
// whether any packet came.
HRESULT ReadPackets(AudioSource::Shared& shared, IAudioCaptureClient* capture, LevelMeter& meter, bool& got) {
    const uint32_t rate = shared.input.rate;
    for (;;) {
        UINT32 next = 0;
        HRESULT hr = capture->GetNextPacketSize(&next);
        if (FAILED(hr) || next == 0) return hr;
        BYTE* data = nullptr;
        UINT32 frames = 0;
        DWORD flags = 0;
        UINT64 position = 0, time = 0;
        hr = capture->GetBuffer(&data, &frames, &flags, &position, &time);
        if (FAILED(hr)) return hr;
        got = true;
        HistoryPacket packet;
        packet.frames = frames;
        if ((flags & AUDCLNT_BUFFERFLAGS_TIMESTAMP_ERROR) || time == 0)
            packet.time = AudioClockNow() - static_cast<int64_t>(frames) * 10000000 / rate;
        else
            packet.time = static_cast<int64_t>(time);
        if (!(flags & AUDCLNT_BUFFERFLAGS_SILENT) && data)
            packet.bytes.assign(data, data + static_cast<size_t>(frames) * shared.frameBytes);
        capture->ReleaseBuffer(frames);
        // The level of what goes on to the core: a packet the system marks silent is silence there.
        meter.Add(packet.bytes.empty() ? nullptr : packet.bytes.data(), packet.frames);

        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.timeline)
            shared.timeline->AddPacket(FramesInSpan(packet.time - shared.start, rate),
                                       packet.bytes.empty() ? nullptr : packet.bytes.data(), packet.frames);
        shared.history.push_back(std::move(packet));
        while (!shared.history.empty() && shared.history.front().time < shared.history.back().time - kHistorySpan)
            shared.history.pop_front();
    }
}

void Send(AudioSource::Shared& shared, const StatusLine& line) {
    if (shared.status) shared.status->Send(line);
}

// The capture thread: one session at a time, opened again when its device goes.
class SourceRun {
public:
    explicit SourceRun(const std::shared_ptr<AudioSource::Shared>& shared)
        : m_shared(shared), m_setup(shared->setup), m_recovery(shared->setup.followsDefault, shared->setup.movesWithDefault),
          m_wantedName(shared->setup.endpointName) {}

    void Run() {
        ComPtr<IMMDeviceEnumerator> enumerator;
        std::string error = "no audio sessions";
        if (SUCCEEDED(CreateDeviceEnumerator(enumerator)))
            m_session = OpenCaptureSession(enumerator.get(), m_setup.endpointId, m_setup.loopback, nullptr, m_format, error);
        if (!Started(error)) return;
        m_enumerator = enumerator.get();
        m_recovery.Opened(m_session->deviceId, true, NowMs());
        m_wantedId = m_session->deviceId;
        SampleKind kind = SampleKind::Float32;
        SampleKindOf(m_format.input.sampleFormat, kind);
        LevelMeter meter(kind, m_format.input.channels);
        DeviceWatch watch(enumerator.get(), m_setup.loopback ? eRender : eCapture, m_shared->wake.get());
        m_lastPacketMs = NowMs();
        int64_t nextLevelMs = (NowMs() / kLevelIntervalMs + 1) * kLevelIntervalMs;
        for (;;) {
            WaitForSingleObject(m_shared->wake.get(), kPollMs);
            Capture(meter);
            Look(watch.Take());
            const int64_t now = NowMs();
            if (m_recovery.Due(now)) Reopen(now);
            if (now >= nextLevelMs) {
                const LevelMeter::Level level = meter.Take();
                Send(*m_shared, LevelLine(m_setup.source, level.peakDb, level.rmsDb));
                nextLevelMs = (now / kLevelIntervalMs + 1) * kLevelIntervalMs;
            }
            if (!Pump()) break;
        }
        m_session.reset();
    }

private:
    // Says how the first open went and wakes whoever waits for it.
    bool Started(const std::string& error) {
        const bool opened = m_session != nullptr;
        {
            std::lock_guard<std::mutex> lock(m_shared->mutex);
            m_shared->opened = opened;
            m_shared->failed = !opened;
            m_shared->error = WidenText(error, CP_UTF8);
            m_shared->input.sampleFormat = m_format.input.sampleFormat;
            m_shared->input.rate = m_format.input.rate;
            m_shared->input.channels = m_format.input.channels;
            m_shared->frameBytes = m_format.frameBytes;
        }
        Send(*m_shared, opened ? SourceEvent(StatusEvent::Opened, m_setup.source)
                               : SourceEvent(StatusEvent::Failed, m_setup.source, error));
        m_shared->changed.notify_all();
        return opened;
    }

    void Capture(LevelMeter& meter) {
        if (!m_session) return;
        bool got = false;
        const HRESULT hr = ReadPackets(*m_shared, m_session->capture.get(), meter, got);
        const int64_t now = NowMs();
        if (got) {
            m_lastPacketMs = now;
            m_delivering = true;
            if (m_lostReported) Back();
        }
        const int64_t stall = m_delivering ? kStallMs : kFirstPacketMs;
        if (FAILED(hr)) {
            Lose(hr == AUDCLNT_E_DEVICE_INVALIDATED ? "the device went away (" + HexResult(hr) + ")"
                                                    : "the device stopped delivering (" + HexResult(hr) + ")");
        } else if (m_setup.deliversSilence && now - m_lastPacketMs >= stall) {
            Lose("no sound came for " + std::to_string(stall / 1000) + " s");
        }
    }

    // The system's notices: the device gone or disabled, a new default.
    void Look(const DeviceNotices& notices) {
        if (m_session && notices.changed.count(m_session->deviceId) &&
            !IsDeviceActive(m_enumerator, m_session->deviceId))
            Lose("the device was removed or disabled");
        if (notices.defaultChanged) m_recovery.DefaultChanged(NowMs());
    }

    // Said once per loss, however many opens fail or deliver nothing before it is back.
    void Lose(const std::string& reason) {
        m_session.reset();
        m_recovery.Lost(NowMs());
        if (m_lostReported) return;
        m_lostReported = true;
        TAVRIX_LOG(LevelWarning) << m_shared->label << ": lost: " << reason;
        Send(*m_shared, SourceEvent(StatusEvent::Lost, m_setup.source, reason));
    }

    void Back() {
        m_lostReported = false;
        m_failuresLogged = 0;
        TAVRIX_LOG(LevelInfo) << m_shared->label << ": back, on " << Utf8FromWide(m_recovery.Current())
                              << (m_recovery.OnStandIn() ? " (the default device, until its own returns)" : "");
        Send(*m_shared, SourceEvent(StatusEvent::Back, m_setup.source));
    }

    // The device the source keeps to, as the system has it now: by its id,
    // else by its name (a device that returns may come back under a new id).
    std::wstring WantedDevice() const {
        if (m_setup.followsDefault) return std::wstring();
        if (IsDeviceActive(m_enumerator, m_wantedId)) return m_wantedId;
        if (m_wantedName.empty()) return std::wstring();
        for (const AudioEndpointInfo& endpoint : CaptureEndpoints())
            if (endpoint.name == m_wantedName) return endpoint.id;
        return std::wstring();
    }

    std::wstring NameOf(const std::wstring& device) const {
        for (const AudioEndpointInfo& endpoint : CaptureEndpoints())
            if (endpoint.id == device) return endpoint.name;
        return std::wstring();
    }

    void Reopen(int64_t now) {
        const bool wasLost = m_recovery.IsLost();
        const bool toDefault = m_recovery.MovingToDefault();
        const std::wstring wanted = WantedDevice();
        const std::wstring fallback = DefaultDeviceId(m_enumerator, m_setup.loopback ? eRender : eCapture);
        std::string error;
        for (const std::wstring& device : m_recovery.Candidates(wanted, fallback)) {
            SessionFormat format;
            std::unique_ptr<CaptureSession> session =
                OpenCaptureSession(m_enumerator, device, m_setup.loopback, &m_format, format, error);
            if (!session) continue;
            const bool isWanted = m_setup.followsDefault || toDefault || device == wanted || device == m_wantedId;
            if (isWanted && !m_setup.followsDefault) {
                m_wantedId = device;
                if (toDefault) m_wantedName = NameOf(device);
            }
            m_session = std::move(session);
            m_recovery.Opened(device, isWanted, now);
            m_lastPacketMs = now;
            m_delivering = false;
            if (!wasLost) {
                TAVRIX_LOG(LevelInfo) << m_shared->label << ": moved to "
                                      << (toDefault ? "the new default device " : "its own device again ")
                                      << Utf8FromWide(device);
            }
            // A microphone is back once its sound comes again; a device
            // that delivers nothing while silent is back once it opened.
            if (wasLost && !m_setup.deliversSilence) Back();
            return;
        }
        if (!error.empty() && wasLost && m_failuresLogged++ == 0) {
            TAVRIX_LOG(LevelDebug) << m_shared->label << ": not back yet: " << error;
        }
        m_recovery.Failed(now);
    }

    // Feeds the segment's core; false once the source is to stop.
    bool Pump() {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        if (m_shared->stop) return false;
        if (!m_shared->timeline) return true;
        const uint32_t rate = m_shared->input.rate;
        const int64_t now = FramesInSpan(AudioClockNow() - m_shared->start, rate);
        if (m_shared->finishing)
            m_shared->timeline->FillToNow(FramesInSpan(m_shared->end - m_shared->start, rate));
        else
            m_shared->timeline->FillTo(now);
        const bool empty = m_shared->pipe.Pump(*m_shared->timeline);
        if (m_shared->finishing && empty && !m_shared->drained) {
            m_shared->drained = true;
            m_shared->changed.notify_all();
        }
        return true;
    }

    std::shared_ptr<AudioSource::Shared> m_shared;
    const AudioSourceSetup m_setup;
    IMMDeviceEnumerator* m_enumerator = nullptr;
    std::unique_ptr<CaptureSession> m_session;
    SessionFormat m_format;
    SourceRecovery m_recovery;
    std::wstring m_wantedId;
    std::wstring m_wantedName;
    int64_t m_lastPacketMs = 0;
    bool m_delivering = false;  // the session has delivered since it opened
    bool m_lostReported = false;
    int m_failuresLogged = 0;
};

void RunSource(const std::shared_ptr<AudioSource::Shared>& shared) {
    const ScopedCom com;
    SourceRun(shared).Run();
}

}  // namespace

AudioSource::AudioSource() : m_shared(std::make_shared<Shared>()) {}

AudioSource::~AudioSource() {
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stop = true;
    }
    if (m_shared->wake) SetEvent(m_shared->wake.get());
    if (m_shared->thread.joinable()) m_shared->thread.join();
    m_shared->pipe.Close();
}

bool AudioSource::Open(const AudioSourceSetup& setup, const std::wstring& pipePath, StatusChannel* status,
                       std::wstring& error) {
    m_shared->setup = setup;
    m_shared->label = SoundSourceName(setup.source);
    m_shared->status = status;
    m_shared->input.pipePath = pipePath;
    m_shared->wake.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    m_shared->thread = std::thread(RunSource, m_shared);
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->changed.wait(lock, [this] { return m_shared->opened || m_shared->failed; });
    error = m_shared->error;
    return m_shared->opened;
}

const PipedAudio& AudioSource::Input() const { return m_shared->input; }

bool AudioSource::OpenPipe() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->timeline.reset();
    m_shared->pipe.ResetCount();
    if (m_shared->pipe.Create(m_shared->input.pipePath)) return true;
    TAVRIX_LOG(LevelError) << m_shared->label << ": cannot make the pipe "
                           << Utf8FromWide(m_shared->input.pipePath) << ", error " << GetLastError();
    return false;
}

void AudioSource::BeginSegment(int64_t start) {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    const uint32_t rate = m_shared->input.rate;
    m_shared->start = start;
    m_shared->finishing = false;
    m_shared->drained = false;
    m_shared->timeline = std::make_unique<PcmTimeline>(m_shared->frameBytes, rate * kToleranceMs / 1000,
                                                       rate * kLagMs / 1000);
    // What was captured since the segment's start, before it was asked for.
    for (const HistoryPacket& packet : m_shared->history)
        m_shared->timeline->AddPacket(FramesInSpan(packet.time - start, rate),
                                      packet.bytes.empty() ? nullptr : packet.bytes.data(), packet.frames);
}

void AudioSource::FinishSegment(int64_t end, DWORD waitMs) {
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    if (!m_shared->timeline) return;
    m_shared->finishing = true;
    m_shared->end = end;
    SetEvent(m_shared->wake.get());
    m_shared->changed.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return m_shared->drained; });
}

void AudioSource::CloseSegment() {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (m_shared->timeline) {
        const PcmTimeline& t = *m_shared->timeline;
        const uint32_t rate = m_shared->input.rate;
        TAVRIX_LOG(LevelDebug) << m_shared->label << ": " << t.Frames() * 1000 / rate << " ms given ("
                               << t.SilentFrames() * 1000 / rate << " ms of it silence filled by the clock, "
                               << t.DroppedFrames() * 1000 / rate << " ms dropped), "
                               << m_shared->pipe.BytesWritten() << " bytes through the pipe, opened by the core "
                               << (m_shared->pipe.ConnectedAt() - m_shared->start) / 10000 << " ms after the segment's sound began";
    }
    m_shared->pipe.Close();
    m_shared->timeline.reset();
}

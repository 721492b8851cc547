#include "encoder/audio_source_win.h"

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "encoder/audio_clock_win.h"
#include "encoder/audio_endpoints_win.h"
#include "encoder/audio_timeline.h"
#include "encoder/pcm_pipe_win.h"
#include "support/com_win.h"
#include "support/log.h"
#include "support/unique_win.h"
#include "support/utf8.h"

namespace {

constexpr REFERENCE_TIME kBufferSpan = 10000000;  // 1 s of samples held by the system between two reads
constexpr DWORD kPollMs = 10;
constexpr int64_t kHistorySpan = 30000000;         // 3 s kept for a segment that starts in the past
constexpr int64_t kToleranceMs = 20;               // jitter absorbed by joining packets end to end
constexpr int64_t kLagMs = 500;                    // silence filled when nothing came for this long

std::string HexResult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// The raw format the core is told, from the endpoint's shared-mode format.
bool DescribeFormat(const WAVEFORMATEX& format, PipedAudio& audio, uint32_t& frameBytes) {
    bool isFloat = format.wFormatTag == WAVE_FORMAT_IEEE_FLOAT;
    uint32_t bits = format.wBitsPerSample;
    if (format.wFormatTag == WAVE_FORMAT_EXTENSIBLE && format.cbSize >= 22) {
        const auto& extensible = reinterpret_cast<const WAVEFORMATEXTENSIBLE&>(format);
        // The sub-format's first field is the plain format tag: 1 integer, 3 float.
        isFloat = extensible.SubFormat.Data1 == WAVE_FORMAT_IEEE_FLOAT;
        if (extensible.SubFormat.Data1 != WAVE_FORMAT_PCM && !isFloat) return false;
        if (extensible.Samples.wValidBitsPerSample != 0 && bits == 32 && !isFloat &&
            extensible.Samples.wValidBitsPerSample != 32)
            bits = 32;  // 24 valid bits in a 32-bit container: read as 32-bit integers
    } else if (format.wFormatTag != WAVE_FORMAT_PCM && !isFloat) {
        return false;
    }
    audio.sampleFormat = RawSampleFormat(isFloat, bits);
    audio.rate = format.nSamplesPerSec;
    audio.channels = format.nChannels;
    frameBytes = format.nBlockAlign;
    return !audio.sampleFormat.empty() && audio.rate > 0 && audio.channels > 0 &&
           frameBytes == audio.channels * bits / 8;
}

struct HistoryPacket {
    int64_t time = 0;  // the first frame's time on the adapter's clock
    size_t frames = 0;
    std::vector<uint8_t> bytes;  // empty: silent
};

}  // namespace

struct AudioSource::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    AudioSourceSetup setup;
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

// Opens the endpoint's audio session for capture; the error says why not.
bool OpenSession(const AudioSourceSetup& setup, ComPtr<IAudioClient>& client, ComPtr<IAudioCaptureClient>& capture,
                 PipedAudio& input, uint32_t& frameBytes, std::wstring& error) {
    ComPtr<IMMDeviceEnumerator> enumerator;
    HRESULT hr = CreateDeviceEnumerator(enumerator);
    if (FAILED(hr)) {
        error = L"no audio sessions";
        return false;
    }
    ComPtr<IMMDevice> device;
    if (!setup.endpointId.empty())
        hr = enumerator->GetDevice(setup.endpointId.c_str(), device.put());
    else
        hr = enumerator->GetDefaultAudioEndpoint(setup.loopback ? eRender : eCapture, eConsole, device.put());
    if (FAILED(hr)) {
        error = L"no such endpoint";
        return false;
    }
    hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.putVoid());
    CoTaskMem<WAVEFORMATEX> format;
    if (SUCCEEDED(hr)) hr = client->GetMixFormat(format.put());
    if (FAILED(hr)) {
        error = L"the endpoint gives no format";
        return false;
    }
    const bool described = DescribeFormat(*format, input, frameBytes);
    if (described)
        hr = client->Initialize(AUDCLNT_SHAREMODE_SHARED, setup.loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0, kBufferSpan, 0,
                                format.get(), nullptr);
    if (!described) {
        error = L"the endpoint's sample format is not one the core reads";
        return false;
    }
    if (SUCCEEDED(hr)) hr = client->GetService(__uuidof(IAudioCaptureClient), capture.putVoid());
    if (SUCCEEDED(hr)) hr = client->Start();
    if (FAILED(hr)) {
        // A sound system that cannot record its playback device fails here
        // with AUDCLNT_E_WRONG_ENDPOINT_TYPE (0x88890003).
        const std::string code = HexResult(hr);
        error = L"the endpoint cannot be captured (" + std::wstring(code.begin(), code.end()) + L")";
        return false;
    }
    return true;
}

void ReadPackets(AudioSource::Shared& shared, IAudioCaptureClient* capture) {
    const uint32_t rate = shared.input.rate;
    for (;;) {
        UINT32 next = 0;
        if (FAILED(capture->GetNextPacketSize(&next)) || next == 0) return;
        BYTE* data = nullptr;
        UINT32 frames = 0;
        DWORD flags = 0;
        UINT64 position = 0, time = 0;
        if (FAILED(capture->GetBuffer(&data, &frames, &flags, &position, &time))) return;
        HistoryPacket packet;
        packet.frames = frames;
        if ((flags & AUDCLNT_BUFFERFLAGS_TIMESTAMP_ERROR) || time == 0)
            packet.time = AudioClockNow() - static_cast<int64_t>(frames) * 10000000 / rate;
        else
            packet.time = static_cast<int64_t>(time);
        if (!(flags & AUDCLNT_BUFFERFLAGS_SILENT) && data)
            packet.bytes.assign(data, data + static_cast<size_t>(frames) * shared.frameBytes);
        capture->ReleaseBuffer(frames);

        std::lock_guard<std::mutex> lock(shared.mutex);
        if (shared.timeline)
            shared.timeline->AddPacket(FramesInSpan(packet.time - shared.start, rate),
                                       packet.bytes.empty() ? nullptr : packet.bytes.data(), packet.frames);
        shared.history.push_back(std::move(packet));
        while (!shared.history.empty() && shared.history.front().time < shared.history.back().time - kHistorySpan)
            shared.history.pop_front();
    }
}

void RunSource(const std::shared_ptr<AudioSource::Shared>& shared) {
    const ScopedCom com;
    {
        ComPtr<IAudioClient> client;
        ComPtr<IAudioCaptureClient> capture;
        std::wstring error;
        PipedAudio input = shared->input;
        uint32_t frameBytes = 0;
        const bool opened = OpenSession(shared->setup, client, capture, input, frameBytes, error);
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->opened = opened;
            shared->failed = !opened;
            shared->error = error;
            shared->input = input;
            shared->frameBytes = frameBytes;
        }
        shared->changed.notify_all();
        if (opened) {
            for (;;) {
                WaitForSingleObject(shared->wake.get(), kPollMs);
                ReadPackets(*shared, capture.get());
                std::lock_guard<std::mutex> lock(shared->mutex);
                if (shared->stop) break;
                if (!shared->timeline) continue;
                const int64_t now = FramesInSpan(AudioClockNow() - shared->start, input.rate);
                if (shared->finishing)
                    shared->timeline->FillToNow(FramesInSpan(shared->end - shared->start, input.rate));
                else
                    shared->timeline->FillTo(now);
                const bool empty = shared->pipe.Pump(*shared->timeline);
                if (shared->finishing && empty && !shared->drained) {
                    shared->drained = true;
                    shared->changed.notify_all();
                }
            }
            client->Stop();
        }
    }
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

bool AudioSource::Open(const AudioSourceSetup& setup, const std::wstring& pipePath, std::wstring& error) {
    m_shared->setup = setup;
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
    TAVRIX_LOG(LevelError) << Utf8FromWide(m_shared->setup.label) << ": cannot make the pipe "
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
        TAVRIX_LOG(LevelDebug) << Utf8FromWide(m_shared->setup.label) << ": " << t.Frames() * 1000 / rate << " ms given ("
                               << t.SilentFrames() * 1000 / rate << " ms of it silence filled by the clock, "
                               << t.DroppedFrames() * 1000 / rate << " ms dropped), "
                               << m_shared->pipe.BytesWritten() << " bytes through the pipe, opened by the core "
                               << (m_shared->pipe.ConnectedAt() - m_shared->start) / 10000 << " ms after the segment's sound began";
    }
    m_shared->pipe.Close();
    m_shared->timeline.reset();
}

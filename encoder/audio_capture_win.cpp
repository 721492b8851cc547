#include "encoder/audio_capture_win.h"

#include <audioclient.h>
#include <mmdeviceapi.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "support/device_ids_win.h"
#include "encoder/audio_timeline.h"
#include "encoder/session.h"
#include "support/log.h"
#include "support/com_win.h"
#include "support/unique_win.h"

namespace {

// {A45C254E-DF1C-4EFD-8020-67D146A850E0}, 14: the endpoint's friendly name.
const PROPERTYKEY kFriendlyName = {{0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};

constexpr REFERENCE_TIME kBufferSpan = 10000000;  // 1 s of samples held by the system between two reads
constexpr DWORD kPollMs = 10;
constexpr int64_t kHistorySpan = 30000000;         // 3 s kept for a segment that starts in the past
constexpr int64_t kToleranceMs = 20;               // jitter absorbed by joining packets end to end
constexpr int64_t kLagMs = 500;                    // silence filled when nothing came for this long
constexpr size_t kWriteChunk = 65536;

std::string Narrow(const std::wstring& text) { return Utf8FromWide(text); }

std::string HexResult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

HRESULT CreateEnumerator(ComPtr<IMMDeviceEnumerator>& enumerator) {
    return CoCreateInstance(kMMDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IMMDeviceEnumerator),
                            enumerator.putVoid());
}

std::wstring EndpointName(IMMDevice* device) {
    ComPtr<IPropertyStore> store;
    if (FAILED(device->OpenPropertyStore(STGM_READ, store.put()))) return std::wstring();
    ScopedPropVariant value;
    if (FAILED(store->GetValue(kFriendlyName, value.put()))) return std::wstring();
    return value.Text().value_or(std::wstring());
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

// The outbound end of one segment's pipe, written without blocking: the
// capture thread must go on reading its device while the core is busy.
class PcmPipe {
public:
    bool Create(const std::wstring& path) {
        Close();
        m_event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        m_pipe.reset(CreateNamedPipeW(path.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED,
                                      PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 20, 0, 0, nullptr));
        if (!m_event || !m_pipe) return false;
        m_overlapped = OVERLAPPED();
        m_overlapped.hEvent = m_event.get();
        m_connectedAt = 0;
        if (ConnectNamedPipe(m_pipe.get(), &m_overlapped)) {
            m_state = State::Connected;
        } else {
            const DWORD error = GetLastError();
            m_state = error == ERROR_PIPE_CONNECTED ? State::Connected
                      : error == ERROR_IO_PENDING   ? State::Connecting
                                                    : State::Broken;
        }
        return m_state != State::Broken;
    }

    // Moves what it can of `timeline`'s bytes on; true while nothing is left to write.
    bool Pump(PcmTimeline& timeline) {
        if (m_state == State::Connecting) {
            if (!HasOverlappedIoCompleted(&m_overlapped)) return timeline.PendingBytes() == 0;
            DWORD ignored = 0;
            m_state = GetOverlappedResult(m_pipe.get(), &m_overlapped, &ignored, FALSE) ? State::Connected
                                                                                        : State::Broken;
            m_connectedAt = AudioClockNow();
        }
        if (m_state == State::Writing) {
            if (!HasOverlappedIoCompleted(&m_overlapped)) return false;
            DWORD written = 0;
            if (!GetOverlappedResult(m_pipe.get(), &m_overlapped, &written, FALSE)) {
                m_state = State::Broken;
            } else {
                m_state = State::Connected;
                m_written += written;
            }
        }
        if (m_state == State::Broken) {
            timeline.Consume(timeline.PendingBytes());  // the core is gone: nobody reads
            return true;
        }
        while (m_state == State::Connected && timeline.PendingBytes() > 0) {
            const size_t size = std::min(timeline.PendingBytes(), kWriteChunk);
            m_buffer.assign(timeline.Pending(), timeline.Pending() + size);
            timeline.Consume(size);
            m_overlapped = OVERLAPPED();
            m_overlapped.hEvent = m_event.get();
            DWORD written = 0;
            if (WriteFile(m_pipe.get(), m_buffer.data(), static_cast<DWORD>(size), &written, &m_overlapped)) {
                m_written += written;
            } else if (GetLastError() == ERROR_IO_PENDING) {
                m_state = State::Writing;
            } else {
                m_state = State::Broken;
            }
        }
        return m_state != State::Writing && timeline.PendingBytes() == 0;
    }

    // The pending connect or write may have been issued by another thread,
    // which CancelIo does not reach: closing the pipe ends it, and its
    // completion is awaited before the buffer and the OVERLAPPED are reused.
    void Close() {
        const bool pending = m_pipe && (m_state == State::Connecting || m_state == State::Writing);
        if (pending) CancelIo(m_pipe.get());
        m_pipe.reset();
        if (pending) WaitForSingleObject(m_event.get(), 1000);
        m_state = State::Closed;
    }

    bool Connected() const { return m_state == State::Connected || m_state == State::Writing; }
    // When the core opened the pipe (the adapter's clock); 0: not seen.
    int64_t ConnectedAt() const { return m_connectedAt; }
    uint64_t BytesWritten() const { return m_written; }
    void ResetCount() { m_written = 0; }

private:
    enum class State { Closed, Connecting, Connected, Writing, Broken };
    UniqueFile m_pipe;
    UniqueHandle m_event;
    OVERLAPPED m_overlapped = {};
    State m_state = State::Closed;
    std::vector<uint8_t> m_buffer;
    uint64_t m_written = 0;
    int64_t m_connectedAt = 0;
};

struct HistoryPacket {
    int64_t time = 0;  // the first frame's time on the adapter's clock
    size_t frames = 0;
    std::vector<uint8_t> bytes;  // empty: silent
};

}  // namespace

int64_t AudioClockNow() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    const int64_t seconds = counter.QuadPart / frequency.QuadPart;
    const int64_t rest = counter.QuadPart % frequency.QuadPart;
    return seconds * 10000000 + rest * 10000000 / frequency.QuadPart;
}

int64_t AudioClockAtSystemTime(int64_t unixMicroseconds) {
    // The precise wall clock where the system has one (Windows 8 on), else
    // the one the system ticks every few milliseconds.
    using PreciseTime = void(WINAPI*)(LPFILETIME);
    static const PreciseTime precise = SystemFunction<PreciseTime>(L"kernel32.dll", "GetSystemTimePreciseAsFileTime");
    constexpr int64_t kUnixEpoch = 116444736000000000;  // 1970-01-01 in 100 ns units since 1601
    FILETIME now = {};
    const int64_t before = AudioClockNow();
    if (precise) precise(&now);
    else GetSystemTimeAsFileTime(&now);
    const int64_t after = AudioClockNow();
    const int64_t wall = static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return before + (after - before) / 2 - (wall - kUnixEpoch - unixMicroseconds * 10);
}

std::vector<AudioEndpointInfo> CaptureEndpoints() {
    std::vector<AudioEndpointInfo> endpoints;
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(CreateEnumerator(enumerator))) return endpoints;
    ComPtr<IMMDeviceCollection> collection;
    if (FAILED(enumerator->EnumAudioEndpoints(eCapture, DEVICE_STATE_ACTIVE, collection.put()))) return endpoints;
    UINT count = 0;
    collection->GetCount(&count);
    for (UINT i = 0; i < count; ++i) {
        ComPtr<IMMDevice> device;
        if (FAILED(collection->Item(i, device.put()))) continue;
        CoTaskMem<wchar_t> id;
        if (FAILED(device->GetId(id.put())) || !id) continue;
        endpoints.push_back({id.get(), EndpointName(device.get())});
    }
    return endpoints;
}

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
    HRESULT hr = CreateEnumerator(enumerator);
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
    TAVRIX_LOG(LevelError) << Narrow(m_shared->setup.label) << ": cannot make the pipe "
                           << Narrow(m_shared->input.pipePath) << ", error " << GetLastError();
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
        TAVRIX_LOG(LevelDebug) << Narrow(m_shared->setup.label) << ": " << t.Frames() * 1000 / rate << " ms given ("
                               << t.SilentFrames() * 1000 / rate << " ms of it silence filled by the clock, "
                               << t.DroppedFrames() * 1000 / rate << " ms dropped), "
                               << m_shared->pipe.BytesWritten() << " bytes through the pipe, opened by the core "
                               << (m_shared->pipe.ConnectedAt() - m_shared->start) / 10000 << " ms after the segment's sound began";
    }
    m_shared->pipe.Close();
    m_shared->timeline.reset();
}

void AudioCapture::Open(const EncoderRequest& request, CaptureDevices& devices, std::vector<std::wstring>& notes) {
    std::vector<AudioEndpointInfo> endpoints;
    {
        const ScopedCom com;
        {
            ComPtr<IMMDeviceEnumerator> probe;
            devices.audioSessions = SUCCEEDED(CreateEnumerator(probe));
        }
        if (devices.audioSessions) endpoints = CaptureEndpoints();
    }
    std::vector<std::wstring> names;
    std::string listed;
    for (const AudioEndpointInfo& endpoint : endpoints) {
        names.push_back(endpoint.name);
        listed += " \"" + Narrow(endpoint.name) + "\"";
    }
    if (devices.audioSessions && (request.speaker || !request.microphone.empty())) {
        TAVRIX_LOG(LevelDebug) << "capture endpoints:" << (listed.empty() ? " none" : listed);
    }
    if (!devices.audioSessions) return;

    const std::wstring pipeStem = L"\\\\.\\pipe\\tavrix-audio-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    auto open = [this, &notes](const AudioSourceSetup& setup, const std::wstring& pipe) -> const PipedAudio* {
        auto source = std::make_unique<AudioSource>();
        std::wstring error;
        if (!source->Open(setup, pipe, error)) {
            notes.push_back(setup.label + L": cannot be captured: " + error);
            return nullptr;
        }
        const PipedAudio& input = source->Input();
        notes.push_back(setup.label + L": captured by the adapter: " + input.sampleFormat + L", " +
                        std::to_wstring(input.rate) + L" Hz, " + std::to_wstring(input.channels) + L" channels");
        m_sources.push_back(std::move(source));
        return &m_sources.back()->Input();
    };

    if (request.speaker && !devices.speakerFilter) {
        AudioSourceSetup setup;
        setup.label = L"speakers";
        setup.loopback = true;
        wchar_t chosen[256];
        const DWORD length = GetEnvironmentVariableW(L"TAVRIX_SPEAKER_ENDPOINT", chosen, 256);
        bool usable = true;
        if (length > 0 && length < 256) {
            const int index = MatchEndpointName(chosen, names);
            if (index < 0) {
                notes.push_back(L"no capture endpoint is named \"" + std::wstring(chosen) + L"\"");
                usable = false;
            } else {
                setup.endpointId = endpoints[static_cast<size_t>(index)].id;
                setup.loopback = false;
                notes.push_back(L"the speakers' sound is taken from the capture endpoint \"" + names[static_cast<size_t>(index)] + L"\"");
            }
        }
        const PipedAudio* input = usable ? open(setup, pipeStem + L"speakers") : nullptr;
        if (input) devices.speakerCapture = *input;
    }
    if (!request.microphone.empty()) {
        AudioSourceSetup setup;
        setup.label = L"microphone";
        const int index = MatchEndpointName(request.microphone, names);
        if (index >= 0) {
            setup.endpointId = endpoints[static_cast<size_t>(index)].id;
            notes.push_back(L"the microphone \"" + request.microphone + L"\" is the capture endpoint \"" +
                            names[static_cast<size_t>(index)] + L"\"");
        } else {
            notes.push_back(L"no capture endpoint is named like the microphone \"" + request.microphone +
                            L"\": the default capture endpoint is recorded");
        }
        if (const PipedAudio* input = open(setup, pipeStem + L"microphone")) devices.microphoneCapture = *input;
    }
}

void AudioCapture::OpenPipes() {
    for (auto& source : m_sources) source->OpenPipe();
}

void AudioCapture::BeginSegment(int64_t start) {
    for (auto& source : m_sources) source->BeginSegment(start);
}

void AudioCapture::FinishSegment(int64_t end) {
    // Every source gets the same end; together they wait at most about a quarter second.
    for (auto& source : m_sources) source->FinishSegment(end, 250);
}

void AudioCapture::CloseSegment() {
    for (auto& source : m_sources) source->CloseSegment();
}

bool SpeakerLoopbackWorks() {
    const ScopedCom com;
    bool works = false;
    {
        AudioSourceSetup setup;
        setup.loopback = true;
        ComPtr<IAudioClient> client;
        ComPtr<IAudioCaptureClient> capture;
        PipedAudio input;
        uint32_t frameBytes = 0;
        std::wstring error;
        works = OpenSession(setup, client, capture, input, frameBytes, error);
        if (works) client->Stop();
    }
    return works;
}

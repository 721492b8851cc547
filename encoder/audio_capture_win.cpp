#include "encoder/audio_capture_win.h"

#include <windows.h>

#include <optional>

#include "encoder/audio_endpoints_win.h"
#include "encoder/audio_timeline.h"
#include "encoder/private_pipe_win.h"
#include "protocol/environment.h"
#include "support/log.h"
#include "support/text_win.h"
#include "support/unique_win.h"
#include "support/utf8.h"

namespace {

// Whether the system has audio sessions, and its capture endpoints then,
// listed in the log when the request wants sound.
std::vector<AudioEndpointInfo> FindEndpoints(const EncoderRequest& request, bool& audioSessions) {
    std::vector<AudioEndpointInfo> endpoints;
    {
        const ScopedCom com;
        {
            ComPtr<IMMDeviceEnumerator> probe;
            audioSessions = SUCCEEDED(CreateDeviceEnumerator(probe));
        }
        if (audioSessions) endpoints = CaptureEndpoints();
    }
    std::string listed;
    for (const AudioEndpointInfo& endpoint : endpoints) listed += " \"" + Utf8FromWide(endpoint.name) + "\"";
    if (audioSessions && (request.speaker || !request.microphone.empty())) {
        TAVRIX_LOG(LevelDebug) << "capture endpoints:" << (listed.empty() ? " none" : listed);
    }
    return endpoints;
}

std::vector<std::wstring> NamesOf(const std::vector<AudioEndpointInfo>& endpoints) {
    std::vector<std::wstring> names;
    for (const AudioEndpointInfo& endpoint : endpoints) names.push_back(endpoint.name);
    return names;
}

// The speakers: the playback device in loopback, or the capture endpoint
// the environment names in its place. Nothing when it names none there is.
std::optional<AudioSourceSetup> SpeakerSetup(const std::vector<AudioEndpointInfo>& endpoints,
                                             std::vector<std::wstring>& notes) {
    AudioSourceSetup setup;
    setup.source = SoundSource::Speakers;
    setup.loopback = true;
    setup.deliversSilence = false;
    wchar_t chosen[256];
    const DWORD length = GetEnvironmentVariableW(kSpeakerEndpointVariable, chosen, 256);
    if (length == 0 || length >= 256) return setup;
    const std::vector<std::wstring> names = NamesOf(endpoints);
    const int index = MatchEndpointName(chosen, names);
    if (index < 0) {
        notes.push_back(L"no capture endpoint is named \"" + std::wstring(chosen) + L"\"");
        return std::nullopt;
    }
    // A stand-in named by the environment keeps to that endpoint: a new
    // default microphone is no playback device.
    setup.endpointId = endpoints[static_cast<size_t>(index)].id;
    setup.endpointName = names[static_cast<size_t>(index)];
    setup.loopback = false;
    setup.followsDefault = false;
    setup.movesWithDefault = false;
    notes.push_back(L"the speakers' sound is taken from the capture endpoint \"" + names[static_cast<size_t>(index)] + L"\"");
    return setup;
}

// The microphone: the capture endpoint its name means, else the default one.
AudioSourceSetup MicrophoneSetup(const std::wstring& microphone, const std::vector<AudioEndpointInfo>& endpoints,
                                 std::vector<std::wstring>& notes) {
    // The microphone named keeps to its endpoint while that one works and
    // goes back to it when it returns; a new default microphone (a USB
    // headset plugged in) becomes its endpoint. Without a name to match,
    // the default is recorded, whichever that is.
    AudioSourceSetup setup;
    setup.source = SoundSource::Microphone;
    const std::vector<std::wstring> names = NamesOf(endpoints);
    const int index = MatchEndpointName(microphone, names);
    if (index >= 0) {
        setup.endpointId = endpoints[static_cast<size_t>(index)].id;
        setup.endpointName = names[static_cast<size_t>(index)];
        setup.followsDefault = false;
        notes.push_back(L"the microphone \"" + microphone + L"\" is the capture endpoint \"" +
                        names[static_cast<size_t>(index)] + L"\"");
    } else {
        notes.push_back(L"no capture endpoint is named like the microphone \"" + microphone +
                        L"\": the default capture endpoint is recorded");
    }
    return setup;
}

}  // namespace

AudioCapture::AudioCapture() : m_status(GetStdHandle(STD_OUTPUT_HANDLE)) {}

const PipedAudio* AudioCapture::OpenSource(const AudioSourceSetup& setup, std::vector<std::wstring>& notes) {
    auto source = std::make_unique<AudioSource>();
    const std::wstring label = WidenText(SoundSourceName(setup.source), CP_UTF8);
    std::wstring error;
    // The name differs for every recording: the core is told it on its command line.
    if (!source->Open(setup, UnguessablePipeName((L"audio-" + label).c_str()), &m_status, error)) {
        notes.push_back(label + L": cannot be captured: " + error);
        return nullptr;
    }
    const PipedAudio& input = source->Input();
    notes.push_back(label + L": captured by the adapter: " + input.sampleFormat + L", " +
                    std::to_wstring(input.rate) + L" Hz, " + std::to_wstring(input.channels) + L" channels");
    m_sources.push_back(std::move(source));
    return &m_sources.back()->Input();
}

void AudioCapture::Report(SoundSource source, bool opened, const std::wstring& reason) {
    m_status.Send(opened ? SourceEvent(StatusEvent::Opened, source)
                         : SourceEvent(StatusEvent::Failed, source, Utf8FromWide(reason)));
}

void AudioCapture::Open(const EncoderRequest& request, CaptureDevices& devices, std::vector<std::wstring>& notes) {
    const std::vector<AudioEndpointInfo> endpoints = FindEndpoints(request, devices.audioSessions);
    if (request.speaker) {
        // The speaker filter is the core's to open; the adapter sees none of its sound.
        if (devices.speakerFilter) {
            Report(SoundSource::Speakers, true);
        } else if (!devices.audioSessions) {
            Report(SoundSource::Speakers, false, L"no speaker filter and no audio sessions");
        } else {
            const size_t before = notes.size();
            const std::optional<AudioSourceSetup> setup = SpeakerSetup(endpoints, notes);
            const PipedAudio* input = setup ? OpenSource(*setup, notes) : nullptr;
            if (input) devices.speakerCapture = *input;
            else if (!setup) Report(SoundSource::Speakers, false, notes.size() > before ? notes.back() : std::wstring());
        }
    }
    if (!request.microphone.empty()) {
        if (!devices.audioSessions) {
            Report(SoundSource::Microphone, true);  // through DirectShow, by the core
        } else {
            const AudioSourceSetup setup = MicrophoneSetup(request.microphone, endpoints, notes);
            if (const PipedAudio* input = OpenSource(setup, notes)) devices.microphoneCapture = *input;
        }
    }
    if (request.speaker || !request.microphone.empty()) m_status.Send(ReadyLine());
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

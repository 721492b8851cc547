#include "encoder/audio_capture_win.h"

#include <windows.h>

#include <optional>

#include "encoder/audio_endpoints_win.h"
#include "encoder/audio_timeline.h"
#include "protocol/environment.h"
#include "support/log.h"
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
    setup.label = L"speakers";
    setup.loopback = true;
    wchar_t chosen[256];
    const DWORD length = GetEnvironmentVariableW(kSpeakerEndpointVariable, chosen, 256);
    if (length == 0 || length >= 256) return setup;
    const std::vector<std::wstring> names = NamesOf(endpoints);
    const int index = MatchEndpointName(chosen, names);
    if (index < 0) {
        notes.push_back(L"no capture endpoint is named \"" + std::wstring(chosen) + L"\"");
        return std::nullopt;
    }
    setup.endpointId = endpoints[static_cast<size_t>(index)].id;
    setup.loopback = false;
    notes.push_back(L"the speakers' sound is taken from the capture endpoint \"" + names[static_cast<size_t>(index)] + L"\"");
    return setup;
}

// The microphone: the capture endpoint its name means, else the default one.
AudioSourceSetup MicrophoneSetup(const std::wstring& microphone, const std::vector<AudioEndpointInfo>& endpoints,
                                 std::vector<std::wstring>& notes) {
    AudioSourceSetup setup;
    setup.label = L"microphone";
    const std::vector<std::wstring> names = NamesOf(endpoints);
    const int index = MatchEndpointName(microphone, names);
    if (index >= 0) {
        setup.endpointId = endpoints[static_cast<size_t>(index)].id;
        notes.push_back(L"the microphone \"" + microphone + L"\" is the capture endpoint \"" +
                        names[static_cast<size_t>(index)] + L"\"");
    } else {
        notes.push_back(L"no capture endpoint is named like the microphone \"" + microphone +
                        L"\": the default capture endpoint is recorded");
    }
    return setup;
}

}  // namespace

const PipedAudio* AudioCapture::OpenSource(const AudioSourceSetup& setup, const std::wstring& pipe,
                                           std::vector<std::wstring>& notes) {
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
}

void AudioCapture::Open(const EncoderRequest& request, CaptureDevices& devices, std::vector<std::wstring>& notes) {
    const std::vector<AudioEndpointInfo> endpoints = FindEndpoints(request, devices.audioSessions);
    if (!devices.audioSessions) return;

    const std::wstring pipeStem = L"\\\\.\\pipe\\tavrix-audio-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    if (request.speaker && !devices.speakerFilter) {
        const std::optional<AudioSourceSetup> setup = SpeakerSetup(endpoints, notes);
        const PipedAudio* input = setup ? OpenSource(*setup, pipeStem + L"speakers", notes) : nullptr;
        if (input) devices.speakerCapture = *input;
    }
    if (!request.microphone.empty()) {
        const AudioSourceSetup setup = MicrophoneSetup(request.microphone, endpoints, notes);
        if (const PipedAudio* input = OpenSource(setup, pipeStem + L"microphone", notes))
            devices.microphoneCapture = *input;
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

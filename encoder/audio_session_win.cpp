#include "encoder/audio_session_win.h"

#include <cstdio>

#include "encoder/audio_timeline.h"
#include "support/com_win.h"

namespace {

constexpr REFERENCE_TIME kBufferSpan = 10000000;  // 1 s of samples held by the system between two reads

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

}  // namespace

CaptureSession::~CaptureSession() {
    if (client) client->Stop();
}

std::string HexResult(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

namespace {

// Opened again: the core reads the format it was told at the start,
// whatever the device's own; the system converts where it can.
HRESULT InitializeToFormat(IMMDevice* device, CaptureSession& session, DWORD flags, const SessionFormat& format) {
    const auto* wanted = reinterpret_cast<const WAVEFORMATEX*>(format.bytes.data());
    HRESULT hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, session.client.putVoid());
    if (SUCCEEDED(hr))
        hr = session.client->Initialize(AUDCLNT_SHAREMODE_SHARED,
                                        flags | AUDCLNT_STREAMFLAGS_AUTOCONVERTPCM | AUDCLNT_STREAMFLAGS_SRC_DEFAULT_QUALITY,
                                        kBufferSpan, 0, wanted, nullptr);
    if (SUCCEEDED(hr)) return hr;
    // A system without conversion takes the format only when it is the device's own.
    hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, session.client.putVoid());
    if (SUCCEEDED(hr)) hr = session.client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kBufferSpan, 0, wanted, nullptr);
    return hr;
}

// Opened first: in the device's own mix format, which `opened` describes.
HRESULT InitializeToMixFormat(IMMDevice* device, CaptureSession& session, DWORD flags, SessionFormat& opened,
                              std::string& error) {
    HRESULT hr = device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, session.client.putVoid());
    CoTaskMem<WAVEFORMATEX> mix;
    if (SUCCEEDED(hr)) hr = session.client->GetMixFormat(mix.put());
    if (FAILED(hr)) {
        error = "the endpoint gives no format";
        return hr;
    }
    if (!DescribeFormat(*mix, opened.input, opened.frameBytes)) {
        error = "the endpoint's sample format is not one the core reads";
        return E_FAIL;
    }
    const auto* raw = reinterpret_cast<const uint8_t*>(mix.get());
    opened.bytes.assign(raw, raw + sizeof(WAVEFORMATEX) + mix->cbSize);
    return session.client->Initialize(AUDCLNT_SHAREMODE_SHARED, flags, kBufferSpan, 0, mix.get(), nullptr);
}

}  // namespace

std::unique_ptr<CaptureSession> OpenCaptureSession(IMMDeviceEnumerator* enumerator, const std::wstring& deviceId,
                                                   bool loopback, const SessionFormat* format, SessionFormat& opened,
                                                   std::string& error) {
    auto session = std::make_unique<CaptureSession>();
    ComPtr<IMMDevice> device;
    HRESULT hr = deviceId.empty() ? enumerator->GetDefaultAudioEndpoint(loopback ? eRender : eCapture, eConsole, device.put())
                                  : enumerator->GetDevice(deviceId.c_str(), device.put());
    if (FAILED(hr)) {
        error = "no such endpoint";
        return nullptr;
    }
    CoTaskMem<wchar_t> id;
    if (SUCCEEDED(device->GetId(id.put())) && id) session->deviceId = id.get();
    const DWORD flags = loopback ? AUDCLNT_STREAMFLAGS_LOOPBACK : 0;
    if (format) {
        opened = *format;
        hr = InitializeToFormat(device.get(), *session, flags, *format);
        if (FAILED(hr)) {
            error = "the endpoint does not take the recording's sample format (" + HexResult(hr) + ")";
            return nullptr;
        }
    } else {
        hr = InitializeToMixFormat(device.get(), *session, flags, opened, error);
        if (FAILED(hr) && !error.empty()) return nullptr;
    }
    if (SUCCEEDED(hr)) hr = session->client->GetService(__uuidof(IAudioCaptureClient), session->capture.putVoid());
    if (SUCCEEDED(hr)) hr = session->client->Start();
    if (FAILED(hr)) {
        // A sound system that cannot record its playback device fails here
        // with AUDCLNT_E_WRONG_ENDPOINT_TYPE (0x88890003).
        error = "the endpoint cannot be captured (" + HexResult(hr) + ")";
        session->client.reset();
        return nullptr;
    }
    return session;
}

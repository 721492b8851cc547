// The loopback half of the speaker-sound check, apart from the DirectShow
// half: the audio-session and DirectShow headers cannot share a file.
#include "devices/speaker_sound_win.h"

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>

#include "support/device_ids_win.h"
#include "support/com_win.h"
#include "support/unique_win.h"

// What the encoder does: a shared-mode loopback session on the default
// playback device, and its capture service.
bool PlaybackLoopbackWorks() {
    ComPtr<IMMDeviceEnumerator> enumerator;
    if (FAILED(CoCreateInstance(kMMDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IMMDeviceEnumerator),
                                enumerator.putVoid())))
        return false;
    ComPtr<IMMDevice> device;
    if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.put()))) return false;
    ComPtr<IAudioClient> client;
    if (FAILED(device->Activate(__uuidof(IAudioClient), CLSCTX_ALL, nullptr, client.putVoid()))) return false;
    CoTaskMem<WAVEFORMATEX> format;
    if (FAILED(client->GetMixFormat(format.put()))) return false;
    if (FAILED(client->Initialize(AUDCLNT_SHAREMODE_SHARED, AUDCLNT_STREAMFLAGS_LOOPBACK, 10000000, 0, format.get(),
                                  nullptr)))
        return false;
    // Some sound systems accept the session and refuse its capture service
    // (AUDCLNT_E_WRONG_ENDPOINT_TYPE).
    ComPtr<IAudioCaptureClient> capture;
    return SUCCEEDED(client->GetService(__uuidof(IAudioCaptureClient), capture.putVoid()));
}


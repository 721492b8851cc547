// One audio session open for capture on one endpoint: the system's audio
// client and its capture service, and the raw format the core is told for
// its samples.
#pragma once

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "encoder/encoder_args.h"
#include "support/unique_win.h"

struct CaptureSession {
    ComPtr<IAudioClient> client;
    ComPtr<IAudioCaptureClient> capture;
    std::wstring deviceId;
    ~CaptureSession();
};

// The format a session delivers, kept to open a later session the same way.
struct SessionFormat {
    std::vector<uint8_t> bytes;  // the WAVEFORMATEX with its extension
    PipedAudio input;            // sample format, rate and channels for the core
    uint32_t frameBytes = 0;
};

// Opens `deviceId` (empty: the default device of the role: playback when
// `loopback`, else capture) for capture in shared mode and starts it. With
// `format` the session delivers that format (the system converts where it
// can), else the endpoint's own, which `opened` then describes. Null with
// the reason in `error` when the endpoint cannot be captured.
std::unique_ptr<CaptureSession> OpenCaptureSession(IMMDeviceEnumerator* enumerator, const std::wstring& deviceId,
                                                   bool loopback, const SessionFormat* format, SessionFormat& opened,
                                                   std::string& error);

// "0x88890004" for a log line or a reason.
std::string HexResult(HRESULT hr);

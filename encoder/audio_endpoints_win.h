// The system's audio endpoints as the adapter sees them: the device
// enumerator, and the active capture endpoints with their friendly names.
#pragma once

#include <windows.h>
#include <mmdeviceapi.h>

#include <string>
#include <vector>

#include "support/unique_win.h"

// The system's device enumerator; fails where the system has no audio
// sessions (before Vista). Needs COM on the calling thread.
HRESULT CreateDeviceEnumerator(ComPtr<IMMDeviceEnumerator>& enumerator);

struct AudioEndpointInfo {
    std::wstring id;
    std::wstring name;  // the endpoint's friendly name
};

// The active capture endpoints (microphones, and a monitor of what plays
// where the sound system offers one). Needs COM on the calling thread.
std::vector<AudioEndpointInfo> CaptureEndpoints();

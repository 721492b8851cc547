// The microphone's DirectShow name, from the system's audio input devices.
#pragma once

#include <string>

// The display name of the first audio input device that is a wave-in device,
// or "" when there is none or anything fails. COM must be initialised on the
// calling thread. Enumerates afresh at every call.
std::wstring FindMicrophoneName();

#include "devices/speaker_sound_win.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "protocol/command_line.h"
#include "protocol/environment.h"
#include "support/directshow_win.h"

bool CanRecordSpeakerSound() {
    const std::vector<std::wstring> inputs = DirectShowInputNames(DirectShowCategory::Audio);
    if (std::find(inputs.begin(), inputs.end(), kSpeakerFilterName) != inputs.end()) return true;
    // The encoder records the capture endpoint named here in place of the
    // playback device's loopback (the tests' sound system refuses loopback).
    if (GetEnvironmentVariableW(kSpeakerEndpointVariable, nullptr, 0) > 0) return true;
    return PlaybackLoopbackWorks();
}

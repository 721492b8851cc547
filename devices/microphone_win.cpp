#include "devices/microphone_win.h"

#include <cstdio>

#include "devices/microphone.h"
#include "support/directshow_win.h"

std::wstring FindMicrophoneName() {
    const std::vector<DirectShowInput> inputs = DirectShowInputs(DirectShowCategory::Audio);
    size_t at = 0;
    // The choice reads the name from "Description", and from "FriendlyName"
    // only where there is none; the device path only of a device without a
    // wave-in id (the one passed over, which is reported).
    NextAudioDevice next = [&inputs, &at](AudioDeviceProperties& device) {
        if (at == inputs.size()) return false;
        const DirectShowInput& input = inputs[at++];
        device.description = input.description;
        if (!device.description) device.friendlyName = input.friendlyName;
        device.waveInId = input.waveInId;
        if (!device.waveInId) device.devicePath = input.devicePath;
        return true;
    };
    PassedOverDevice report = [](const AudioDeviceProperties& device) {
        if (device.devicePath) std::printf("Device path: %S\n", device.devicePath->c_str());
    };
    const MicrophoneChoice choice = ChooseMicrophone(next, report);
    if (choice.waveInId) std::printf("WaveIn ID: %d\n", static_cast<int>(*choice.waveInId));
    return choice.name;
}

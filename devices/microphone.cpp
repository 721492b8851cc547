#include "devices/microphone.h"

MicrophoneChoice ChooseMicrophone(const NextAudioDevice& next, const PassedOverDevice& passedOver) {
    std::wstring currentName;
    AudioDeviceProperties device;
    while (next(device)) {
        if (device.description)
            currentName = *device.description;
        else if (device.friendlyName)
            currentName = *device.friendlyName;
        if (device.waveInId) {
            MicrophoneChoice choice;
            if (currentName.find(L'"') == std::wstring::npos) choice.name = currentName;
            choice.waveInId = device.waveInId;
            return choice;
        }
        if (passedOver) passedOver(device);
        device = AudioDeviceProperties();
    }
    return MicrophoneChoice();
}

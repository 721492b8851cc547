// Which audio input device is the microphone: the first, in the system's
// order, that is a wave-in device. Windows-free; microphone_win.cpp supplies
// the devices' properties from the DirectShow enumeration.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The properties of one audio input device, where present.
struct AudioDeviceProperties {
    std::optional<std::wstring> description;
    std::optional<std::wstring> friendlyName;
    std::optional<int32_t> waveInId;
    std::optional<std::wstring> devicePath;
};

struct MicrophoneChoice {
    std::wstring name;               // empty: no microphone
    std::optional<int32_t> waveInId; // the chosen device's id
};

// Fills the next device's properties; false when there are no more.
using NextAudioDevice = std::function<bool(AudioDeviceProperties&)>;
// Told of every device passed over because it is no wave-in device.
using PassedOverDevice = std::function<void(const AudioDeviceProperties&)>;

// Asks for devices one at a time and stops at the first with a "WaveInID".
// Its name is its "Description", else its "FriendlyName", else the name last
// read from an earlier device. A name holding a double quote would break the
// encoder's command line (names go between quotes unescaped), so such a device
// counts as no microphone.
MicrophoneChoice ChooseMicrophone(const NextAudioDevice& next, const PassedOverDevice& passedOver = {});

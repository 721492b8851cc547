// Which device is the microphone, from the devices' properties in system order.
#include <gtest/gtest.h>

#include <vector>

#include "devices/microphone.h"

namespace {

using Devices = std::vector<AudioDeviceProperties>;

struct Enumeration {
    explicit Enumeration(Devices list) : devices(std::move(list)) {}
    Devices devices;
    size_t read = 0;
    std::vector<std::wstring> passedOverPaths;
    MicrophoneChoice Choose() {
        return ChooseMicrophone(
            [this](AudioDeviceProperties& d) {
                if (read == devices.size()) return false;
                d = devices[read++];
                return true;
            },
            [this](const AudioDeviceProperties& d) { passedOverPaths.push_back(d.devicePath.value_or(L"-")); });
    }
};

AudioDeviceProperties Device(const wchar_t* description, const wchar_t* friendly, std::optional<int32_t> waveIn,
                             const wchar_t* path = nullptr) {
    AudioDeviceProperties d;
    if (description) d.description = description;
    if (friendly) d.friendlyName = friendly;
    d.waveInId = waveIn;
    if (path) d.devicePath = path;
    return d;
}

TEST(MicrophoneChoice, FirstWaveInDeviceWinsAndLaterOnesAreNotRead) {
    Enumeration e{{Device(nullptr, L"Line 1", std::nullopt, L"\\\\?\\usb#1"), Device(nullptr, L"Mic A", 0),
                   Device(nullptr, L"Mic B", 1)}};
    const MicrophoneChoice choice = e.Choose();
    EXPECT_EQ(choice.name, L"Mic A");
    EXPECT_EQ(choice.waveInId, 0);
    EXPECT_EQ(e.read, 2u);
    EXPECT_EQ(e.passedOverPaths, std::vector<std::wstring>{L"\\\\?\\usb#1"});
}

TEST(MicrophoneChoice, NameRules) {
    // Description before FriendlyName.
    Enumeration both{{Device(L"USB 麦克风", L"Friendly", 3)}};
    EXPECT_EQ(both.Choose().name, L"USB 麦克风");

    // A wave-in device without names takes the name last read from an earlier device.
    Enumeration carried{{Device(nullptr, L"Virtual Line", std::nullopt), Device(nullptr, nullptr, 2)}};
    EXPECT_EQ(carried.Choose().name, L"Virtual Line");

    // ... or none, when no earlier device had one: the callers see no microphone.
    Enumeration nameless{{Device(nullptr, nullptr, 0)}};
    const MicrophoneChoice choice = nameless.Choose();
    EXPECT_EQ(choice.name, L"");
    EXPECT_EQ(choice.waveInId, 0);

    // A double quote would split the encoder's command line: no microphone then.
    Enumeration quoted{{Device(L"Mic \"Pro\"", nullptr, 1), Device(L"Mic", nullptr, 2)}};
    EXPECT_EQ(quoted.Choose().name, L"");
}

TEST(MicrophoneChoice, NoWaveInDeviceOrNoDeviceAtAll) {
    Enumeration none{Devices{}};
    EXPECT_EQ(none.Choose().name, L"");
    EXPECT_FALSE(none.Choose().waveInId);

    Enumeration lines{{Device(L"Line", nullptr, std::nullopt), Device(nullptr, L"Stereo Mix", std::nullopt, L"p2")}};
    const MicrophoneChoice choice = lines.Choose();
    EXPECT_EQ(choice.name, L"");
    EXPECT_EQ(lines.read, 2u);
    EXPECT_EQ(lines.passedOverPaths, (std::vector<std::wstring>{L"-", L"p2"}));
}

}  // namespace

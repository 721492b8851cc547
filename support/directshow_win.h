// The DirectShow capture inputs the system lists, read once for every place
// that looks for one: the microphone, the speaker-filter check and the
// encoder's device search.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class DirectShowCategory { Video, Audio };

// One input as its property bag describes it; a property the bag lacks (or
// holds in another type) stays empty.
struct DirectShowInput {
    std::optional<std::wstring> friendlyName;
    std::optional<std::wstring> description;
    std::optional<int32_t> waveInId;
    std::optional<std::wstring> devicePath;
};

// The inputs of `category` in the system's order; none when the category is
// empty or cannot be enumerated. Needs COM on the calling thread.
std::vector<DirectShowInput> DirectShowInputs(DirectShowCategory category);

// Their friendly names, in the same order (inputs without one left out).
std::vector<std::wstring> DirectShowInputNames(DirectShowCategory category);

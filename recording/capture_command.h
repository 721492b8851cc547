// The encoder command line and the screen filter's capture settings, built
// from the recording choices. Nothing here touches Windows: the Win32 side
// (capture_command_win.cpp) supplies the OS class, the microphone and the registry.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "protocol/command_line.h"
#include "protocol/screen_filter.h"
#include "recording/record_options.h"
#include "support/rect.h"

// Request word: audio bits 0x100 / 0x200, video quality code in the low byte.
using CaptureFlags = uint32_t;
constexpr CaptureFlags kCaptureSpeaker = 0x100;
constexpr CaptureFlags kCaptureMicrophone = 0x200;
constexpr CaptureFlags kQualityNormalCode = 1;
constexpr CaptureFlags kQualityGoodCode = 2;

// The request word for the recording options: audio bits only when sound is
// on; quality 0 gives code 1, 1 gives code 2, any other value no code.
CaptureFlags ComposeCaptureFlags(const RecordOptions& options);

// The screen filter's area (CaptureArea, protocol/screen_filter.h) from corners in any
// order; a size of 0 becomes 2, any other is cut down to even.
CaptureArea NormalizeCaptureRect(const Rect& corners);

// The six DWORD values under kScreenFilterKey, in write order.
struct ScreenFilterValue {
    const wchar_t* name;
    uint32_t value;
};
using ScreenFilterSettings = std::array<ScreenFilterValue, 6>;
ScreenFilterSettings MakeScreenFilterSettings(const CaptureArea& area);

// Where the screen filter's settings go: the current user's registry in the
// program (capture_command_win.h); tests may put a store of their own.
class ScreenFilterStore {
public:
    virtual ~ScreenFilterStore() = default;
    virtual bool Open() = 0;
    virtual bool SetDword(const wchar_t* name, uint32_t value) = 0;
};

enum class SettingsWrite { Written, KeyNotOpened, ValueNotSet };

// Opens the store and sets the six values in order; the first value that
// cannot be set stops the rest.
SettingsWrite WriteScreenFilterSettings(ScreenFilterStore& store, const CaptureArea& area);

// Assembles the encoder command line (ComposeEncoderCommandLine) into
// `commandLine` (replacing it) and returns what went on it: 0x100 speaker, 0x200 microphone, plus quality code
// 1 or 2. `findMicrophone` is asked at most once, only when a microphone is
// wanted; an empty answer means none. On old Windows the speaker filter is
// never used and any audio request records the microphone.
int32_t AssembleCaptureCommandLine(bool currentWindows, CaptureFlags flags,
                                   const std::function<std::wstring()>& findMicrophone,
                                   const std::wstring& outputPath, std::wstring& commandLine);

// Builds the encoder command line and hands the capture area to the screen
// filter through the current user's registry, before every recording.
#pragma once

#include <cstdint>
#include <string>

#include "recording/capture_command.h"

enum class SettingsWrite { Written, KeyNotOpened, ValueNotSet };

// Writes the six screen filter values under HKCU\SOFTWARE\screen-capture-recorder
// (32-bit view), in order; the first value that cannot be set stops the rest.
SettingsWrite WriteScreenFilterSettings(const CaptureArea& area);

// Assembles the command line for `captureRect`, `outputPath` and `flags`, then
// writes the screen filter settings. Returns the summary of what went on the
// command line, or -1 when the registry step failed; when the key could not be
// opened, `commandLine` is left empty.
int32_t BuildCaptureCommandLine(const Rect& captureRect, std::wstring& commandLine,
                                const std::wstring& outputPath, CaptureFlags flags);

// Builds the encoder command line and hands the capture area to the screen
// filter through the current user's registry, before every recording.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "recording/capture_command.h"
#include "support/unique_win.h"

// HKCU\SOFTWARE\screen-capture-recorder in the 32-bit view, where the screen
// filter (a 32-bit DLL) reads it. The key is closed with the store.
class RegistryScreenFilterStore : public ScreenFilterStore {
public:
    bool Open() override;
    bool SetDword(const wchar_t* name, uint32_t value) override;
private:
    UniqueKey m_key;
};

// Assembles the command line for `captureRect`, `outputPath` and `flags`, then
// writes the screen filter settings into `store` (the registry when null).
// Returns the summary of what went on the command line, or -1 when the
// settings step failed; when the key could not be opened, `commandLine` is left
// empty, so the start that follows fails instead of recording a stale area.
int32_t BuildCaptureCommandLine(const Rect& captureRect, std::wstring& commandLine,
                                const std::wstring& outputPath, CaptureFlags flags,
                                ScreenFilterStore* store = nullptr);

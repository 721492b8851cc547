#include "recording/capture_command_win.h"

#include <windows.h>

#include "devices/microphone_win.h"
#include "devices/os_version_win.h"
#include "support/unique_win.h"

SettingsWrite WriteScreenFilterSettings(const CaptureArea& area) {
    UniqueKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kScreenFilterKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return SettingsWrite::KeyNotOpened;
    for (const ScreenFilterValue& v : MakeScreenFilterSettings(area)) {
        const DWORD value = v.value;
        if (RegSetValueExW(key.get(), v.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof(value)) != ERROR_SUCCESS)
            return SettingsWrite::ValueNotSet;
    }
    return SettingsWrite::Written;
}

int32_t BuildCaptureCommandLine(const Rect& captureRect, std::wstring& commandLine,
                                const std::wstring& outputPath, CaptureFlags flags) {
    const bool currentWindows = IsVistaOrLater();
    commandLine.clear();
    const CaptureArea area = NormalizeCaptureRect(captureRect);
    std::wstring text;
    const int32_t summary = AssembleCaptureCommandLine(currentWindows, flags, FindMicrophoneName, outputPath, text);
    // The settings are written after the text is assembled (the microphone query
    // comes first). Without the key the command line stays empty, so the start
    // that follows fails instead of recording a stale area.
    const SettingsWrite written = WriteScreenFilterSettings(area);
    if (written == SettingsWrite::KeyNotOpened) return -1;
    commandLine = std::move(text);
    return written == SettingsWrite::Written ? summary : -1;
}

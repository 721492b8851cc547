#include "recording/capture_command_win.h"

#include "devices/microphone_win.h"
#include "devices/os_version_win.h"

bool RegistryScreenFilterStore::Open() {
    return RegCreateKeyExW(HKEY_CURRENT_USER, kScreenFilterKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, m_key.put(), nullptr) == ERROR_SUCCESS;
}

bool RegistryScreenFilterStore::SetDword(const wchar_t* name, uint32_t value) {
    const DWORD data = value;
    return RegSetValueExW(m_key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
           ERROR_SUCCESS;
}

int32_t BuildCaptureCommandLine(const Rect& captureRect, std::wstring& commandLine,
                                const std::wstring& outputPath, CaptureFlags flags, ScreenFilterStore* store) {
    const bool currentWindows = IsVistaOrLater();
    commandLine.clear();
    const CaptureArea area = NormalizeCaptureRect(captureRect);
    std::wstring text;
    const int32_t summary = AssembleCaptureCommandLine(currentWindows, flags, FindMicrophoneName, outputPath, text);

    // The settings are written after the text is assembled: the microphone query comes first.
    RegistryScreenFilterStore registry;
    const SettingsWrite written = WriteScreenFilterSettings(store ? *store : registry, area);
    if (written == SettingsWrite::KeyNotOpened) return -1;
    commandLine = std::move(text);
    return written == SettingsWrite::Written ? summary : -1;
}

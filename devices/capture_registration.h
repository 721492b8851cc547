// Registration of the two capture filters with the system's registration
// tool, in the platform-free part: the tool's command line, the log lines and
// the result. The Win32 side (capture_registration_win.h) starts the process.
#pragma once

#include <functional>
#include <string>

// One capture filter's COM server beside the program, and what is logged
// when its registration tool cannot be started.
struct CaptureFilterDll {
    const wchar_t* fileName;
    const char* failureText;
};
extern const CaptureFilterDll kScreenCaptureFilter;  // "screen-capture-recorder.dll"
extern const CaptureFilterDll kAudioCaptureFilter;   // "audio_sniffer.dll"

// regsvr32 /s "<folder><file>": the DLL path quoted as one argument.
std::wstring RegistrationCommandLine(const std::wstring& folder, const CaptureFilterDll& filter);

// Starts `commandLine` (the tool's command line, writable) and says whether
// the process was created.
using StartHiddenProcess = std::function<bool(std::wstring& commandLine)>;
// The command line as 8-bit log text.
using LogText = std::function<std::string(const std::wstring&)>;

// Starts the tool for `filter`, then logs its command line and, when the start
// failed, the failure text. True when the tool was started; whether it
// registered the DLL is never known.
bool RegisterCaptureFilter(const CaptureFilterDll& filter, const std::wstring& folder,
                           const StartHiddenProcess& start, const LogText& toLogText);

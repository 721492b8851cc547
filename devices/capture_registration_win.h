// Registration of the two capture filters beside the program, started at
// every program start before any window exists.
#pragma once

#include <windows.h>

#include <string>

#include "devices/capture_registration.h"

// regsvr32 /s on "screen-capture-recorder.dll" in the folder of `instance`'s
// module. True when the tool was started.
bool RegisterScreenCaptureFilter(HINSTANCE instance);
// The same for "audio_sniffer.dll".
bool RegisterAudioCaptureFilter(HINSTANCE instance);
// Both, screen filter first; false (audio not tried) when the first failed.
bool CaptureDriverRegistration(HINSTANCE instance);

// The registration tool in the system folder.
std::wstring RegistrationToolPath();
// Whether that tool is there as a file: a start that would certainly fail is
// known without starting anything.
bool RegistrationToolPresent();

// One filter's registration with the DLL in `folder` and the tool at
// `toolPath`: the operations above with the folder and tool made explicit.
bool RegisterCaptureFilterWithTool(const CaptureFilterDll& filter, const std::wstring& folder,
                                   const std::wstring& toolPath);
// Both filters that way, screen filter first, audio only when it started.
bool RegisterCaptureFiltersWithTool(const std::wstring& folder, const std::wstring& toolPath);

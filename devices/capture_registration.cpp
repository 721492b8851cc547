#include "devices/capture_registration.h"

#include "support/log.h"

const CaptureFilterDll kScreenCaptureFilter = {L"screen-capture-recorder.dll", "register video capture failed"};
const CaptureFilterDll kAudioCaptureFilter = {L"audio_sniffer.dll", "register audio capture failed"};

std::wstring RegistrationCommandLine(const std::wstring& folder, const CaptureFilterDll& filter) {
    return L"regsvr32 /s \"" + folder + filter.fileName + L"\"";
}

bool RegisterCaptureFilter(const CaptureFilterDll& filter, const std::wstring& folder,
                           const StartHiddenProcess& start, const LogText& toLogText) {
    std::wstring commandLine = RegistrationCommandLine(folder, filter);
    const std::wstring logged = commandLine;  // the start may write into its buffer
    const bool started = start(commandLine);
    TAVRIX_LOG(LevelDebug) << toLogText(logged);
    if (!started) {
        TAVRIX_LOG(LevelDebug) << filter.failureText;
        return false;
    }
    return true;
}

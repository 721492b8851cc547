#include "recording/capture_command.h"

namespace {

int32_t EvenSize(int32_t a, int32_t b) {
    // Computed in 64 bits: corners at opposite ends of the int32 range must not overflow.
    int64_t size = static_cast<int64_t>(a) - b;
    if (size < 0) size = -size;
    if (size == 0) return 2;
    size -= size % 2;
    return size > INT32_MAX ? INT32_MAX - 1 : static_cast<int32_t>(size);
}

}  // namespace

CaptureFlags ComposeCaptureFlags(const RecordOptions& options) {
    CaptureFlags flags = 0;
    if (options.recordAudio != 0) {
        if (options.audioSources & 1) flags += kCaptureSpeaker;
        if (options.audioSources & 2) flags += kCaptureMicrophone;
    }
    if (options.videoQuality == 0)
        flags += kQualityNormalCode;
    else if (options.videoQuality == 1)
        flags += kQualityGoodCode;
    return flags;
}

CaptureArea NormalizeCaptureRect(const Rect& c) {
    CaptureArea area;
    area.x = c.left < c.right ? c.left : c.right;
    area.y = c.top < c.bottom ? c.top : c.bottom;
    area.width = EvenSize(c.left, c.right);
    area.height = EvenSize(c.top, c.bottom);
    return area;
}

ScreenFilterSettings MakeScreenFilterSettings(const CaptureArea& area) {
    return {{
        {kStartXValue, static_cast<uint32_t>(area.x)},
        {kStartYValue, static_cast<uint32_t>(area.y)},
        {kCaptureWidthValue, static_cast<uint32_t>(area.width)},
        {kCaptureHeightValue, static_cast<uint32_t>(area.height)},
        {kMaxFpsValue, static_cast<uint32_t>(area.fps)},
        {kCaptureMouseValue, 1},
    }};
}

SettingsWrite WriteScreenFilterSettings(ScreenFilterStore& store, const CaptureArea& area) {
    if (!store.Open()) return SettingsWrite::KeyNotOpened;
    for (const ScreenFilterValue& v : MakeScreenFilterSettings(area))
        if (!store.SetDword(v.name, v.value)) return SettingsWrite::ValueNotSet;
    return SettingsWrite::Written;
}

int32_t AssembleCaptureCommandLine(bool currentWindows, CaptureFlags flags,
                                   const std::function<std::wstring()>& findMicrophone,
                                   const std::wstring& outputPath, std::wstring& commandLine) {
    EncoderRequest request;
    bool wantMicrophone;
    if (currentWindows) {
        request.speaker = (flags & kCaptureSpeaker) != 0;
        wantMicrophone = (flags & kCaptureMicrophone) != 0;
    } else {
        wantMicrophone = (flags & (kCaptureSpeaker | kCaptureMicrophone)) != 0;
    }
    if (wantMicrophone && findMicrophone) request.microphone = findMicrophone();
    if (!IsSendableDeviceName(request.microphone)) request.microphone.clear();
    request.quality = (flags & 0xFF) == kQualityGoodCode ? VideoQuality::Good : VideoQuality::Normal;
    request.outputPath = outputPath;

    commandLine = ComposeEncoderCommandLine(request);
    int32_t summary = request.quality == VideoQuality::Good ? kQualityGoodCode : kQualityNormalCode;
    if (request.speaker) summary += kCaptureSpeaker;
    if (!request.microphone.empty()) summary += kCaptureMicrophone;
    return summary;
}

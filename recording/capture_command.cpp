#include "recording/capture_command.h"

namespace {

const wchar_t kVideo[] = L"ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\"";
const wchar_t kSpeaker[] = L" -f dshow -i audio=\"virtual-audio-capturer\"";
const wchar_t kMicrophoneOpen[] = L" -f dshow -i audio=\"";
const wchar_t kQualityNormal[] =
    L" -pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast";
const wchar_t kQualityGood[] = L" -pix_fmt yuv420p -c:v libx264 -r 10 -profile high -preset faster";
const wchar_t kAudioCodec[] = L" -b:a 64k -strict -2 -c:a aac";
const wchar_t kMix[] = L" -filter_complex amix";

int32_t EvenSize(int32_t a, int32_t b) {
    // Computed in 64 bits: corners at opposite ends of the int32 range must not overflow.
    int64_t size = static_cast<int64_t>(a) - b;
    if (size < 0) size = -size;
    if (size == 0) return 2;
    size -= size % 2;
    return size > INT32_MAX ? INT32_MAX - 1 : static_cast<int32_t>(size);
}

}  // namespace

const wchar_t kScreenFilterKey[] = L"SOFTWARE\\screen-capture-recorder";

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
    area.startX = c.left < c.right ? c.left : c.right;
    area.startY = c.top < c.bottom ? c.top : c.bottom;
    area.width = EvenSize(c.left, c.right);
    area.height = EvenSize(c.top, c.bottom);
    return area;
}

ScreenFilterSettings MakeScreenFilterSettings(const CaptureArea& area) {
    return {{
        {L"start_x", static_cast<uint32_t>(area.startX)},
        {L"start_y", static_cast<uint32_t>(area.startY)},
        {L"capture_width", static_cast<uint32_t>(area.width)},
        {L"capture_height", static_cast<uint32_t>(area.height)},
        {L"default_max_fps", 10},
        {L"capture_transparent_windows_including_mouse_in_non_aero_if_1_causes_annoying_mouse_flicker", 1},
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
    int32_t summary = 0;
    std::wstring text = kVideo;

    bool wantMicrophone;
    if (currentWindows) {
        if (flags & kCaptureSpeaker) {
            text += kSpeaker;
            summary = kCaptureSpeaker;
        }
        wantMicrophone = (flags & kCaptureMicrophone) != 0;
    } else {
        wantMicrophone = (flags & (kCaptureSpeaker | kCaptureMicrophone)) != 0;
    }
    if (wantMicrophone) {
        const std::wstring name = findMicrophone ? findMicrophone() : std::wstring();
        if (!name.empty()) {
            summary += kCaptureMicrophone;
            text += kMicrophoneOpen;
            text += name;
            text += L'"';
        }
    }

    if ((flags & 0xFF) == kQualityGoodCode) {
        summary += kQualityGoodCode;
        text += kQualityGood;
    } else {
        summary += kQualityNormalCode;
        text += kQualityNormal;
    }
    if (summary & (kCaptureSpeaker | kCaptureMicrophone)) text += kAudioCodec;
    if ((summary & kCaptureSpeaker) && (summary & kCaptureMicrophone)) text += kMix;
    text += L" \"";
    text += outputPath;
    text += L'"';

    commandLine = std::move(text);
    return summary;
}

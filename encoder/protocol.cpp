#include "encoder/protocol.h"

namespace {

template <size_t N>
void AppendWords(std::wstring& text, const std::array<const wchar_t*, N>& words) {
    for (const wchar_t* word : words) {
        text += L' ';
        text += word;
    }
}

void AppendInput(std::wstring& text, const wchar_t* prefix, const std::wstring& name) {
    AppendWords(text, kInputWords);
    text += L' ';
    text += QuotedWord(prefix, name);
}

}  // namespace

std::wstring QuotedWord(const wchar_t* prefix, const std::wstring& text) {
    std::wstring word = prefix;
    word += L'"';
    word += text;
    word += L'"';
    return word;
}

bool IsSendableDeviceName(const std::wstring& name) {
    return !name.empty() && name.find(L'"') == std::wstring::npos;
}

std::wstring ComposeEncoderCommandLine(const EncoderRequest& request) {
    std::wstring text = kEncoderProgramWord;
    AppendWords(text, kHeadWords);
    AppendInput(text, kVideoInputPrefix, kScreenFilterName);
    if (request.speaker) AppendInput(text, kAudioInputPrefix, kSpeakerFilterName);
    const bool microphone = IsSendableDeviceName(request.microphone);
    if (microphone) AppendInput(text, kAudioInputPrefix, request.microphone);
    AppendWords(text, kVideoWords);
    if (request.quality == VideoQuality::Good)
        AppendWords(text, kGoodQualityWords);
    else
        AppendWords(text, kNormalQualityWords);
    if (request.speaker || microphone) AppendWords(text, kAudioCodecWords);
    if (request.speaker && microphone) AppendWords(text, kMixWords);
    text += L' ';
    text += QuotedWord(L"", request.outputPath);
    return text;
}

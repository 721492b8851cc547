#include "protocol/command_line.h"

#include <cwchar>
#include <initializer_list>

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

// Walks the words, remembering the first mismatch.
class WordCursor {
public:
    explicit WordCursor(const std::vector<std::wstring>& words) : m_words(words) {}

    bool AtEnd() const { return m_next >= m_words.size(); }
    bool Peek(const wchar_t* word) const { return !AtEnd() && m_words[m_next] == word; }
    size_t Remaining() const { return m_words.size() - m_next; }

    // True when the next words are exactly `expected`; else the error names the first that differs.
    bool Expect(std::initializer_list<const wchar_t*> expected) { return ExpectAll(expected); }
    template <size_t N>
    bool Expect(const std::array<const wchar_t*, N>& expected) { return ExpectAll(expected); }
    const std::wstring& Take() { return m_words[m_next++]; }
    bool Fail(std::wstring error) {
        if (m_error.empty()) m_error = std::move(error);
        return false;
    }
    const std::wstring& Error() const { return m_error; }

private:
    template <class Words>
    bool ExpectAll(const Words& expected) {
        for (const wchar_t* word : expected) {
            if (AtEnd()) return Fail(std::wstring(L"the command line ends where \"") + word + L"\" was expected");
            if (m_words[m_next] != word)
                return Fail(L"word " + std::to_wstring(m_next + 1) + L" is \"" + m_words[m_next] + L"\" where \"" +
                            word + L"\" was expected");
            ++m_next;
        }
        return true;
    }

    const std::vector<std::wstring>& m_words;
    size_t m_next = 0;
    std::wstring m_error;
};

// The audio inputs' device names, in order, up to the video options.
bool TakeAudioNames(WordCursor& cursor, std::vector<std::wstring>& names) {
    const size_t prefixLength = std::wcslen(kAudioInputPrefix);
    while (cursor.Peek(kInputWords[0])) {
        if (!cursor.Expect(kInputWords)) return false;
        if (cursor.AtEnd()) return cursor.Fail(L"the command line ends where an audio input was expected");
        const std::wstring& input = cursor.Take();
        if (input.compare(0, prefixLength, kAudioInputPrefix) != 0 || input.size() == prefixLength)
            return cursor.Fail(L"\"" + input + L"\" is not an audio input (" + kAudioInputPrefix + L"NAME)");
        const std::wstring name = input.substr(prefixLength);
        if (name.find(L'"') != std::wstring::npos)
            return cursor.Fail(L"the audio device name \"" + name + L"\" holds a quote");
        names.push_back(name);
    }
    return true;
}

// The speaker and the microphone the audio names ask for: the speaker filter
// first when there are two.
bool TakeSoundChoice(WordCursor& cursor, const std::vector<std::wstring>& names, EncoderRequest& request) {
    if (names.size() > 2) return cursor.Fail(L"more than two audio inputs");
    if (names.size() == 2) {
        if (names[0] != kSpeakerFilterName)
            return cursor.Fail(L"with two audio inputs the first must be \"" + std::wstring(kSpeakerFilterName) + L"\"");
        if (names[1] == kSpeakerFilterName) return cursor.Fail(L"the speaker input is given twice");
        request.speaker = true;
        request.microphone = names[1];
    } else if (names.size() == 1) {
        if (names[0] == kSpeakerFilterName)
            request.speaker = true;
        else
            request.microphone = names[0];
    }
    return true;
}

// The video options of either quality, the sound options and the mix.
bool TakeOptions(WordCursor& cursor, size_t soundInputs, EncoderRequest& request) {
    if (!cursor.Expect(kVideoWords)) return false;
    if (cursor.Peek(kNormalQualityWords[0])) {
        if (!cursor.Expect(kNormalQualityWords)) return false;
        request.quality = VideoQuality::Normal;
    } else {
        if (!cursor.Expect(kGoodQualityWords)) return false;
        request.quality = VideoQuality::Good;
    }
    if (soundInputs > 0 && !cursor.Expect(kAudioCodecWords)) return false;
    return soundInputs < 2 || cursor.Expect(kMixWords);
}

// The output path: the last word, and not an option.
bool TakeOutput(WordCursor& cursor, EncoderRequest& request) {
    if (cursor.Remaining() != 1) {
        if (cursor.AtEnd()) return cursor.Fail(L"the output path is missing");
        return cursor.Fail(L"unexpected words after the options; only the output path may follow them");
    }
    request.outputPath = cursor.Take();
    if (request.outputPath.empty()) return cursor.Fail(L"the output path is empty");
    if (request.outputPath[0] == L'-')
        return cursor.Fail(L"\"" + request.outputPath + L"\" is an option, not an output path");
    return true;
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

ParsedArguments ParseEncoderArguments(const std::vector<std::wstring>& words) {
    WordCursor cursor(words);
    EncoderRequest request;
    const std::wstring screenInput = std::wstring(kVideoInputPrefix) + kScreenFilterName;
    std::vector<std::wstring> audioNames;
    const bool accepted = cursor.Expect(kHeadWords) && cursor.Expect(kInputWords) &&
                          cursor.Expect({screenInput.c_str()}) && TakeAudioNames(cursor, audioNames) &&
                          TakeSoundChoice(cursor, audioNames, request) &&
                          TakeOptions(cursor, audioNames.size(), request) && TakeOutput(cursor, request);
    ParsedArguments result;
    if (accepted)
        result.request = std::move(request);
    else
        result.error = cursor.Error();
    return result;
}

std::wstring ComposeJoinSegmentsCommandLine(const std::wstring& outputPath) {
    return std::wstring(kEncoderProgramWord) + L" " + kJoinSegmentsOption + L" " + QuotedWord(L"", outputPath);
}

std::optional<std::wstring> JoinSegmentsOutput(const std::vector<std::wstring>& words) {
    if (words.size() != 2 || words[0] != kJoinSegmentsOption) return std::nullopt;
    return words[1];
}

#include "tests/fakes/encoder_grammar.h"

namespace {

const wchar_t kVideo[] = L"ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\"";
const wchar_t kSpeaker[] = L" -f dshow -i audio=\"virtual-audio-capturer\"";
const wchar_t kMicrophone[] = L" -f dshow -i audio=\"";
// The two quality pieces share their head up to the frame rate.
const wchar_t kQualityHead[] = L" -pix_fmt yuv420p -c:v libx264 -r ";
const wchar_t kNormalTail[] = L" -crf 28 -maxrate 350k -profile main -preset veryfast";
const wchar_t kGoodTail[] = L" -profile high -preset faster";
const wchar_t kAudioCodec[] = L" -b:a 64k -strict -2 -c:a aac";
const wchar_t kMix[] = L" -filter_complex amix";

class Cursor {
public:
    explicit Cursor(const std::wstring& text) : m_text(text) {}
    bool Accept(const wchar_t* literal) {
        const std::wstring piece(literal);
        if (m_text.compare(m_at, piece.size(), piece) != 0) return false;
        m_at += piece.size();
        return true;
    }
    // Characters up to the next double quote, which is consumed; false when
    // there is no closing quote or nothing before it.
    bool QuotedRest(std::wstring& value) {
        const size_t close = m_text.find(L'"', m_at);
        if (close == std::wstring::npos || close == m_at) return false;
        value = m_text.substr(m_at, close - m_at);
        m_at = close + 1;
        return true;
    }
    bool Number(int& value) {
        size_t end = m_at;
        while (end < m_text.size() && end - m_at < 3 && m_text[end] >= L'0' && m_text[end] <= L'9') ++end;
        if (end == m_at || m_text[m_at] == L'0') return false;
        value = std::stoi(m_text.substr(m_at, end - m_at));
        m_at = end;
        return true;
    }
    bool AtEnd() const { return m_at == m_text.size(); }
    std::wstring Where() const { return L" at column " + std::to_wstring(m_at) + L": \"" + m_text.substr(m_at, 40) + L"\""; }
private:
    const std::wstring& m_text;
    size_t m_at = 0;
};

bool Fail(std::wstring& error, const wchar_t* expected, const Cursor& at) {
    error = std::wstring(L"expected ") + expected + at.Where();
    return false;
}

}  // namespace

bool ParseEncoderCommandLine(const std::wstring& commandLine, EncoderRequest& request, std::wstring& error) {
    request = EncoderRequest();
    Cursor at(commandLine);
    if (!at.Accept(kVideo)) return Fail(error, L"the screen input after \"ffmpeg -y -pause_support\"", at);
    request.speaker = at.Accept(kSpeaker);
    if (at.Accept(kMicrophone)) {
        if (!at.QuotedRest(request.microphone)) return Fail(error, L"a quoted microphone name", at);
    }
    if (!at.Accept(kQualityHead) || !at.Number(request.frameRate))
        return Fail(error, L"the video options with a frame rate", at);
    if (at.Accept(kGoodTail))
        request.goodQuality = true;
    else if (!at.Accept(kNormalTail))
        return Fail(error, L"the rest of the normal or good quality options", at);
    const bool audio = request.speaker || !request.microphone.empty();
    if (audio && !at.Accept(kAudioCodec)) return Fail(error, L"the audio codec options", at);
    if (request.speaker && !request.microphone.empty() && !at.Accept(kMix)) return Fail(error, L"the amix filter", at);
    if (!at.Accept(L" \"") || !at.QuotedRest(request.outputPath)) return Fail(error, L"the quoted output path", at);
    if (!at.AtEnd()) return Fail(error, L"the end of the command line", at);
    return true;
}

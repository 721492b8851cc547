#include "protocol/status.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr char kSourceWord[] = "source";
constexpr char kLevelWord[] = "level";
constexpr char kReadyWord[] = "ready";

const char* EventWord(StatusEvent event) {
    switch (event) {
    case StatusEvent::Opened: return "opened";
    case StatusEvent::Failed: return "failed";
    case StatusEvent::Lost: return "lost";
    case StatusEvent::Back: return "back";
    case StatusEvent::Level: return kLevelWord;
    case StatusEvent::Ready: return kReadyWord;
    }
    return "";
}

// Tenths of a decibel, written without the locale: "-12.5", "0.0", "3.2".
std::string DecibelText(double db) {
    if (!(db >= kSilenceDb)) db = kSilenceDb;  // NaN and minus infinity too
    db = std::min(db, kLoudestDb);
    const long tenths = std::lround(db * 10);
    const long magnitude = tenths < 0 ? -tenths : tenths;
    std::string text = tenths < 0 ? "-" : "";
    text += std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10);
    return text;
}

std::optional<double> ParseDecibels(const std::string& word) {
    size_t i = 0;
    const bool negative = !word.empty() && word[0] == '-';
    if (negative) ++i;
    long whole = 0;
    size_t digits = 0;
    while (i < word.size() && word[i] >= '0' && word[i] <= '9' && digits < 4) {
        whole = whole * 10 + (word[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0 || i + 2 != word.size() || word[i] != '.' || word[i + 1] < '0' || word[i + 1] > '9')
        return std::nullopt;
    const double value = (whole + (word[i + 1] - '0') / 10.0) * (negative ? -1 : 1);
    if (value < kSilenceDb || value > kLoudestDb) return std::nullopt;
    return value;
}

std::optional<SoundSource> ParseSource(const std::string& word) {
    if (word == SoundSourceName(SoundSource::Speakers)) return SoundSource::Speakers;
    if (word == SoundSourceName(SoundSource::Microphone)) return SoundSource::Microphone;
    return std::nullopt;
}

// The words of a line, split at single blanks; at most `most`, the last
// taking the rest of the line.
std::vector<std::string> SplitWords(const std::string& text, size_t most) {
    std::vector<std::string> words;
    size_t start = 0;
    while (words.size() + 1 < most) {
        const size_t blank = text.find(' ', start);
        if (blank == std::string::npos) break;
        words.push_back(text.substr(start, blank - start));
        start = blank + 1;
    }
    words.push_back(text.substr(start));
    return words;
}

}  // namespace

const char* SoundSourceName(SoundSource source) {
    return source == SoundSource::Speakers ? "speakers" : "microphone";
}

std::string ComposeStatusLine(const StatusLine& line) {
    if (line.event == StatusEvent::Ready) return std::string(kReadyWord) + "\n";
    const std::string name = SoundSourceName(line.source);
    if (line.event == StatusEvent::Level)
        return std::string(kLevelWord) + " " + name + " " + DecibelText(line.peakDb) + " " + DecibelText(line.rmsDb) +
               "\n";
    std::string text = std::string(kSourceWord) + " " + name + " " + EventWord(line.event);
    if (line.event == StatusEvent::Failed || line.event == StatusEvent::Lost) {
        std::string reason = line.reason.empty() ? std::string("no reason given") : line.reason;
        for (char& c : reason)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
        const size_t room = kLongestStatusLine - 1 - text.size() - 1;
        if (reason.size() > room) {
            reason.resize(room);
            // Never half a UTF-8 character at the cut.
            while (!reason.empty() && (static_cast<unsigned char>(reason.back()) & 0xC0) == 0x80) reason.pop_back();
            if (!reason.empty() && (static_cast<unsigned char>(reason.back()) & 0xC0) == 0xC0) reason.pop_back();
        }
        text += " " + reason;
    }
    return text + "\n";
}

StatusLine SourceEvent(StatusEvent event, SoundSource source, std::string reason) {
    StatusLine line;
    line.event = event;
    line.source = source;
    line.reason = std::move(reason);
    return line;
}

StatusLine LevelLine(SoundSource source, double peakDb, double rmsDb) {
    StatusLine line;
    line.event = StatusEvent::Level;
    line.source = source;
    line.peakDb = peakDb;
    line.rmsDb = rmsDb;
    return line;
}

StatusLine ReadyLine() { return StatusLine(); }

std::optional<StatusLine> ParseStatusLine(const std::string& raw) {
    std::string text = raw;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty() || text.size() + 1 > kLongestStatusLine) return std::nullopt;
    if (text == kReadyWord) return ReadyLine();
    const std::vector<std::string> words = SplitWords(text, 4);
    if (words.size() < 3) return std::nullopt;
    const std::optional<SoundSource> source = ParseSource(words[1]);
    if (!source) return std::nullopt;
    if (words[0] == kLevelWord) {
        if (words.size() != 4) return std::nullopt;
        const std::optional<double> peak = ParseDecibels(words[2]);
        const std::optional<double> rms = ParseDecibels(words[3]);
        if (!peak || !rms) return std::nullopt;
        return LevelLine(*source, *peak, *rms);
    }
    if (words[0] != kSourceWord) return std::nullopt;
    for (StatusEvent event : {StatusEvent::Opened, StatusEvent::Back}) {
        if (words.size() == 3 && words[2] == EventWord(event)) return SourceEvent(event, *source);
    }
    for (StatusEvent event : {StatusEvent::Failed, StatusEvent::Lost}) {
        if (words.size() == 4 && words[2] == EventWord(event) && !words[3].empty())
            return SourceEvent(event, *source, words[3]);
    }
    return std::nullopt;
}

std::vector<StatusLine> StatusReader::Feed(const char* bytes, size_t count) {
    std::vector<StatusLine> lines;
    for (size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c != '\n') {
            if (m_line.size() < kLongestStatusLine) m_line += c;
            else m_overlong = true;
            continue;
        }
        std::optional<StatusLine> line = m_overlong ? std::nullopt : ParseStatusLine(m_line);
        if (line) lines.push_back(std::move(*line));
        else Unreadable(m_line);
        m_line.clear();
        m_overlong = false;
    }
    return lines;
}

void StatusReader::End() {
    if (!m_line.empty() || m_overlong) Unreadable(m_line);
    m_line.clear();
    m_overlong = false;
}

void StatusReader::Unreadable(const std::string& text) {
    if (m_unreadable++ == 0) m_firstUnreadable = text.substr(0, kLongestStatusLine);
}

#include "encoder/core_log.h"

#include <cstring>

std::vector<std::string> LineSplitter::Feed(const char* bytes, size_t count) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c == '\n') {
            if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
            lines.push_back(std::move(m_line));
            m_line.clear();
            continue;
        }
        m_line += c;
        if (m_line.size() >= m_max) {
            lines.push_back(std::move(m_line));
            m_line.clear();
        }
    }
    return lines;
}

std::string LineSplitter::Rest() {
    std::string rest = std::move(m_line);
    m_line.clear();
    return rest;
}

namespace {

struct LevelTag {
    const char* name;
    bool information;
};

constexpr LevelTag kLevels[] = {{"quiet", false}, {"panic", false},  {"fatal", false}, {"error", false},
                                {"warning", false}, {"info", true}, {"verbose", true}, {"debug", true},
                                {"trace", true}};

// Where a "[level] " tag starts in `line`: at its beginning, or after one
// "[context @ address] " prefix. npos when there is none.
size_t FindLevelTag(const std::string& line, const LevelTag*& level) {
    size_t at = 0;
    for (int round = 0; round < 2; ++round) {
        if (at >= line.size() || line[at] != '[') return std::string::npos;
        const size_t close = line.find(']', at);
        if (close == std::string::npos) return std::string::npos;
        const std::string inside = line.substr(at + 1, close - at - 1);
        for (const LevelTag& tag : kLevels) {
            if (inside == tag.name) {
                level = &tag;
                return at;
            }
        }
        at = close + 1;
        if (at < line.size() && line[at] == ' ') ++at;
    }
    return std::string::npos;
}

}  // namespace

CoreLogLine ParseCoreLogLine(const std::string& line) {
    CoreLogLine parsed;
    const LevelTag* level = nullptr;
    const size_t at = FindLevelTag(line, level);
    if (at == std::string::npos) {
        parsed.text = line;
        return parsed;
    }
    size_t end = at + std::strlen(level->name) + 2;
    if (end < line.size() && line[end] == ' ') ++end;
    parsed.information = level->information;
    parsed.text = line.substr(0, at) + line.substr(end);
    return parsed;
}

std::optional<int64_t> MicrosecondsFromSeconds(const std::string& seconds) {
    int64_t whole = 0;
    int64_t micros = 0;
    int fraction = -1;  // digits after the point; -1 before it
    bool digits = false;
    for (char c : seconds) {
        if (c == '.' && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        digits = true;
        if (fraction < 0) {
            if (whole > (INT64_MAX / 10 - 9) / 1000000) return std::nullopt;
            whole = whole * 10 + (c - '0');
        } else if (fraction < 6) {
            micros = micros * 10 + (c - '0');
            ++fraction;
        }
    }
    if (!digits) return std::nullopt;
    for (int i = fraction < 0 ? 0 : fraction; i < 6; ++i) micros *= 10;
    return whole * 1000000 + micros;
}

std::optional<int64_t> FirstPictureFinder::Feed(const std::string& text) {
    if (m_found) return std::nullopt;
    if (text.rfind("Input #", 0) == 0) {
        m_inGrabber = text.find(", gdigrab, from ") != std::string::npos;
        return std::nullopt;
    }
    if (!m_inGrabber) return std::nullopt;
    const size_t duration = text.find("Duration: ");
    if (duration == std::string::npos) return std::nullopt;
    m_inGrabber = false;
    const size_t start = text.find("start: ", duration);
    if (start == std::string::npos) return std::nullopt;
    const size_t from = start + 7;
    const size_t end = text.find(',', from);
    const std::optional<int64_t> micros =
        MicrosecondsFromSeconds(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (micros) m_found = true;
    return micros;
}

bool SaysScreenUnreadable(const std::string& text) {
    // "[gdigrab @ 0000000000d81c40] Failed to capture image (error 5)"
    return text.rfind("[gdigrab @ ", 0) == 0 && text.find("] Failed to capture image") != std::string::npos;
}

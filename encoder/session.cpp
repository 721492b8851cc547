#include "encoder/session.h"

#include <algorithm>
#include <cstdio>

#include "encoder/protocol.h"
#include "support/path.h"

namespace {

// Commands are one letter; a line this long is junk whatever follows.
constexpr size_t kLongestLine = 64;

}  // namespace

std::vector<EncoderCommand> CommandReader::Feed(const char* bytes, size_t count) {
    std::vector<EncoderCommand> commands;
    for (size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c != '\n') {
            if (m_line.size() < kLongestLine) m_line += c;
            else m_overlong = true;
            continue;
        }
        if (!m_line.empty() && m_line.back() == '\r') m_line.pop_back();
        if (!m_overlong && m_line.size() == 1) {
            if (m_line[0] == kPauseCommand[0]) commands.push_back(EncoderCommand::Pause);
            else if (m_line[0] == kResumeCommand[0]) commands.push_back(EncoderCommand::Resume);
            else if (m_line[0] == kQuitCommand[0]) commands.push_back(EncoderCommand::Quit);
            else if (m_line[0] == kDiscardCommand[0]) commands.push_back(EncoderCommand::Discard);
            else if (m_line[0] == kGoCommand[0]) commands.push_back(EncoderCommand::Go);
        }
        m_line.clear();
        m_overlong = false;
    }
    return commands;
}

size_t HoldLineLength(const char* bytes, size_t count) {
    if (count >= 2 && bytes[0] == kHoldCommand[0] && bytes[1] == '\n') return 2;
    if (count >= 3 && bytes[0] == kHoldCommand[0] && bytes[1] == '\r' && bytes[2] == '\n') return 3;
    return 0;
}

SessionStep SessionControl::OnCommand(EncoderCommand command) {
    const bool discard = command == EncoderCommand::Discard || (m_state == SessionState::Held && command == EncoderCommand::Quit);
    if (discard) {
        if (m_state == SessionState::Discarded) return SessionStep::Nothing;
        m_state = SessionState::Discarded;
        return SessionStep::Discard;
    }
    switch (m_state) {
    case SessionState::Held:
        if (command != EncoderCommand::Go) return SessionStep::Nothing;
        m_state = SessionState::Recording;
        return SessionStep::StartSegment;
    case SessionState::Recording:
        if (command == EncoderCommand::Pause) {
            m_state = SessionState::Paused;
            return SessionStep::EndSegment;
        }
        if (command == EncoderCommand::Quit) {
            m_state = SessionState::Finished;
            return SessionStep::FinishAndJoin;
        }
        return SessionStep::Nothing;
    case SessionState::Paused:
        if (command == EncoderCommand::Resume) {
            m_state = SessionState::Recording;
            return SessionStep::StartSegment;
        }
        if (command == EncoderCommand::Quit) {
            m_state = SessionState::Finished;
            return SessionStep::Join;
        }
        return SessionStep::Nothing;
    case SessionState::Finished:
    case SessionState::Discarded:
        return SessionStep::Nothing;
    }
    return SessionStep::Nothing;
}

SessionStep SessionControl::OnInputClosed() {
    if (Ended()) return SessionStep::Nothing;
    if (m_state == SessionState::Held) {
        m_state = SessionState::Discarded;
        return SessionStep::Discard;
    }
    const bool recording = m_state == SessionState::Recording;
    m_state = SessionState::Finished;
    return recording ? SessionStep::FinishAndKeep : SessionStep::KeepSegments;
}

SessionStep SessionControl::OnCoreLost() {
    if (m_state != SessionState::Recording) return SessionStep::Nothing;
    m_state = SessionState::Finished;
    m_coreFailed = true;
    return SessionStep::KeepSegments;
}

SegmentList::SegmentList(std::wstring outputPath, Exists exists)
    : m_outputPath(std::move(outputPath)), m_exists(std::move(exists)), m_listPath(m_outputPath + L".parts.txt") {}

const std::wstring& SegmentList::Next() {
    for (;;) {
        ++m_number;
        wchar_t suffix[32];
        std::swprintf(suffix, sizeof(suffix) / sizeof(suffix[0]), L".part%03d.mkv", m_number);
        std::wstring path = m_outputPath + suffix;
        if (m_exists && m_exists(path)) continue;
        m_paths.push_back(std::move(path));
        return m_paths.back();
    }
}

std::vector<std::wstring> LeftoverSegmentNames(const std::wstring& outputFileName,
                                               const std::vector<std::wstring>& namesInFolder) {
    // "<output>.part" + at least three digits + ".mkv"; the number orders them.
    const std::wstring prefix = outputFileName + L".part";
    std::vector<std::pair<unsigned long, std::wstring>> found;
    for (const std::wstring& name : namesInFolder) {
        if (name.size() < prefix.size() + 3 + 4 || name.compare(0, prefix.size(), prefix) != 0) continue;
        if (name.compare(name.size() - 4, 4, L".mkv") != 0) continue;
        const std::wstring digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (digits.size() > 9 || digits.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        found.emplace_back(std::stoul(digits), name);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::wstring> names;
    for (auto& entry : found) names.push_back(std::move(entry.second));
    return names;
}

uint64_t JoinSpaceNeeded(uint64_t segmentBytes) {
    return segmentBytes + segmentBytes / 20 + (32ull << 20);
}

std::wstring FileNameOfPath(const std::wstring& path) {
    return path.substr(FolderOfPath(path).size());
}

std::string Utf8FromWide(const std::wstring& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDFFF) {
            const bool pair = c <= 0xDBFF && i + 1 < text.size() && static_cast<uint32_t>(text[i + 1]) >= 0xDC00 &&
                              static_cast<uint32_t>(text[i + 1]) <= 0xDFFF;
            if (pair) c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
            else c = 0xFFFD;
        }
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string ComposeConcatList(const std::vector<JoinPart>& parts) {
    std::string list = "ffconcat version 1.0\n";
    for (const JoinPart& part : parts) {
        // Inside single quotes everything is literal; a quote itself is closed, escaped and reopened.
        std::string name;
        for (char c : Utf8FromWide(FileNameOfPath(part.path))) {
            if (c == '\'') name += "'\\''";
            else name += c;
        }
        list += "file '" + name + "'\n";
        if (part.endNs > 0) {
            char outpoint[64];
            std::snprintf(outpoint, sizeof(outpoint), "outpoint %lld.%06lld\n",
                          static_cast<long long>(part.endNs / 1000000000),
                          static_cast<long long>((part.endNs % 1000000000) / 1000));
            list += outpoint;
        }
    }
    return list;
}

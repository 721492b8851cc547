#include "protocol/commands.h"

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

const char* CommandName(EncoderCommand command) {
    switch (command) {
    case EncoderCommand::Pause: return "pause";
    case EncoderCommand::Resume: return "resume";
    case EncoderCommand::Quit: return "quit";
    case EncoderCommand::Discard: return "discard";
    case EncoderCommand::Go: return "go";
    }
    return "?";
}

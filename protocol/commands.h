// The commands on the encoder's standard input: the bytes Tavrix writes and
// how the encoder reads them, and the one command the encoder writes to its
// own core. Nothing here touches Windows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Two bytes each; the encoder tolerates a carriage return before the line feed.
inline constexpr char kPauseCommand[] = "p\n";
inline constexpr char kResumeCommand[] = "r\n";
inline constexpr char kQuitCommand[] = "q\n";
inline constexpr char kDiscardCommand[] = "d\n";
// Only as the first line, written before the encoder starts: make ready and
// wait at the first segment's gate (the countdown runs meanwhile).
inline constexpr char kHoldCommand[] = "h\n";
// Opens the held encoder's gate: the lesson starts.
inline constexpr char kGoCommand[] = "g\n";

// What the encoder writes to the stock core's standard input to make it
// finish its file and exit.
inline constexpr char kCoreQuitCommand[] = "q\n";

enum class EncoderCommand { Pause, Resume, Quit, Discard, Go };

// Turns the bytes of standard input into commands: a line holding just "p",
// "r", "q", "d" or "g" (a carriage return before the line feed is tolerated).
// Any other line is ignored, and so is a line not yet ended by a line feed.
class CommandReader {
public:
    std::vector<EncoderCommand> Feed(const char* bytes, size_t count);

private:
    std::string m_line;
    bool m_overlong = false;
};

// How long the line that asks the encoder to hold is when `bytes` (the first
// bytes waiting on standard input) begin with it: "h" and a line feed, a
// carriage return tolerated before it. 0 when they do not.
size_t HoldLineLength(const char* bytes, size_t count);

// The command's name for a log line.
const char* CommandName(EncoderCommand command);

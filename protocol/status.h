// The status channel: what the encoder tells Tavrix about the sound while it
// records, one short line per event on its standard output (a pipe Tavrix
// reads on a thread of its own). Composed by the encoder and the test
// encoder, read by Tavrix. Nothing here touches Windows.
//
// The lines, words separated by one blank, each ended by a line feed:
//   source <name> opened            the source records
//   source <name> failed <reason>   it cannot be opened: the recording goes on without it
//   source <name> lost <reason>     it stopped delivering (unplugged, disabled); the gap is silence
//   source <name> back              it records again (the same device, or the new default)
//   level <name> <peak> <rms>       its level in dBFS, one decimal, of the samples
//                                   handed on to the core since the last level line
//                                   (the encoder says it ten times a second)
//   ready                           every chosen source has said opened or failed
// <name> is "speakers" or "microphone"; <reason> is free text to the line's
// end. Silence is kSilenceDb. Any other line is not one of the channel's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

enum class SoundSource { Speakers, Microphone };

// "speakers" or "microphone", as the channel and the logs name them.
const char* SoundSourceName(SoundSource source);

enum class StatusEvent { Opened, Failed, Lost, Back, Level, Ready };

// The level given for silence, and the highest a level line may carry
// (floating-point samples may exceed full scale).
constexpr double kSilenceDb = -100.0;
constexpr double kLoudestDb = 20.0;

struct StatusLine {
    StatusEvent event = StatusEvent::Ready;
    SoundSource source = SoundSource::Microphone;
    std::string reason;        // Failed and Lost
    double peakDb = kSilenceDb;  // Level
    double rmsDb = kSilenceDb;   // Level

    bool operator==(const StatusLine& o) const {
        return event == o.event && (event == StatusEvent::Ready || source == o.source) && reason == o.reason &&
               peakDb == o.peakDb && rmsDb == o.rmsDb;
    }
};

// The longest line the channel carries, line feed included; a reason is cut
// to fit, and a longer line is not one of the channel's.
constexpr size_t kLongestStatusLine = 200;

// The line for `line`, ended by a line feed. Levels are kept within
// kSilenceDb..kLoudestDb and written with one decimal; a reason's line feeds
// and other control characters become blanks.
std::string ComposeStatusLine(const StatusLine& line);
// Shorthands for the encoder.
StatusLine SourceEvent(StatusEvent event, SoundSource source, std::string reason = std::string());
StatusLine LevelLine(SoundSource source, double peakDb, double rmsDb);
StatusLine ReadyLine();

// One line without its line feed (a carriage return before it is
// tolerated); nothing when it is not one of the channel's.
std::optional<StatusLine> ParseStatusLine(const std::string& text);

// Turns the bytes of the channel into lines as they come, in any pieces.
// Lines that are not the channel's are counted and the first of them kept,
// for one log line; a line cut off by the channel's end is one of them.
class StatusReader {
public:
    std::vector<StatusLine> Feed(const char* bytes, size_t count);
    // The channel has ended: what is left unfinished counts as unreadable.
    void End();

    size_t UnreadableLines() const { return m_unreadable; }
    // The first unreadable line as it came (cut to kLongestStatusLine), for the log.
    const std::string& FirstUnreadable() const { return m_firstUnreadable; }

private:
    void Unreadable(const std::string& text);

    std::string m_line;
    bool m_overlong = false;
    size_t m_unreadable = 0;
    std::string m_firstUnreadable;
};

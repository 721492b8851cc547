// One recording as the adapter runs it: the commands read from standard
// input, the pause/resume/finish states, and the segment files with the list
// that joins them. Nothing here touches Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class EncoderCommand { Pause, Resume, Quit };

// Turns the bytes of standard input into commands: a line holding just "p",
// "r" or "q" (a carriage return before the line feed is tolerated). Any other
// line is ignored, and so is a line not yet ended by a line feed.
class CommandReader {
public:
    std::vector<EncoderCommand> Feed(const char* bytes, size_t count);

private:
    std::string m_line;
    bool m_overlong = false;
};

enum class SessionState { Recording, Paused, Finished };

// What the adapter must do next.
enum class SessionStep {
    Nothing,        // the command does not apply in this state
    EndSegment,     // pause: let the core finish the current segment
    StartSegment,   // resume: start a core on a new segment
    FinishAndJoin,  // quit while recording: finish the segment, then join
    Join,           // quit while paused, or the core is gone: join what is there
};

class SessionControl {
public:
    SessionState State() const { return m_state; }
    // A command from standard input. "p" while paused and "r" while recording are ignored.
    SessionStep OnCommand(EncoderCommand command);
    // Standard input closed: the program that steers the adapter is gone; finish as for "q".
    SessionStep OnInputClosed() { return OnCommand(EncoderCommand::Quit); }
    // The core exited while the adapter had not asked it to: the recording
    // ends here, with what was written so far.
    SessionStep OnCoreLost();
    bool CoreFailed() const { return m_coreFailed; }

private:
    SessionState m_state = SessionState::Recording;
    bool m_coreFailed = false;
};

// The segment files of one recording, next to the output: "<output>.part001.mkv",
// "<output>.part002.mkv", ... A number whose file already exists (left by an
// earlier recording that could not be joined) is skipped, so nothing is overwritten.
class SegmentList {
public:
    using Exists = std::function<bool(const std::wstring& path)>;
    SegmentList(std::wstring outputPath, Exists exists);

    // Names the next segment and records it.
    const std::wstring& Next();
    // Forgets the last segment named: its core was ended before it wrote anything.
    void DropLast() { if (!m_paths.empty()) m_paths.pop_back(); }
    const std::vector<std::wstring>& Paths() const { return m_paths; }
    const std::wstring& ListPath() const { return m_listPath; }

private:
    std::wstring m_outputPath;
    Exists m_exists;
    std::wstring m_listPath;
    std::vector<std::wstring> m_paths;
    int m_number = 0;
};

// One segment as the join sees it: the time up to which all its tracks have
// content (0: no limit known).
struct JoinPart {
    std::wstring path;
    int64_t endNs = 0;
};

// The concat list (UTF-8): each file by its name relative to the list, which
// lies in the same folder, with an out point that cuts every track to the
// common length so sound and picture stay together across the joins.
std::string ComposeConcatList(const std::vector<JoinPart>& parts);

// The last path component.
std::wstring FileNameOfPath(const std::wstring& path);

// UTF-16 to UTF-8 (unpaired surrogates become U+FFFD).
std::string Utf8FromWide(const std::wstring& text);

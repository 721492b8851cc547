// One recording as the adapter runs it: the pause/resume/finish states the
// commands on standard input (protocol/commands.h) lead through, and the
// segment files with the list that joins them. Nothing here touches Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "protocol/commands.h"

// Held: started with the hold line, the first segment's core is ready at its
// gate and nothing records until "g". Finished: the segments are being joined
// (or kept); Discarded: everything is being thrown away. Neither is left again.
enum class SessionState { Held, Recording, Paused, Finished, Discarded };

// What the adapter must do next.
enum class SessionStep {
    Nothing,        // the command does not apply in this state
    EndSegment,     // pause: let the core finish the current segment
    StartSegment,   // resume: start a core on a new segment
    FinishAndJoin,  // quit while recording: finish the segment, then join
    Join,           // quit while paused: join what is there
    KeepSegments,   // the core is gone, or input ended while paused: no join, every segment kept
    FinishAndKeep,  // input ended while recording: finish the segment, no join, every segment kept
    Discard,        // end every core at once, delete every file, write no output
};

class SessionControl {
public:
    explicit SessionControl(bool held = false) : m_state(held ? SessionState::Held : SessionState::Recording) {}
    SessionState State() const { return m_state; }
    bool Ended() const { return m_state == SessionState::Finished || m_state == SessionState::Discarded; }
    // A command from standard input. "p" while paused and "r" while recording
    // are ignored; "d" applies in every state until it was taken, the join
    // included. While held only "g" starts the recording; "q" there (nothing
    // was recorded, nothing is kept) discards, "p" and "r" are ignored, and
    // "g" is ignored in every other state.
    SessionStep OnCommand(EncoderCommand command);
    // Standard input closed: the program that steers the adapter is gone and
    // nobody would take the joined file. The segments stay where the
    // program's next start looks for a recording to recover. While held there
    // are none: everything is discarded.
    SessionStep OnInputClosed();
    // The core exited while the adapter had not asked it to: the recording
    // ends here, and what was written stays as segments for a later join.
    SessionStep OnCoreLost();
    bool CoreFailed() const { return m_coreFailed; }

private:
    SessionState m_state;
    bool m_coreFailed = false;
};

// The segment files of one recording, next to the output: "<output>.part001.mkv",
// "<output>.part002.mkv", ... (protocol/files.h). A number whose file already exists (left by an
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

// One segment as the join sees it: where it is cut (0: not cut, its whole length).
struct JoinPart {
    std::wstring path;
    int64_t endNs = 0;
};

// The concat list (UTF-8): each file by its name relative to the list, which
// lies in the same folder, with its out point when it is cut.
std::string ComposeConcatList(const std::vector<JoinPart>& parts);

// Room the join needs on the output's volume: the segments' bytes (the
// joined file holds the same packets) plus a margin for the index and the
// file system.
uint64_t JoinSpaceNeeded(uint64_t segmentBytes);

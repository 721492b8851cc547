// What a segment's core prints, read line by line: the core is asked to tag
// each line with its level, so that its warnings and errors go on into the
// adapter's log as before while its information lines are dropped, except
// the one that says when the screen grabber took its first picture. Nothing
// here touches Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Cuts bytes into lines (a line feed ends one; a carriage return before it
// is dropped). A line longer than `maxLength` is cut there and the rest
// taken as a line of its own, so that no output can grow a line unbounded.
class LineSplitter {
public:
    explicit LineSplitter(size_t maxLength = 4096) : m_max(maxLength) {}
    std::vector<std::string> Feed(const char* bytes, size_t count);
    // What is left without a line feed, at the end of the output.
    std::string Rest();

private:
    size_t m_max;
    std::string m_line;
};

// One line of the core's output, its level tag taken out: "[gdigrab @ 0x1]
// [info] Capturing" becomes "[gdigrab @ 0x1] Capturing", at the information
// level. A line without a tag keeps its text and counts as a warning, so that
// nothing the core says unasked is lost from the log.
struct CoreLogLine {
    bool information = false;  // "info", "verbose", "debug" or "trace": not for the log
    std::string text;
};
CoreLogLine ParseCoreLogLine(const std::string& line);

// Finds the screen grabber's first picture in the core's input description:
//   Input #1, gdigrab, from 'desktop':
//     Duration: N/A, start: 1796681233.207601, bitrate: 327684 kb/s
// The grabber stamps its pictures with the system's wall clock, so the start
// is when the first picture was taken, in microseconds since 1970.
class FirstPictureFinder {
public:
    // The time once the line that gives it comes; nothing before or after.
    std::optional<int64_t> Feed(const std::string& text);

private:
    bool m_inGrabber = false;
    bool m_found = false;
};

// "1796681233.207601" as microseconds; nothing when it is not a plain
// decimal number of seconds.
std::optional<int64_t> MicrosecondsFromSeconds(const std::string& seconds);

// Whether a line of the core's says its screen grabber could not read the
// screen: the system refuses the copy while the lock screen or a prompt on
// the secure desktop is up, and the core then ends its input as if it had
// ended, finishing the segment.
bool SaysScreenUnreadable(const std::string& text);

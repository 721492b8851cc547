// The line log: one line per statement, "- <time> <LEVEL>: <message>",
// written to a stdio stream (the log file, else standard error) and flushed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

enum LogLevel : int32_t { LevelError = 0, LevelWarning = 1, LevelInfo = 2, LevelDebug = 3 };

// Highest level written. Fixed: every level is written.
constexpr int32_t LogThreshold = LevelDebug;

// Printed name of a level; the empty text for a value outside the four levels.
const char* LevelName(int32_t level);

// Time stamp of a line: local "HH:MM:SS" and a point and three digits that
// count milliseconds since the run's first time stamp, modulo 1000.
std::string NowTime();

// The time stamp built from its parts: `clock` is the formatted time of day, or
// null when formatting failed ("Error in NowTime()" then, without a fraction).
std::string ComposeTimeStamp(const char* clock, int32_t elapsedMs);

// Milliseconds from the run's first call to this one, as a signed 32-bit
// difference of two tick counts (the first call sets the base and yields 0).
int32_t TicksSinceFirstStamp(uint32_t tickNow);

// Output policy: the process-wide target stream, standard error until the
// entry point replaces it with the log file.
class Output2FILE {
public:
    static FILE*& Target();
    static void Write(const std::string& text);
};

// One line in the making; the destructor ends the line and writes it whole.
template <class OutputPolicy>
class Log {
public:
    Log() = default;
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;
    virtual ~Log() {
        m_os << std::endl;
        OutputPolicy::Write(m_os.str());
    }
    std::ostringstream& Line(int32_t level) {
        m_os << "- " << NowTime() << " " << LevelName(level) << ": ";
        return m_os;
    }
private:
    std::ostringstream m_os;
};

class FILELog : public Log<Output2FILE> {};

inline bool LogEnabled(int32_t level) {
    return level <= LogThreshold && Output2FILE::Target() != nullptr;
}

// A log statement: TAVRIX_LOG(LevelDebug) << "text"; costs one comparison
// and makes no line object when the level is not written.
#define TAVRIX_LOG(level) \
    if (!LogEnabled(level)) ; else FILELog().Line(level)

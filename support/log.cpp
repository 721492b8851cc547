// The platform-free part of the log: level names, the time-stamp format,
// the tick base and the output policy.
#include "support/log.h"

#include <array>

const char* LevelName(int32_t level) {
    static const char* const kNames[] = {"ERROR", "WARNING", "INFO", "DEBUG"};
    if (level < 0 || level > LevelDebug) return "";
    return kNames[level];
}

std::string ComposeTimeStamp(const char* clock, int32_t elapsedMs) {
    if (clock == nullptr) return "Error in NowTime()";
    std::array<char, 100> stamp{};
    std::snprintf(stamp.data(), stamp.size(), "%s.%03ld", clock, static_cast<long>(elapsedMs % 1000));
    return stamp.data();
}

int32_t TicksSinceFirstStamp(uint32_t tickNow) {
    static const uint32_t base = tickNow;
    return static_cast<int32_t>(tickNow - base);
}

FILE*& Output2FILE::Target() {
    static FILE* target = stderr;
    return target;
}

void Output2FILE::Write(const std::string& text) {
    FILE* target = Target();
    if (target == nullptr) return;
    std::fprintf(target, "%s", text.c_str());
    std::fflush(target);
}

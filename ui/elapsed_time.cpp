#include "ui/elapsed_time.h"

namespace {

// Decimal, with one leading zero below 10.
std::wstring TwoDigits(int64_t value) {
    std::wstring text = std::to_wstring(value);
    return value >= 0 && value < 10 ? L"0" + text : text;
}

}  // namespace

std::wstring FormatElapsed(int32_t seconds) {
    const int64_t s = seconds;
    return TwoDigits(s / 3600) + L":" + TwoDigits(s % 3600 / 60) + L":" + TwoDigits(s % 60);
}


void RecordedClock::Run(uint64_t nowMs) {
    if (m_running) return;
    m_runSinceMs = nowMs;
    m_running = true;
}

void RecordedClock::Stop(uint64_t nowMs) {
    if (!m_running) return;
    m_beforeMs = RecordedMs(nowMs);
    m_running = false;
}

void RecordedClock::Reset() {
    *this = RecordedClock();
}

uint64_t RecordedClock::RecordedMs(uint64_t nowMs) const {
    // A clock read before the interval began (never with a monotonic clock)
    // adds nothing rather than wrapping.
    return m_beforeMs + (m_running && nowMs > m_runSinceMs ? nowMs - m_runSinceMs : 0);
}

int32_t RecordedClock::RecordedSeconds(uint64_t nowMs) const {
    const uint64_t seconds = RecordedMs(nowMs) / 1000;
    return seconds > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(seconds);
}

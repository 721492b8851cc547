// Time stamp of a log line in the host build (tests of the logic only).
#include <chrono>
#include <ctime>

#include "support/log.h"

std::string NowTime() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char clock[200] = {};
    if (localtime_r(&now, &local) == nullptr || std::strftime(clock, sizeof(clock), "%H:%M:%S", &local) == 0)
        return ComposeTimeStamp(nullptr, 0);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count();
    return ComposeTimeStamp(clock, TicksSinceFirstStamp(static_cast<uint32_t>(ms)));
}

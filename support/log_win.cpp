// Time stamp of a log line on Windows: the user's local time and the tick count.
#include <windows.h>

#include "support/log.h"

std::string NowTime() {
    char clock[200] = {};
    if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "HH':'mm':'ss", clock, sizeof(clock)) == 0)
        return ComposeTimeStamp(nullptr, 0);
    return ComposeTimeStamp(clock, TicksSinceFirstStamp(GetTickCount()));
}

// The elapsed recording time as the status bar shows it. No Windows here, so
// the format is tested on the host.
#pragma once

#include <cstdint>
#include <string>

// "hh:mm:ss" for a count of seconds: each field at least two digits, hours
// not limited (360000 gives "100:00:00").
std::wstring FormatElapsed(int32_t seconds);


// The adapter's clock for its sound and its segments: 100-nanosecond units
// from the performance counter, the unit and the origin of the time stamps
// the audio sessions put on their packets.
#pragma once

#include <cstdint>

// Now on the adapter's clock.
int64_t AudioClockNow();

// The adapter's clock at a moment on the system's wall clock, given in
// microseconds since 1970 (how the screen grabber stamps its pictures).
int64_t AudioClockAtSystemTime(int64_t unixMicroseconds);

// The test encoder's status channel (protocol/status.h), spoken as the real
// encoder speaks it: each chosen source opened or failed, then "ready", then
// its level ten times a second; driven by the tests through the
// environment (protocol/environment.h).
#pragma once

#include "protocol/command_line.h"

// Says how the request's sources opened and starts the level lines on a
// thread of their own, writing to standard output.
void StartFakeSound(const EncoderRequest& request);

// The suggested name of a finished recording: "Plumex_" and the local time.
#pragma once

#include <ctime>
#include <string>

// "Plumex_" followed by `localTime` as "%Y-%m-%d_%H%M%S", 8-bit text, no extension.
std::string FormatRecordingName(const std::tm& localTime);

#include "recording/recording_name.h"

std::string FormatRecordingName(const std::tm& localTime) {
    char stamp[80] = {};
    std::strftime(stamp, sizeof(stamp), "%Y-%m-%d_%H%M%S", &localTime);
    return std::string("Plumex_") + stamp;
}

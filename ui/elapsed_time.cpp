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


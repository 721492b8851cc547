#include "app/window_state.h"

HWND StartupHwnd = nullptr;
HWND StatusHwnd = nullptr;
HWND ProcessHwnd = nullptr;
HWND CornerHwnd = nullptr;

int32_t ElapsedSeconds = 0;
std::wstring ElapsedText = L"00:00:00";

std::function<void(const std::wstring&)> ShowElapsedText;

void ResetElapsedTime() {
    ElapsedText = L"00:00:00";
    ElapsedSeconds = 0;
    if (StatusHwnd != nullptr && ShowElapsedText) ShowElapsedText(ElapsedText);
}

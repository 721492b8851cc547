#include "ui/classroom_events_win.h"

#include <wtsapi32.h>

#include "recording/encoder_process_win.h"
#include "support/log.h"
#include "support/unique_win.h"
#include "ui/finish_wait_win.h"
#include "ui/window_state.h"

namespace {

constexpr wchar_t kKeptAndWhatNext[] =
    L"，录像已暂停，已经录下的内容都保留着。点“继续录制”接着录，或点“完成并保存”保存。";

// A pause the PC's sleep made, told once it woke.
bool g_pausedForSleep = false;

void PauseFor(PauseReason reason) {
    if (StatusHwnd != nullptr) SendMessageW(StatusHwnd, kPauseForMessage, static_cast<WPARAM>(reason), 0);
}

LRESULT OnQueryEndSession() {
    if (IsFinishRunning()) {
        // The finish holds the shutdown up: Windows names the reason and
        // lets the teacher decide. Ended anyway, every segment stays.
        TAVRIX_LOG(LevelDebug) << "the Windows session would end during a finish: held up";
        ShutdownBlockReasonCreate(StartupHwnd, kFinishBlocksShutdownText);
        return FALSE;
    }
    PauseFor(PauseReason::SessionEnd);
    return TRUE;
}

LRESULT OnEndSession(bool ending) {
    ShutdownBlockReasonDestroy(StartupHwnd);
    if (!ending) return 0;  // cancelled: a paused recording waits for the teacher
    TAVRIX_LOG(LevelDebug) << "the Windows session ends: the recording is kept for the next start";
    // The segment is closed (the pause has it finished); the encoder keeps
    // every segment once its input closes. Nothing is deleted.
    EncoderProcess::EndForSession();
    return 0;
}

LRESULT OnPower(WPARAM event) {
    if (event == PBT_APMSUSPEND) {
        g_pausedForSleep = StatusHwnd != nullptr && IsWindowVisible(StatusHwnd);
        PauseFor(PauseReason::Suspend);
    } else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
        const bool told = g_pausedForSleep;
        g_pausedForSleep = false;
        // Told once: both resume notices come after a sleep.
        if (told || (StatusHwnd != nullptr && IsWindowVisible(StatusHwnd))) PauseFor(PauseReason::Woke);
    }
    return TRUE;
}

}  // namespace

std::wstring PauseReasonText(PauseReason reason) {
    switch (reason) {
    case PauseReason::Woke: return std::wstring(L"电脑刚才进入了睡眠") + kKeptAndWhatNext;
    case PauseReason::Locked: return std::wstring(L"电脑被锁定了") + kKeptAndWhatNext;
    case PauseReason::SecureDesktop:
        return std::wstring(L"屏幕上弹出了需要确认的系统窗口（用户帐户控制），屏幕暂时录不到") + kKeptAndWhatNext;
    case PauseReason::ScreenLost:
        return std::wstring(L"屏幕暂时录不到了（电脑被锁定，或弹出了需要确认的系统窗口）") + kKeptAndWhatNext;
    case PauseReason::SessionEnd:
    case PauseReason::Suspend:
        break;
    }
    return std::wstring();
}

bool HandleClassroomMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_QUERYENDSESSION: result = OnQueryEndSession(); return true;
    case WM_ENDSESSION:      result = OnEndSession(wParam != FALSE); return true;
    case WM_POWERBROADCAST:  result = OnPower(wParam); return true;
    case WM_WTSSESSION_CHANGE:
        if (wParam == WTS_SESSION_LOCK) PauseFor(PauseReason::Locked);
        result = 0;
        return true;
    default:
        return false;
    }
}

void WatchSessionChanges(HWND window) {
    using Register = BOOL(WINAPI*)(HWND, DWORD);
    static const auto registerWindow = SystemFunction<Register>(L"wtsapi32.dll", "WTSRegisterSessionNotification");
    if (registerWindow == nullptr || !registerWindow(window, NOTIFY_FOR_THIS_SESSION)) {
        TAVRIX_LOG(LevelDebug) << "the lock screen is not reported to the program";
    }
}

void UnwatchSessionChanges(HWND window) {
    using Unregister = BOOL(WINAPI*)(HWND);
    static const auto unregisterWindow = SystemFunction<Unregister>(L"wtsapi32.dll", "WTSUnRegisterSessionNotification");
    if (unregisterWindow != nullptr) unregisterWindow(window);
}

bool InputDesktopIsUsers() {
    const HDESK desktop = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    // The secure desktop refuses to be opened by the user's programs.
    if (desktop == nullptr) return GetLastError() != ERROR_ACCESS_DENIED;
    wchar_t name[64] = {};
    DWORD needed = 0;
    const bool named = GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof(name), &needed) != FALSE;
    CloseDesktop(desktop);
    return !named || (lstrcmpiW(name, L"Winlogon") != 0 && lstrcmpiW(name, L"Screen-saver") != 0);
}

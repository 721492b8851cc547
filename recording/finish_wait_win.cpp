#include "recording/finish_wait_win.h"

#include <cwchar>

#include "protocol/files.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/unique_win.h"

const wchar_t kSavingWindowClass[] = L"TavrixSavingWndClass";

namespace {

const wchar_t kSavingText[] = L"正在保存录像…";
constexpr UINT_PTR kProgressTimerId = 1;
constexpr UINT kProgressPeriodMs = 200;
// A finish quicker than this shows no window at all.
constexpr DWORD kProgressDelayMs = 300;
constexpr int kWidth = 320;
constexpr int kHeight = 96;

// Total size of the segments "<recording>.part*.mkv" beside the recording.
uint64_t SegmentBytes(const std::wstring& recordingPath) {
    uint64_t total = 0;
    for (const FoundFile& file : FilesMatching(SegmentPattern(recordingPath))) total += file.size;
    return total;
}

// The window's state, reached through GWLP_USERDATA.
struct SavingState {
    std::wstring recordingPath;
    uint64_t segmentBytes = 0;  // measured when the window opens
    int percent = -1;           // -1: not measurable (no segments)
    int sweep = 0;              // position of the moving block when not measurable
};

void PaintSaving(HWND window, const SavingState& state) {
    const ScopedPaint paint(window);
    const HDC dc = paint.dc();
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    const ScopedSelect font(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT text = {16, 14, client.right - 16, 40};
    std::wstring line = kSavingText;
    if (state.percent >= 0) line += L" " + std::to_wstring(state.percent) + L"%";
    DrawTextW(dc, line.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    RECT bar = {16, 52, client.right - 16, 70};
    FrameRect(dc, &bar, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&bar, -2, -2);
    RECT done = bar;
    const int width = bar.right - bar.left;
    if (state.percent >= 0) {
        done.right = bar.left + width * state.percent / 100;
    } else {
        const int block = width / 4;
        done.left = bar.left + (state.sweep % (width + block)) - block;
        done.right = done.left + block;
        if (done.left < bar.left) done.left = bar.left;
        if (done.right > bar.right) done.right = bar.right;
    }
    if (done.right > done.left) FillRect(dc, &done, GetSysColorBrush(COLOR_HIGHLIGHT));
}

void UpdateProgress(HWND window, SavingState& state) {
    if (state.segmentBytes > 0) {
        const uint64_t joined = FileSizeOf(state.recordingPath);
        const uint64_t percent = joined * 100 / state.segmentBytes;
        state.percent = static_cast<int>(percent > 99 ? 99 : percent);
    } else {
        state.sweep += 12;
    }
    InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK SavingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* state = reinterpret_cast<SavingState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_TIMER:
        if (state != nullptr) UpdateProgress(window, *state);
        return 0;
    case WM_PAINT:
        if (state != nullptr) {
            PaintSaving(window, *state);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        // Closing cannot stop a join: the window goes when the join is done.
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND OpenSavingWindow(SavingState& state) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = SavingProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_WAIT);
    wc.lpszClassName = kSavingWindowClass;
    RegisterWindowClassOnce(wc);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    state.segmentBytes = SegmentBytes(state.recordingPath);
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSavingWindowClass, kSavingText,
                                  WS_POPUP | WS_BORDER, x, y, kWidth, kHeight, nullptr, nullptr, instance, &state);
    if (window == nullptr) return nullptr;
    SetTimer(window, kProgressTimerId, kProgressPeriodMs, nullptr);
    UpdateProgress(window, state);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

}  // namespace

FinishWait WaitPumping(HANDLE process, DWORD limitMs, const std::wstring& recordingPath) {
    FinishWait result;
    SavingState state;
    state.recordingPath = recordingPath;
    HWND saving = nullptr;
    bool quitSeen = false;
    int quitCode = 0;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const ULONGLONG waited = GetTickCount64() - start;
        if (waited >= limitMs) break;
        if (saving == nullptr && !recordingPath.empty() && waited >= kProgressDelayMs) saving = OpenSavingWindow(state);
        DWORD slice = static_cast<DWORD>(limitMs - waited);
        if (saving == nullptr && !recordingPath.empty() && slice > kProgressDelayMs) slice = kProgressDelayMs;
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &process, slice, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) {
            result.ended = true;
            break;
        }
        if (woke == WAIT_FAILED) {
            result.ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
            break;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quitSeen = true;
                quitCode = static_cast<int>(msg.wParam);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (result.ended) GetExitCodeProcess(process, &result.exitCode);
    if (saving != nullptr) DestroyWindow(saving);
    // The program's own loop ends on the quit message: it must still see it.
    if (quitSeen) PostQuitMessage(quitCode);
    return result;
}

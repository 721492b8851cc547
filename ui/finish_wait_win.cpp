#include "ui/finish_wait_win.h"

#include <cwchar>

#include "protocol/files.h"
#include "support/files_win.h"
#include "support/unique_win.h"
#include "uilib/uilib.h"

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

// The progress window: one of the program's windows, its object reached
// through the library's window procedure.
class SavingWindow : public CWindowWnd {
public:
    explicit SavingWindow(const std::wstring& recordingPath) : m_recordingPath(recordingPath) {}
    // Shows the window over the middle of the primary screen; false when it
    // could not be made (the wait goes on without it).
    bool Open();

protected:
    const wchar_t* GetWindowClassName() const override { return kSavingWindowClass; }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void UpdateProgress();
    LRESULT OnPaint();
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);

    std::wstring m_recordingPath;
    uint64_t m_segmentBytes = 0;  // measured when the window opens
    int m_percent = -1;           // -1: not measurable (no segments)
    int m_sweep = 0;              // position of the moving block when not measurable
};

bool SavingWindow::Open() {
    const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    m_segmentBytes = SegmentBytes(m_recordingPath);
    if (Create(nullptr, kSavingText, WS_POPUP | WS_BORDER, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, x, y, kWidth, kHeight) ==
        nullptr)
        return false;
    SetTimer(m_hWnd, kProgressTimerId, kProgressPeriodMs, nullptr);
    UpdateProgress();
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);
    UpdateWindow(m_hWnd);
    return true;
}

LRESULT SavingWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: UpdateProgress(); return 0;
    case WM_PAINT: return OnPaint();
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR: return OnSetCursor(wParam, lParam);
    // Closing cannot stop a join: the window goes when the join is done.
    case WM_CLOSE: return 0;
    default: return CWindowWnd::HandleMessage(message, wParam, lParam);
    }
}

LRESULT SavingWindow::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    // The hourglass over the window: the program is busy saving.
    if (LOWORD(lParam) != HTCLIENT) return CWindowWnd::HandleMessage(WM_SETCURSOR, wParam, lParam);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return TRUE;
}

LRESULT SavingWindow::OnPaint() {
    const ScopedPaint paint(m_hWnd);
    const HDC dc = paint.dc();
    RECT client;
    GetClientRect(m_hWnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    const ScopedSelect font(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT text = {16, 14, client.right - 16, 40};
    std::wstring line = kSavingText;
    if (m_percent >= 0) line += L" " + std::to_wstring(m_percent) + L"%";
    DrawTextW(dc, line.c_str(), -1, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    RECT bar = {16, 52, client.right - 16, 70};
    FrameRect(dc, &bar, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&bar, -2, -2);
    RECT done = bar;
    const int width = bar.right - bar.left;
    if (m_percent >= 0) {
        done.right = bar.left + width * m_percent / 100;
    } else {
        const int block = width / 4;
        done.left = bar.left + (m_sweep % (width + block)) - block;
        done.right = done.left + block;
        if (done.left < bar.left) done.left = bar.left;
        if (done.right > bar.right) done.right = bar.right;
    }
    if (done.right > done.left) FillRect(dc, &done, GetSysColorBrush(COLOR_HIGHLIGHT));
    return 0;
}

void SavingWindow::UpdateProgress() {
    if (m_segmentBytes > 0) {
        const uint64_t joined = FileSizeOf(m_recordingPath);
        const uint64_t percent = joined * 100 / m_segmentBytes;
        m_percent = static_cast<int>(percent > 99 ? 99 : percent);
    } else {
        m_sweep += 12;
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

}  // namespace

FinishWait WaitPumping(HANDLE process, DWORD limitMs, const std::wstring& recordingPath) {
    FinishWait result;
    SavingWindow saving(recordingPath);
    bool opened = false;
    bool quitSeen = false;
    int quitCode = 0;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const ULONGLONG waited = GetTickCount64() - start;
        if (waited >= limitMs) break;
        if (!opened && !recordingPath.empty() && waited >= kProgressDelayMs) opened = saving.Open();
        DWORD slice = static_cast<DWORD>(limitMs - waited);
        if (!opened && !recordingPath.empty() && slice > kProgressDelayMs) slice = kProgressDelayMs;
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
    if (saving.GetHWND() != nullptr) DestroyWindow(saving.GetHWND());
    // The program's own loop ends on the quit message: it must still see it.
    if (quitSeen) PostQuitMessage(quitCode);
    return result;
}

ProcessWait PumpingWait() {
    return [](HANDLE process, DWORD limitMs) { return WaitPumping(process, limitMs).ended; };
}

ProcessWait FinishingWait(const std::wstring& recordingPath) {
    return [recordingPath](HANDLE process, DWORD limitMs) { return WaitPumping(process, limitMs, recordingPath).ended; };
}

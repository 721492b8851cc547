#include "encoder/session_end_win.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "support/log.h"
#include "support/unique_win.h"

const wchar_t kSessionEndWindowClass[] = L"TavrixEncoderSessionWndClass";

struct SessionEndWatch::Shared {
    std::function<void()> onEnd;
    UniqueHandle ready;  // the window exists (or could not be made)
    UniqueHandle done;   // Done() was called
    std::atomic<HWND> window{nullptr};
    std::atomic<bool> ended{false};
    std::thread thread;

    // Once per session end, however Windows says it.
    void SessionEnds() {
        if (ended.exchange(true)) {
            WaitForSingleObject(done.get(), kEndSessionWaitMs);
            return;
        }
        TAVRIX_LOG(LevelInfo) << "the Windows session ends: the segment is finished and the lesson kept";
        if (onEnd) onEnd();
        WaitForSingleObject(done.get(), kEndSessionWaitMs);
    }
};

namespace {

// The console's notice reaches a handler that cannot be given data.
std::mutex g_consoleMutex;
std::weak_ptr<SessionEndWatch::Shared> g_consoleWatch;

BOOL WINAPI OnConsoleEvent(DWORD event) noexcept {
    if (event != CTRL_SHUTDOWN_EVENT && event != CTRL_LOGOFF_EVENT) return FALSE;
    std::shared_ptr<SessionEndWatch::Shared> shared;
    {
        std::lock_guard<std::mutex> lock(g_consoleMutex);
        shared = g_consoleWatch.lock();
    }
    if (shared) shared->SessionEnds();
    return TRUE;
}

LRESULT CALLBACK SessionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* shared = reinterpret_cast<SessionEndWatch::Shared*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        break;
    case WM_QUERYENDSESSION:
        return TRUE;  // Tavrix holds a finish up; the encoder never refuses by itself
    case WM_ENDSESSION:
        if (wParam != FALSE && shared != nullptr) shared->SessionEnds();
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RunWindow(SessionEndWatch::Shared* shared) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = SessionProc;
    wc.hInstance = instance;
    wc.lpszClassName = kSessionEndWindowClass;
    RegisterClassExW(&wc);
    // A top-level window, never shown: a message-only window is not told of the session's end.
    const HWND window = CreateWindowExW(0, kSessionEndWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        instance, shared);
    shared->window = window;
    SetEvent(shared->ready.get());
    if (window == nullptr) return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

}  // namespace

SessionEndWatch::SessionEndWatch(std::function<void()> onEnd) : m_shared(std::make_shared<Shared>()) {
    m_shared->onEnd = std::move(onEnd);
    m_shared->ready.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_shared->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!m_shared->ready || !m_shared->done) return;
    m_shared->thread = std::thread(RunWindow, m_shared.get());
    WaitForSingleObject(m_shared->ready.get(), 5000);
    {
        std::lock_guard<std::mutex> lock(g_consoleMutex);
        g_consoleWatch = m_shared;
    }
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

SessionEndWatch::~SessionEndWatch() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    Done();
    if (const HWND window = m_shared->window.load()) PostMessageW(window, WM_CLOSE, 0, 0);
    if (m_shared->thread.joinable()) m_shared->thread.join();
}

void SessionEndWatch::Done() {
    if (m_shared->done) SetEvent(m_shared->done.get());
}

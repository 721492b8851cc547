// What the recording-flow tests share: a stand-in startup window, a scratch
// recording path for the test encoder, a message pump that notices the quit
// message, clicks on skin controls through real mouse messages, and a
// watcher that answers message boxes and dialogs from a second thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/win/win_test_support.h"

class SkinnedFrame;
class CControlUI;

// Pumps the thread's messages for `ms`; true when WM_QUIT came by.
bool Pump(DWORD ms);
// Pumps until `condition` holds; false when `timeoutMs` passed first.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Whether a WM_QUIT was seen by any pump since the last call.
bool TakeQuitSeen();

// A plain top-level window standing in for the startup window: it counts the
// WM_CLOSE messages it gets and stays open. It becomes StartupHwnd.
class StandInStartup {
public:
    StandInStartup();
    ~StandInStartup();
    HWND Handle() const { return m_window; }
    int Closes() const;
    bool Visible() const { return IsWindowVisible(m_window) != FALSE; }
private:
    HWND m_window = nullptr;
};

// Sets the process-wide pieces a recording needs: the skin folder, a fresh
// RecordingPath in a scratch folder, a small capture area without sound.
// Ends every encoder left over at scope end.
class FlowEnvironment {
public:
    FlowEnvironment();
    ~FlowEnvironment();
    std::wstring RecordingFile() const;
    // The test encoder's side file: one "<ms> <event>" line per event.
    std::vector<std::string> EncoderEvents() const;
    // How many times the encoder received this two-byte command ("p\n" ...).
    int CommandsReceived(const char* command) const;
    std::wstring Folder() const { return m_folder; }
private:
    std::wstring m_folder;
    std::wstring m_sideFile;
};

// The control of that name in a frame's skin (null when absent).
CControlUI* Control(SkinnedFrame& frame, const wchar_t* name);
std::wstring ControlText(SkinnedFrame& frame, const wchar_t* name);
// Presses a control with the mouse: move, button down and up at its centre,
// posted to the frame's window; the caller pumps.
void Click(SkinnedFrame& frame, const wchar_t* name);

// The first window of a class (visible or not) owned by this process.
HWND FindOwnWindow(const wchar_t* className);
int CountOwnWindows(const wchar_t* className);
// The topmost visible top-level window of this process.
HWND TopOwnWindow();

// The dialog watcher of the engine tests, closing each box with `button`
// (IDOK by default; a box without that button gets OK).
using SeenBox = SeenDialog;
class BoxWatcher : public DialogWatcher {
public:
    explicit BoxWatcher(std::function<std::wstring()> onSeen = nullptr, int button = IDOK);
};

#include <gtest/gtest.h>

class CReadyFrameWnd;
class RecStatusFrame;
class CRecProcessFrameWnd;

// A recording flow in one test process: the environment, the stand-in
// startup window, and the countdown this test started.
class FlowTest : public testing::Test {
protected:
    void TearDown() override;

    // A new countdown as the tip window makes it (the previous one is
    // discarded first, as a new start does).
    CReadyFrameWnd* StartCountdown();
    // Runs a countdown to its end: asserts that the encoder records and the
    // status bar is up.
    void RecordUntilBarShown();
    // Waits for this many more ticks of the elapsed-time timer.
    bool WaitTicks(int ticks);

    RecStatusFrame& Bar() { return *m_bar; }
    CRecProcessFrameWnd& After();

    FlowEnvironment env;
    StandInStartup startup;
    CReadyFrameWnd* m_ready = nullptr;
    RecStatusFrame* m_bar = nullptr;
};

// What the tests of the skinned windows share, on top of win_test_support.h:
// skin files in a scratch folder, a frame window the test describes, clicks
// on skin controls; and for the recording flow a stand-in startup window, a
// scratch recording path for the test encoder and a fixture that runs a
// countdown to the status bar.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/win/win_test_support.h"
#include "ui/skinned_frame.h"

// A scratch folder that is the library's resource path while it lives.
class SkinFolder {
public:
    SkinFolder();
    ~SkinFolder();

    // Writes UTF-8 bytes as they are.
    void Write(const std::wstring& name, const std::string& bytes);
    const std::wstring& Path() const { return m_path; }

private:
    SkinFolder(const SkinFolder&) = delete;
    SkinFolder& operator=(const SkinFolder&) = delete;

    std::wstring m_path;
    std::wstring m_previous;
    std::vector<std::wstring> m_files;
};

// A frame whose description the test gives, recording what happens to it.
class TestFrame : public SkinnedFrame {
public:
    explicit TestFrame(FrameDescription description) : m_description(std::move(description)) {}
    ~TestFrame() override { ++Deleted(); }

    static int& Deleted();

    std::vector<std::wstring> log;            // "before", "ready", "discard", "<type>:<sender>"
    std::vector<bool> selectedAtClick;        // an option's selection when its click arrived
    std::function<void(TNotifyUI&)> onNotify; // extra reaction to a notification
    int ownMessages = 0;                      // messages that reached HandleOwnMessage
    HWND paintWindowBeforeSkin = nullptr;
    bool controlsBeforeSkin = false;

    const FrameDescription& Description() const override { return m_description; }

protected:
    void OnBeforeSkin() override;
    void OnSkinReady() override { log.push_back(L"ready"); }
    LRESULT HandleOwnMessage(UINT, WPARAM, LPARAM, bool& handled) override;
    void DiscardOwnedWindows() override { log.push_back(L"discard"); }
    void Notify(TNotifyUI& msg) override;

private:
    FrameDescription m_description;
};

// A description like the windows': all handlers, nothing closes the program.
FrameDescription PlainDescription(const wchar_t* skin);

// Centre of a control, in client coordinates.
POINT CenterOf(CControlUI* control);
LPARAM PointParam(POINT pt);
// A left click at a client point, as the window's messages, sent.
void ClickAt(HWND hwnd, POINT pt);

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

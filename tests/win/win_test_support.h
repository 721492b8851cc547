// What every Windows test shares: scratch folders and files, the log
// captured into a file, environment settings undone at scope end, message
// pumps and waits, the program's own windows and their pixels, real mouse and
// keyboard input, a watcher that answers dialogs and message boxes from a
// second thread, GDI+ for the program, and readers for the test encoder's
// AVI and side files. One header, one library (tavrix_win_test_support).
#pragma once

#include <windows.h>
#include <objidl.h>  // PROPID and IStream, left out by WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A new empty folder under the temporary folder, path ending in a backslash.
std::wstring MakeScratchFolder(const std::wstring& name);
std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// The folder of the running test program, ending in a backslash.
std::wstring TestProgramFolder();
// Handles open in this process. GetProcessHandleCount where it counts; Wine's
// answers 0, so there every small handle value is asked about instead.
DWORD OpenHandleCount();

// Waits until `condition` holds, polling; false when `timeoutMs` passed first.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);

// Dispatches the thread's messages for `ms`; true when WM_QUIT came by (it
// is taken off the queue and noted for TakeQuitSeen).
bool Pump(DWORD ms);
// Pumps until `condition` holds; false when `timeoutMs` passed first.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Whether a WM_QUIT was seen by any pump since the last call.
bool TakeQuitSeen();
// Handles every message already waiting on this thread; a quit message is
// put back for TakeQuitCode.
void PumpMessages();
// The exit code of a posted quit message, taken off the queue; -1000 when none.
int TakeQuitCode();

// The first window of a class (visible or not) owned by this process; with
// a null class, any.
HWND FindOwnWindow(const wchar_t* className);
int CountOwnWindows(const wchar_t* className);
// The topmost visible top-level window of this process.
HWND TopOwnWindow();
// Two rectangles alike, or what each was.
testing::AssertionResult SameRect(const RECT& got, const RECT& want);
// A pixel of a window's client area; of the screen as X shows it (what a
// user sees, layering applied) with a null window.
COLORREF PixelOf(HWND hwnd, int x, int y);
COLORREF ScreenPixel(int x, int y);

// Real input: moves the pointer to screen pixel (x, y), then the given
// buttons (MOUSEEVENTF_LEFTDOWN ...); a key pressed and released. Both pump
// a moment after.
void MouseAt(int x, int y, DWORD buttons = 0);
void KeyPress(WORD vk);

// GDI+ for the whole test program, started once as the program's entry
// starts it (the windows draw with it; the library never starts it). Call at
// namespace scope in each file that draws: the first call registers it.
bool StartGdiplusForTests();
// Writes a PNG of w x h pixels: `colour` (ARGB) with a one-pixel frame of `frame`.
bool WritePng(const std::wstring& path, int w, int h, Gdiplus::ARGB colour, Gdiplus::ARGB frame);

// Sends the log into a file for the scope's life; Messages() gives each
// line's message (the text after "DEBUG: ") and checks the line's form.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::vector<std::string> Messages();
    const std::wstring& Path() const { return m_path; }
private:
    std::wstring m_path;
    FILE* m_file = nullptr;
    FILE* m_previous = nullptr;
};

// Sets an environment variable (inherited by children) until scope end.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~ScopedEnvironment();
private:
    std::wstring m_name;
};

// One dialog or message box the watcher found.
struct SeenDialog {
    std::wstring caption;
    std::wstring text;       // a message box's text; "" for other dialogs
    bool messageBox = false;
    bool errorIcon = false;  // the system's error icon is shown
    std::wstring note;       // what the watcher's `note` returned while it was up
};

// Answers every dialog box (class #32770) this process shows, from a second
// thread, in the order they appear: `note` runs while the box is up (to note
// what the program's state is then), `answer` gets the window and what was
// seen, and posts the reply. By default it presses OK.
class DialogWatcher {
public:
    using Answer = std::function<void(HWND, const SeenDialog&)>;
    using Note = std::function<std::wstring()>;
    explicit DialogWatcher(Answer answer = nullptr, Note note = nullptr);
    ~DialogWatcher();
    std::vector<SeenDialog> Seen();
private:
    void Watch();
    Answer m_answer;
    Note m_note;
    std::mutex m_lock;
    std::vector<SeenDialog> m_seen;
    std::vector<HWND> m_answered;
    bool m_stop = false;
    std::thread m_thread;
};
void PressButton(HWND dialog, int id);

// The watcher closing each box with `button` (IDOK by default; a box
// without that button gets OK).
class BoxWatcher : public DialogWatcher {
public:
    explicit BoxWatcher(std::function<std::wstring()> onSeen = nullptr, int button = IDOK);
};
// The Save dialog's file name field: sets it and returns what it held.
std::wstring ReplaceFileNameField(HWND dialog, const std::wstring& name);

// What an AVI of the test encoder holds.
struct AviContents {
    bool valid = false;            // RIFF AVI with a header and a "movi" list
    uint32_t headerFrames = 0;     // the frame count the header states
    uint32_t indexEntries = 0;     // entries of the index, 0 when there is none
    std::vector<uint32_t> stamps;  // per frame chunk: ms since the encoder started
};
AviContents ReadAvi(const std::wstring& path);

// The test encoder's side file, one entry per line after the time stamp.
std::vector<std::string> SideFileEvents(const std::wstring& path);

// Helpers for the engine's Windows tests: scratch folders, files, the log
// captured into a file, environment settings undone at scope end, a watcher
// that answers dialogs and message boxes from a second thread, and a reader
// for the test encoder's AVI files.
#pragma once

#include <windows.h>

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

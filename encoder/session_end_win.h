// The end of the Windows session (shutdown, restart, log-off) as the encoder
// sees it. The encoder owns the core that writes the segment: when the
// session ends while it records, it finishes that segment cleanly and keeps
// the lesson for the next start, whatever order Windows tells its programs in.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

// A hidden top-level window on a thread of its own (a window that Windows
// tells of the session's end, and the console's shutdown notice besides).
// When the session ends, `onEnd` runs on that thread; the answer to Windows
// then waits until Done() (up to kEndSessionWaitMs): once it is given,
// Windows may end the encoder at any moment.
class SessionEndWatch {
public:
    explicit SessionEndWatch(std::function<void()> onEnd);
    ~SessionEndWatch();
    SessionEndWatch(const SessionEndWatch&) = delete;
    SessionEndWatch& operator=(const SessionEndWatch&) = delete;

    // What had to be finished is finished: the session may end.
    void Done();

    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
};

// How long the end of the session waits for Done: long enough for a core
// to finish its segment, short of the time Windows gives before it asks the
// user about programs that hold it up.
constexpr DWORD kEndSessionWaitMs = 4000;

// The hidden window's class, for tests that send it the session's end.
extern const wchar_t kSessionEndWindowClass[];

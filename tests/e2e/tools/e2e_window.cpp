// A probe the end-to-end tests run beside the program under test: it finds
// the program's windows by their window class (and text), waits for them to
// appear or go, and prints what a test needs of them in UTF-8 on stdout.
//
//   e2e_window find <class> <text|*> [timeoutMs]   "x y width height" of the client area on screen
//   e2e_window gone <class> <text|*> [timeoutMs]   waits until no such window is visible
//   e2e_window message <caption> [timeoutMs]       the text of a visible message box
//   e2e_window exists <class> <text|*>             exit 0 when such a window exists (shown or not)
//   e2e_window child <class> <text|*> <childText>  "x y width height" of a child window on screen
//   e2e_window workarea                            "left top right bottom" of the screen's work area
//   e2e_window monitors                            "left top right bottom" of every monitor, the primary
//                                                  first, separated by ", "
//   e2e_window tell <class> <event>                tells every top-level window of the class (shown or
//                                                  not) what Windows tells it: queryend (the answer is
//                                                  printed, 1 lets the session end), end (the session
//                                                  ends), lock, unlock, suspend, resume
//   e2e_window sleep [ms]                          only waits (copied as a stray process)
//   e2e_window serve                               answers requests read from stdin (see Serve)
//
// Exit code 0 when found (or gone), 1 on timeout, 2 on bad arguments.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    const wchar_t* className;
    const wchar_t* text;  // null: any text
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t name[256] = {};
    if (search->className != nullptr) {
        GetClassNameW(window, name, 256);
        if (lstrcmpW(name, search->className) != 0) return TRUE;
    }
    if (search->text != nullptr) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (lstrcmpW(text, search->text) != 0) return TRUE;
    }
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(const wchar_t* className, const wchar_t* text, bool visibleOnly) {
    Search search{className, text, visibleOnly, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

void Print(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    bytes += "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

DWORD Timeout(int argc, const wchar_t* const* argv, int at) {
    return argc > at ? static_cast<DWORD>(std::wcstoul(argv[at], nullptr, 10)) : 10000;
}

// Polls every 20 ms until `ready` holds or the time is up.
template <class Ready>
bool WaitFor(DWORD timeoutMs, Ready ready) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (ready()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

const wchar_t* TextArgument(const wchar_t* text) {
    return lstrcmpW(text, L"*") == 0 ? nullptr : text;
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    const std::wstring text = std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
                              std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom);
    auto* out = reinterpret_cast<std::wstring*>(param);
    const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    if (out->empty()) *out = text;
    else *out = primary ? text + L", " + *out : *out + L", " + text;
    return TRUE;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, L"Static") != 0) return TRUE;
    wchar_t text[1024] = {};
    GetWindowTextW(child, text, 1024);
    auto* out = reinterpret_cast<std::wstring*>(param);
    if (text[0] != 0) {
        if (!out->empty()) *out += L" ";
        *out += text;
    }
    return TRUE;
}

struct Told {
    const wchar_t* className;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::wstring answers;
};

BOOL CALLBACK Tell(HWND window, LPARAM param) {
    auto* told = reinterpret_cast<Told*>(param);
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    if (lstrcmpW(name, told->className) != 0) return TRUE;
    // Sent and waited for, as Windows sends them: the session ends once every answer came.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, told->message, told->wParam, told->lParam, SMTO_NORMAL, 30000, &answer);
    if (!told->answers.empty()) told->answers += L" ";
    told->answers += std::to_wstring(answer);
    return TRUE;
}

// The messages of the session's end, the lock screen and sleep.
bool TellEvent(const wchar_t* className, const std::wstring& event, std::wstring& output) {
    Told told{className, 0, 0, 0, std::wstring()};
    if (event == L"queryend") told = {className, WM_QUERYENDSESSION, 0, static_cast<LPARAM>(ENDSESSION_LOGOFF), std::wstring()};
    else if (event == L"end") told = {className, WM_ENDSESSION, TRUE, static_cast<LPARAM>(ENDSESSION_LOGOFF), std::wstring()};
    else if (event == L"lock") told = {className, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1, std::wstring()};
    else if (event == L"unlock") told = {className, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1, std::wstring()};
    else if (event == L"suspend") told = {className, WM_POWERBROADCAST, PBT_APMSUSPEND, 0, std::wstring()};
    else if (event == L"resume") told = {className, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, std::wstring()};
    else return false;
    EnumWindows(Tell, reinterpret_cast<LPARAM>(&told));
    output = told.answers;
    return !output.empty();
}

// Runs one request; what it prints goes to `output`.
int Run(const std::vector<std::wstring>& args, std::wstring& output) {
    const int argc = static_cast<int>(args.size());
    if (argc < 2) return 2;
    std::vector<const wchar_t*> pointers;
    for (const std::wstring& arg : args) pointers.push_back(arg.c_str());
    const wchar_t* const* argv = pointers.data();
    const std::wstring verb = argv[1];
    if (verb == L"sleep") {
        Sleep(argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 600000);
        return 0;
    }
    if (verb == L"message" && argc >= 3) {
        HWND box = nullptr;
        if (!WaitFor(Timeout(argc, argv, 3), [&] { return (box = FindTopLevel(L"#32770", argv[2], true)) != nullptr; }))
            return 1;
        EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&output));
        return 0;
    }
    if (verb == L"workarea") {
        RECT area = {};
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return 1;
        output = std::to_wstring(area.left) + L" " + std::to_wstring(area.top) + L" " + std::to_wstring(area.right) +
                 L" " + std::to_wstring(area.bottom);
        return 0;
    }
    if (verb == L"monitors") {
        EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&output));
        return output.empty() ? 1 : 0;
    }
    if (argc < 4) return 2;
    const wchar_t* className = argv[2];
    const wchar_t* text = TextArgument(argv[3]);
    if (verb == L"exists") return FindTopLevel(className, text, false) != nullptr ? 0 : 1;
    if (verb == L"tell") return TellEvent(className, argv[3], output) ? 0 : 1;
    if (verb == L"gone")
        return WaitFor(Timeout(argc, argv, 4), [&] { return FindTopLevel(className, text, true) == nullptr; }) ? 0 : 1;
    if (verb == L"child" && argc >= 5) {
        HWND child = nullptr;
        const bool found = WaitFor(Timeout(argc, argv, 5), [&] {
            const HWND parent = FindTopLevel(className, text, true);
            child = parent != nullptr ? FindWindowExW(parent, nullptr, nullptr, argv[4]) : nullptr;
            return child != nullptr && IsWindowVisible(child);
        });
        if (!found) return 1;
        RECT box = {};
        GetWindowRect(child, &box);
        output = std::to_wstring(box.left) + L" " + std::to_wstring(box.top) + L" " +
                 std::to_wstring(box.right - box.left) + L" " + std::to_wstring(box.bottom - box.top);
        return 0;
    }
    if (verb == L"find") {
        HWND window = nullptr;
        if (!WaitFor(Timeout(argc, argv, 4), [&] { return (window = FindTopLevel(className, text, true)) != nullptr; }))
            return 1;
        RECT client = {};
        GetClientRect(window, &client);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        output = std::to_wstring(origin.x) + L" " + std::to_wstring(origin.y) + L" " + std::to_wstring(client.right) +
                 L" " + std::to_wstring(client.bottom);
        return 0;
    }
    return 2;
}

// One request a line on standard input, its words separated by tabs (UTF-8);
// one answer a line: "<exit code>" and, after a tab, what the request printed.
// Saves a Wine process start per question.
int Serve() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::string line;
    char c = 0;
    DWORD got = 0;
    while (ReadFile(input, &c, 1, &got, nullptr) && got == 1) {
        if (c == '\r') continue;
        if (c != '\n') {
            line += c;
            continue;
        }
        std::vector<std::wstring> args{L"e2e_window"};
        size_t start = 0;
        while (start <= line.size()) {
            size_t tab = line.find('\t', start);
            if (tab == std::string::npos) tab = line.size();
            args.push_back(FromUtf8(line.substr(start, tab - start)));
            start = tab + 1;
        }
        line.clear();
        std::wstring output;
        const int code = Run(args, output);
        // One answer, one line: a box's text may hold line breaks.
        for (wchar_t& ch : output)
            if (ch == L'\r' || ch == L'\n') ch = L' ';
        Print(std::to_wstring(code) + L"\t" + output);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wstring(argv[1]) == L"serve") return Serve();
    std::vector<std::wstring> args(argv, argv + argc);
    std::wstring output;
    const int code = Run(args, output);
    if (code == 0 && !output.empty()) Print(output);
    return code;
}

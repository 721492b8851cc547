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
//   e2e_window sleep [ms]                          only waits (copied as a stray process)
//
// Exit code 0 when found (or gone), 1 on timeout, 2 on bad arguments.
#include <windows.h>

#include <cstdlib>
#include <string>

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

void Print(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    bytes += "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

DWORD Timeout(int argc, wchar_t** argv, int at) {
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring verb = argv[1];
    if (verb == L"sleep") {
        Sleep(argc > 2 ? static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)) : 600000);
        return 0;
    }
    if (verb == L"message" && argc >= 3) {
        HWND box = nullptr;
        if (!WaitFor(Timeout(argc, argv, 3), [&] { return (box = FindTopLevel(L"#32770", argv[2], true)) != nullptr; }))
            return 1;
        std::wstring text;
        EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&text));
        Print(text);
        return 0;
    }
    if (verb == L"workarea") {
        RECT area = {};
        if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return 1;
        Print(std::to_wstring(area.left) + L" " + std::to_wstring(area.top) + L" " + std::to_wstring(area.right) +
              L" " + std::to_wstring(area.bottom));
        return 0;
    }
    if (argc < 4) return 2;
    const wchar_t* className = argv[2];
    const wchar_t* text = TextArgument(argv[3]);
    if (verb == L"exists") return FindTopLevel(className, text, false) != nullptr ? 0 : 1;
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
        Print(std::to_wstring(box.left) + L" " + std::to_wstring(box.top) + L" " + std::to_wstring(box.right - box.left) +
              L" " + std::to_wstring(box.bottom - box.top));
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
        Print(std::to_wstring(origin.x) + L" " + std::to_wstring(origin.y) + L" " + std::to_wstring(client.right) +
              L" " + std::to_wstring(client.bottom));
        return 0;
    }
    return 2;
}

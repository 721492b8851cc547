#include "tests/win/win_test_support.h"

#include <algorithm>
#include <memory>

#include "support/log.h"
#include "support/unique_win.h"

namespace {

bool g_quitSeen = false;

// The lines of a text, split at `lineEnd` (which they lose).
std::vector<std::string> LinesOf(const std::string& text, const std::string& lineEnd) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(lineEnd, at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + lineEnd.size();
    }
    return lines;
}

uint32_t U32At(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return v;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0)
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

struct OwnWindows {
    const wchar_t* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwn(HWND window, LPARAM param) noexcept {
    auto* own = reinterpret_cast<OwnWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != GetCurrentProcessId()) return TRUE;
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    if (own->className == nullptr || wcscmp(name, own->className) == 0) own->found.push_back(window);
    return TRUE;
}

std::vector<HWND> OwnWindowsOf(const wchar_t* className) {
    OwnWindows own{className, {}};
    EnumWindows(CollectOwn, reinterpret_cast<LPARAM>(&own));
    return own.found;
}

class GdiplusEnvironment : public testing::Environment {
public:
    void SetUp() override {
        m_gdiplus = std::make_unique<ScopedGdiplus>();
        ASSERT_TRUE(m_gdiplus->ok());
    }
    void TearDown() override { m_gdiplus.reset(); }

private:
    std::unique_ptr<ScopedGdiplus> m_gdiplus;
};

}  // namespace

std::wstring MakeScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    // Process ids repeat from one test program to the next: a folder that
    // exists already belongs to an earlier one, so the next number is taken.
    for (unsigned number = GetTickCount() % 100000;; ++number) {
        const std::wstring folder = std::wstring(temp) + L"tavrix-" + name + L"-" + std::to_wstring(number) + L"\\";
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return folder;
    }
}

std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring TestProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

DWORD OpenHandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
    // Handle values are handed out lowest free first, so a leak shows below this.
    for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

bool Pump(DWORD ms) {
    bool quit = false;
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                g_quitSeen = true;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
    return quit;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD end = GetTickCount() + timeoutMs;
    while (!condition()) {
        if (static_cast<LONG>(end - GetTickCount()) <= 0) return false;
        Pump(10);
    }
    return true;
}

bool TakeQuitSeen() {
    const bool seen = g_quitSeen;
    g_quitSeen = false;
    return seen;
}

void PumpMessages() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int TakeQuitCode() {
    MSG msg{};
    if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(msg.wParam);
    return -1000;
}

HWND FindOwnWindow(const wchar_t* className) {
    const std::vector<HWND> found = OwnWindowsOf(className);
    return found.empty() ? nullptr : found.front();
}

int CountOwnWindows(const wchar_t* className) { return static_cast<int>(OwnWindowsOf(className).size()); }

HWND TopOwnWindow() {
    for (HWND window : OwnWindowsOf(nullptr)) {  // EnumWindows goes from the top down
        if (IsWindowVisible(window)) return window;
    }
    return nullptr;
}

testing::AssertionResult SameRect(const RECT& got, const RECT& want) {
    if (EqualRect(&got, &want)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "got (" << got.left << "," << got.top << "," << got.right << ","
                                       << got.bottom << ") want (" << want.left << "," << want.top << ","
                                       << want.right << "," << want.bottom << ")";
}

COLORREF PixelOf(HWND hwnd, int x, int y) {
    const ScopedWindowDC dc(hwnd);
    return GetPixel(dc.get(), x, y);
}

COLORREF ScreenPixel(int x, int y) { return PixelOf(nullptr, x, y); }

void MouseAt(int x, int y, DWORD buttons) {
    SetCursorPos(x, y);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &in, sizeof(INPUT));
    if (buttons != 0) {
        in.mi.dwFlags = buttons;
        SendInput(1, &in, sizeof(INPUT));
    }
    Pump(40);
}

void KeyPress(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Pump(40);
}

bool StartGdiplusForTests() {
    static const bool registered = testing::AddGlobalTestEnvironment(new GdiplusEnvironment) != nullptr;
    return registered;
}

bool WritePng(const std::wstring& path, int w, int h, Gdiplus::ARGB colour, Gdiplus::ARGB frame) {
    using namespace Gdiplus::DllExports;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok) return false;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            GdipBitmapSetPixel(bitmap, x, y, (x == 0 || y == 0 || x == w - 1 || y == h - 1) ? frame : colour);
    // The PNG encoder of GDI+.
    const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    const bool ok = GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr) == Gdiplus::Ok;
    GdipDisposeImage(bitmap);
    return ok;
}

LogCapture::LogCapture() : m_path(MakeScratchFolder(L"log") + L"tavrix.log") {
    m_file = _wfopen(m_path.c_str(), L"a");
    m_previous = Output2FILE::Target();
    Output2FILE::Target() = m_file;
}

LogCapture::~LogCapture() {
    Output2FILE::Target() = m_previous;
    if (m_file != nullptr) fclose(m_file);
}

std::vector<std::string> LogCapture::Messages() {
    std::vector<std::string> messages;
    for (const std::string& line : LinesOf(ReadWholeFile(m_path), "\r\n")) {
        // "- HH:MM:SS.mmm DEBUG: message"
        const size_t level = line.find(" DEBUG: ");
        if (line.rfind("- ", 0) != 0 || level == std::string::npos) {
            messages.push_back("<malformed> " + line);
            continue;
        }
        messages.push_back(line.substr(level + 8));
    }
    return messages;
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value) : m_name(name) {
    SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() { SetEnvironmentVariableW(m_name.c_str(), nullptr); }

DialogWatcher::DialogWatcher(Answer answer, Note note)
    : m_answer(answer ? std::move(answer) : [](HWND dialog, const SeenDialog&) { PressButton(dialog, IDOK); }),
      m_note(std::move(note)),
      m_thread([this] { Watch(); }) {}

DialogWatcher::~DialogWatcher() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_stop = true;
    }
    m_thread.join();
}

std::vector<SeenDialog> DialogWatcher::Seen() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_seen;
}

void DialogWatcher::Watch() {
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            if (m_stop) return;
            m_answered.erase(std::remove_if(m_answered.begin(), m_answered.end(), [](HWND w) { return !IsWindow(w); }),
                             m_answered.end());
        }
        std::vector<HWND> found;
        EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
        for (HWND window : found) {
            {
                std::lock_guard<std::mutex> hold(m_lock);
                if (std::find(m_answered.begin(), m_answered.end(), window) != m_answered.end()) continue;
                m_answered.push_back(window);
            }
            Sleep(150);  // let the box finish showing before it is answered
            SeenDialog seen;
            seen.caption = WindowText(window);
            HWND text = GetDlgItem(window, 0xFFFF);
            seen.messageBox = text != nullptr;
            if (text != nullptr) seen.text = WindowText(text);
            HWND icon = GetDlgItem(window, 1088);
            seen.errorIcon = icon != nullptr && IsWindowVisible(icon) &&
                             reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0)) ==
                                 LoadIconW(nullptr, IDI_ERROR);
            if (m_note) seen.note = m_note();
            {
                std::lock_guard<std::mutex> hold(m_lock);
                m_seen.push_back(seen);
            }
            m_answer(window, seen);
        }
        Sleep(30);
    }
}

void PressButton(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

BoxWatcher::BoxWatcher(std::function<std::wstring()> onSeen, int button)
    : DialogWatcher(
          [button](HWND box, const SeenDialog&) {
              PressButton(box, GetDlgItem(box, button) != nullptr || button == IDCANCEL ? button : IDOK);
          },
          std::move(onSeen)) {}

std::wstring ReplaceFileNameField(HWND dialog, const std::wstring& name) {
    // The file name is an edit field (edt1) or a combo box with one (cmb13).
    HWND field = GetDlgItem(dialog, 0x47c);
    if (field == nullptr) field = GetDlgItem(dialog, 0x480);
    if (field == nullptr) return L"<no file name field>";
    wchar_t before[MAX_PATH] = {};
    SendMessageW(field, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(before));
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    return before;
}

AviContents ReadAvi(const std::wstring& path) {
    AviContents avi;
    const std::string bytes = ReadWholeFile(path);
    if (bytes.size() < 224 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "AVI ") != 0) return avi;
    if (bytes.compare(24, 4, "avih") != 0 || bytes.compare(220, 4, "movi") != 0) return avi;
    avi.valid = true;
    avi.headerFrames = U32At(bytes, 48);
    size_t at = 224;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const uint32_t size = U32At(bytes, at + 4);
        if (id == "00db") {
            if (at + 8 + size > bytes.size()) break;  // a frame cut short by a crash
            avi.stamps.push_back(U32At(bytes, at + 8));
        } else if (id == "idx1") {
            avi.indexEntries = size / 16;
        }
        at += 8 + size + (size % 2);
    }
    return avi;
}

std::vector<std::string> SideFileEvents(const std::wstring& path) {
    std::vector<std::string> events;
    for (const std::string& line : LinesOf(ReadWholeFile(path), "\n")) {
        const size_t blank = line.find(' ');
        events.push_back(blank == std::string::npos ? line : line.substr(blank + 1));
    }
    return events;
}

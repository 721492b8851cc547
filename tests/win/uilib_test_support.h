// Helpers for the skinned-window tests: skin files in a scratch folder, a
// frame window configured by the test, message pumping.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/text_win.h"
#include "ui/skinned_frame.h"

// A scratch folder that is the library's resource path while it lives.
class SkinFolder {
public:
    SkinFolder() {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"tavrix_skin_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                 std::to_wstring(++Counter()) + L"\\";
        ::CreateDirectoryW(m_path.c_str(), nullptr);
        m_previous = CPaintManagerUI::GetResourcePath();
        CPaintManagerUI::SetResourcePath(m_path.c_str());
    }
    ~SkinFolder() {
        for (const std::wstring& f : m_files) ::DeleteFileW(f.c_str());
        ::RemoveDirectoryW(m_path.c_str());
        CPaintManagerUI::SetResourcePath(m_previous.c_str());
    }
    SkinFolder(const SkinFolder&) = delete;
    SkinFolder& operator=(const SkinFolder&) = delete;

    // Writes UTF-8 bytes as they are.
    void Write(const std::wstring& name, const std::string& bytes) {
        std::wstring full = m_path + name;
        HANDLE f = ::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(f);
        m_files.push_back(full);
    }
    const std::wstring& Path() const { return m_path; }

private:
    static int& Counter() {
        static int n = 0;
        return n;
    }
    std::wstring m_path;
    std::wstring m_previous;
    std::vector<std::wstring> m_files;
};

// Handles every message waiting on this thread; a quit message is kept aside.
inline void PumpMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The exit code of a posted quit message, taken off the queue; -1000 when none.
inline int TakeQuitCode() {
    MSG msg{};
    if (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(msg.wParam);
    return -1000;
}

// A frame whose description the test gives, recording what happens to it.
class TestFrame : public SkinnedFrame {
public:
    explicit TestFrame(FrameDescription description) : m_description(std::move(description)) {}
    ~TestFrame() override { ++Deleted(); }

    static int& Deleted() {
        static int n = 0;
        return n;
    }

    std::vector<std::wstring> log;            // "before", "ready", "discard", "<type>:<sender>"
    std::vector<bool> selectedAtClick;        // an option's selection when its click arrived
    std::function<void(TNotifyUI&)> onNotify; // extra reaction to a notification
    int ownMessages = 0;                      // messages that reached HandleOwnMessage
    HWND paintWindowBeforeSkin = nullptr;
    bool controlsBeforeSkin = false;

    const FrameDescription& Description() const override { return m_description; }

protected:
    void OnBeforeSkin() override {
        log.push_back(L"before");
        paintWindowBeforeSkin = m_pm.GetPaintWindow();
        controlsBeforeSkin = m_pm.GetRoot() != nullptr;
    }
    void OnSkinReady() override { log.push_back(L"ready"); }
    LRESULT HandleOwnMessage(UINT, WPARAM, LPARAM, bool& handled) override {
        ++ownMessages;
        handled = false;
        return 0;
    }
    void DiscardOwnedWindows() override { log.push_back(L"discard"); }
    void Notify(TNotifyUI& msg) override {
        log.push_back(msg.sType + L":" + (msg.pSender != nullptr ? msg.pSender->GetName() : L"?"));
        if (msg.sType == L"click" && msg.pSender != nullptr) {
            if (auto* option = static_cast<COptionUI*>(msg.pSender->GetInterface(L"Option"))) {
                selectedAtClick.push_back(option->IsSelected());
            }
        }
        if (onNotify) onNotify(msg);
    }

private:
    FrameDescription m_description;
};

// A description like the windows': all handlers, nothing closes the program.
inline FrameDescription PlainDescription(const wchar_t* skin) {
    FrameDescription d{};
    d.windowClassName = L"TavrixTestFrameWndClass";
    d.classStyle = CS_DBLCLKS;
    d.skinFile = skin;
    d.clientClasses = {L"ButtonUI", L"OptionUI", L"TextUI"};
    d.handlers = FrameHandlers::All;
    d.close = CloseAction::Default;
    d.destroy = DestroyAction::Default;
    d.systemClose = SystemCloseAction::Default;
    d.lifetime = ObjectLifetime::KeptByOwner;
    return d;
}

// Centre of a control, in client coordinates.
inline POINT CenterOf(CControlUI* control) {
    const RECT& r = control->GetPos();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

inline LPARAM PointParam(POINT pt) { return MAKELPARAM(static_cast<WORD>(pt.x), static_cast<WORD>(pt.y)); }

// A left click at a client point, as the window's messages.
inline void ClickAt(HWND hwnd, POINT pt) {
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointParam(pt));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(pt));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(pt));
}

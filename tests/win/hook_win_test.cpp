// The pause key and the drawing keys through the real hook DLL: keyboard
// input made with SendInput passes the low-level hook, which posts WM_HOTKEY
// to the capture window.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

#include "hook/hook_dll.h"
#include "tests/win/win_test_support.h"

namespace {

struct Received {
    std::vector<WPARAM> hotKeys;
    std::vector<WPARAM> keyDowns;
};
Received g_received;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_HOTKEY) g_received.hotKeys.push_back(wParam);
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) g_received.keyDowns.push_back(wParam);
    if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP || message == WM_SYSCHAR) return 0;  // no menu mode
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Key(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(input));
}

void Press(WORD vk) {
    Key(vk, false);
    Key(vk, true);
}

class HookTest : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = RecordingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"HookTestWindow";
        RegisterClassW(&wc);
        m_window = CreateWindowExW(0, wc.lpszClassName, L"hook test", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100,
                                   nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_window, nullptr);
        SetForegroundWindow(m_window);
        SetFocus(m_window);
        ASSERT_EQ(installHook(), 1);
        setCaptureKeyWindow(m_window);
        Pump(200);
        g_received = Received();
    }
    void TearDown() override {
        setDrawKeys(kDrawKeysNone);
        setCaptureKeyWindow(nullptr);
        uninstallHook();
        DestroyWindow(m_window);
    }
    HWND m_window = nullptr;
};

TEST_F(HookTest, F10PostsOneHotKeyAndIsPassedOn) {
    Press(VK_F10);
    Pump(300);
    ASSERT_EQ(g_received.hotKeys.size(), 1u);
    EXPECT_EQ(g_received.hotKeys[0], kPauseHotKeyId);
    // The key itself still reaches the focused window: the hook passes every key on.
    EXPECT_EQ(std::count(g_received.keyDowns.begin(), g_received.keyDowns.end(), static_cast<WPARAM>(VK_F10)), 1);

    // Held down (auto-repeat sends key-downs without key-ups): still one pause.
    g_received = Received();
    Key(VK_F10, false);
    Key(VK_F10, false);
    Key(VK_F10, false);
    Key(VK_F10, true);
    Pump(300);
    EXPECT_EQ(g_received.hotKeys.size(), 1u);
}

TEST_F(HookTest, OtherKeysAndModifiedF10DoNothing) {
    Press('A');
    Press(VK_F9);
    Key(VK_CONTROL, false);
    Press(VK_F10);
    Key(VK_CONTROL, true);
    Key(VK_SHIFT, false);
    Press(VK_F10);
    Key(VK_SHIFT, true);
    Pump(300);
    EXPECT_TRUE(g_received.hotKeys.empty());
    EXPECT_FALSE(g_received.keyDowns.empty());  // passed on
}

TEST_F(HookTest, NoWindowOrNoHookMeansNoHotKey) {
    setCaptureKeyWindow(nullptr);
    Press(VK_F10);
    Pump(200);
    EXPECT_TRUE(g_received.hotKeys.empty());

    setCaptureKeyWindow(m_window);
    EXPECT_EQ(uninstallHook(), 1);
    EXPECT_EQ(uninstallHook(), 1);  // a second removal is harmless
    Press(VK_F10);
    Pump(200);
    EXPECT_TRUE(g_received.hotKeys.empty());

    // Installing twice keeps one hook: one press, one pause.
    EXPECT_EQ(installHook(), 1);
    EXPECT_EQ(installHook(), 1);
    Press(VK_F10);
    Pump(300);
    EXPECT_EQ(g_received.hotKeys.size(), 1u);
}

size_t CountOf(const std::vector<WPARAM>& v, WPARAM value) {
    return static_cast<size_t>(std::count(v.begin(), v.end(), value));
}

void PressWithControl(WORD vk) {
    Key(VK_CONTROL, false);
    Press(vk);
    Key(VK_CONTROL, true);
}

TEST_F(HookTest, F9AndCtrlZAreTavrixsOnlyWhileARecordingAsksForThem) {
    // No recording: both belong to the presented program.
    Press(VK_F9);
    PressWithControl('Z');
    Pump(300);
    EXPECT_TRUE(g_received.hotKeys.empty());
    EXPECT_EQ(CountOf(g_received.keyDowns, VK_F9), 1u);
    EXPECT_EQ(CountOf(g_received.keyDowns, 'Z'), 1u);

    // Recording, drawing off: F9 switches drawing and is kept from the
    // program (held: once); Ctrl+Z still goes to the program.
    g_received = Received();
    setDrawKeys(kDrawKeysF9);
    Key(VK_F9, false);
    Key(VK_F9, false);
    Key(VK_F9, true);
    PressWithControl('Z');
    Pump(300);
    ASSERT_EQ(g_received.hotKeys.size(), 1u);
    EXPECT_EQ(g_received.hotKeys[0], kDrawHotKeyId);
    EXPECT_EQ(CountOf(g_received.keyDowns, VK_F9), 0u);
    EXPECT_EQ(CountOf(g_received.keyDowns, 'Z'), 1u);

    // Drawing on: Ctrl+Z undoes, each press and repeat once, and is kept;
    // Z alone, Ctrl+Shift+Z and Ctrl+F9 are the program's.
    g_received = Received();
    setDrawKeys(kDrawKeysF9AndUndo);
    PressWithControl('Z');
    Key(VK_CONTROL, false);
    Key('Z', false);
    Key('Z', false);
    Key('Z', true);
    Key(VK_CONTROL, true);
    Press('Z');
    Key(VK_SHIFT, false);
    PressWithControl('Z');
    Key(VK_SHIFT, true);
    PressWithControl(VK_F9);
    Pump(300);
    EXPECT_EQ(CountOf(g_received.hotKeys, kUndoHotKeyId), 3u);
    EXPECT_EQ(CountOf(g_received.hotKeys, kDrawHotKeyId), 0u);
    EXPECT_EQ(CountOf(g_received.keyDowns, 'Z'), 2u);
    EXPECT_EQ(CountOf(g_received.keyDowns, VK_F9), 1u);

    // A release the hook never saw (its thread was busy): the next press,
    // well after the keyboard's repeat would have come, still counts.
    g_received = Received();
    setDrawKeys(kDrawKeysF9);
    Key(VK_F9, false);
    Pump(1500);
    Key(VK_F9, false);
    Key(VK_F9, true);
    Pump(300);
    EXPECT_EQ(CountOf(g_received.hotKeys, kDrawHotKeyId), 2u);

    // F10 pauses as before, whatever the drawing keys.
    g_received = Received();
    Press(VK_F10);
    Pump(300);
    EXPECT_EQ(CountOf(g_received.hotKeys, kPauseHotKeyId), 1u);
}

}  // namespace

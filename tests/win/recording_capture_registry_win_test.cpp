// The command line and the screen filter's six registry values, written to the
// real registry and read back through the API; the two failure paths.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "recording/capture_command_win.h"
#include "support/unique_win.h"

namespace {

const wchar_t kPath[] = L"C:\\Temp\\RecClass1\\temp.avi";

class ScreenFilterRegistry : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteKeyExW(HKEY_CURRENT_USER, kScreenFilterKey, KEY_WOW64_32KEY, 0);
    }
    static DWORD Value(const wchar_t* name) {
        DWORD value = 0xDEADBEEF;
        DWORD size = sizeof(value);
        DWORD type = 0;
        UniqueKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kScreenFilterKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, key.put()) !=
            ERROR_SUCCESS)
            return 0xBAD0BAD0;
        if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof(DWORD))
            return 0xBAD1BAD1;
        return value;
    }
    static std::vector<DWORD> AreaValues() {
        return {Value(L"start_x"), Value(L"start_y"), Value(L"capture_width"), Value(L"capture_height")};
    }
    ScopedCom m_com;
};

TEST_F(ScreenFilterRegistry, ValuesWrittenForEveryRecordingAndReadBack) {
    std::wstring line;
    EXPECT_EQ(BuildCaptureCommandLine(Rect{300, 200, 100, 50}, line, kPath, 0x001), 1);
    EXPECT_EQ(AreaValues(), (std::vector<DWORD>{100, 50, 200, 150}));
    EXPECT_EQ(Value(L"default_max_fps"), 10u);
    EXPECT_EQ(Value(L"capture_transparent_windows_including_mouse_in_non_aero_if_1_causes_annoying_mouse_flicker"),
              1u);
    EXPECT_EQ(line,
              L"ffmpeg -y -pause_support -f dshow -i video=\"screen-capture-recorder\""
              L" -pix_fmt yuv420p -c:v libx264 -r 10 -crf 28 -maxrate 350k -profile main -preset veryfast"
              L" \"C:\\Temp\\RecClass1\\temp.avi\"");

    // Odd and empty sizes: 7 -> 6, 1 -> 0, 0 -> 2; the next recording overwrites.
    EXPECT_EQ(BuildCaptureCommandLine(Rect{10, 20, 17, 21}, line, kPath, 0x002), 2);
    EXPECT_EQ(AreaValues(), (std::vector<DWORD>{10, 20, 6, 0}));
    EXPECT_EQ(BuildCaptureCommandLine(Rect{40, 40, 40, 40}, line, kPath, 0x002), 2);
    EXPECT_EQ(AreaValues(), (std::vector<DWORD>{40, 40, 2, 2}));

    // The full screen, with speaker sound on current Windows (the prefix reports Windows 7).
    EXPECT_EQ(BuildCaptureCommandLine(Rect{0, 0, 1280, 800}, line, kPath, 0x102), 0x102);
    EXPECT_EQ(AreaValues(), (std::vector<DWORD>{0, 0, 1280, 800}));
    EXPECT_NE(line.find(L" -f dshow -i audio=\"virtual-audio-capturer\" -pix_fmt"), std::wstring::npos) << line;
}

// A store that fails where told, and remembers what it was given.
class FailingStore : public ScreenFilterStore {
public:
    explicit FailingStore(int failAt) : m_failAt(failAt) {}
    bool Open() override { return m_failAt != 0; }
    bool SetDword(const wchar_t* name, uint32_t) override {
        names.push_back(name);
        return static_cast<int>(names.size()) != m_failAt;
    }
    std::vector<std::wstring> names;
private:
    int m_failAt;  // 0: the key; n: the n-th value
};

TEST_F(ScreenFilterRegistry, FailuresGiveMinusOne) {
    // The key cannot be opened: nothing written, the command line left empty.
    FailingStore noKey(0);
    std::wstring line = L"stale";
    EXPECT_EQ(BuildCaptureCommandLine(Rect{0, 0, 640, 480}, line, kPath, 0x001, &noKey), -1);
    EXPECT_TRUE(line.empty());
    EXPECT_TRUE(noKey.names.empty());

    // The third value fails: the later ones are skipped, the command line is complete.
    FailingStore third(3);
    EXPECT_EQ(BuildCaptureCommandLine(Rect{0, 0, 640, 480}, line, kPath, 0x002, &third), -1);
    EXPECT_EQ(third.names, (std::vector<std::wstring>{L"start_x", L"start_y", L"capture_width"}));
    EXPECT_EQ(line.substr(0, 6), L"ffmpeg");
    EXPECT_EQ(line.substr(line.size() - wcslen(kPath) - 2), L"\"" + std::wstring(kPath) + L"\"");
}

}  // namespace

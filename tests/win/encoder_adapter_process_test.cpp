// The encoder adapter (bin/ffmpeg.exe) as a process under Wine: its refusals,
// its commands, and what a killed adapter or a lost core leaves behind.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "encoder/encoder_args.h"
#include "encoder/session_end_win.h"
#include "protocol/command_line.h"
#include "protocol/exit_codes.h"
#include "protocol/files.h"
#include "protocol/status.h"
#include "recording/capture_command.h"
#include "support/matroska_scan.h"
#include "support/media_file_win.h"
#include "support/path.h"
#include "support/text_win.h"
#include "support/unique_win.h"
#include "tests/win/engine_support.h"

namespace {

std::wstring BinFolder() {
    // Tests live in bin/tests/; the adapter and its core in bin/.
    std::wstring tests = ProgramFolder(nullptr);
    return FolderOfPath(tests.substr(0, tests.size() - 1));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring FreshFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name + L" " + std::to_wstring(GetTickCount()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::vector<std::wstring> SplitWithPlatformRules(const std::wstring& line) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> result(words, words + count);
    LocalFree(words);
    return result;
}

std::vector<DWORD> ProcessesNamed(const wchar_t* name) {
    std::vector<DWORD> ids;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL ok = Process32FirstW(snapshot.get(), &entry); ok; ok = Process32NextW(snapshot.get(), &entry))
        if (_wcsicmp(entry.szExeFile, name) == 0) ids.push_back(entry.th32ProcessID);
    return ids;
}

// Every core process, whichever of the two the adapter took: on 64-bit
// Windows the 64-bit one, when it lies beside the adapter as it does in the
// product's folder.
std::vector<DWORD> CoreProcesses() {
    std::vector<DWORD> ids = ProcessesNamed(L"ffmpeg-core.exe");
    for (DWORD id : ProcessesNamed(L"ffmpeg-core-x64.exe")) ids.push_back(id);
    return ids;
}

std::string ReadWhole(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file && ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    return text;
}

// The adapter started as the program starts it: a pipe on standard input,
// no console; standard error is read for the messages, standard output for
// the status channel.
// With `held`, "h\n" is in the pipe before the adapter starts, as the
// program prepares it during the countdown.
class Adapter {
public:
    bool Start(const std::wstring& exe, const std::wstring& arguments, bool held = false) {
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        UniqueHandle inputRead, errorWrite, outputWrite;
        if (!CreatePipe(inputRead.put(), m_input.put(), &inherit, 0)) return false;
        SetHandleInformation(m_input.get(), HANDLE_FLAG_INHERIT, 0);
        if (held) Send("h\n");
        if (!CreatePipe(m_error.put(), errorWrite.put(), &inherit, 0)) return false;
        SetHandleInformation(m_error.get(), HANDLE_FLAG_INHERIT, 0);
        if (!CreatePipe(m_output.put(), outputWrite.put(), &inherit, 0)) return false;
        SetHandleInformation(m_output.get(), HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = inputRead.get();
        startup.hStdError = errorWrite.get();
        startup.hStdOutput = outputWrite.get();
        std::wstring line = QuoteArgument(exe) + L" " + arguments;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                            &startup, &info))
            return false;
        m_process.process.reset(info.hProcess);
        m_process.thread.reset(info.hThread);
        m_process.processId = info.dwProcessId;
        return true;
    }
    void Send(const char* bytes) {
        DWORD written = 0;
        WriteFile(m_input.get(), bytes, static_cast<DWORD>(strlen(bytes)), &written, nullptr);
    }
    void CloseInput() { m_input.reset(); }
    // Waits for the exit; -1 when it did not come in time.
    int Wait(DWORD timeoutMs) {
        if (WaitForSingleObject(m_process.process.get(), timeoutMs) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(m_process.process.get(), &code);
        return static_cast<int>(code);
    }
    std::string ErrorText() { return Available(m_error.get()); }
    // What came on the status channel since the last call.
    std::string StatusText() { return Available(m_output.get()); }
    HANDLE Process() const { return m_process.process.get(); }
    ~Adapter() {
        if (m_process.process && WaitForSingleObject(m_process.process.get(), 0) != WAIT_OBJECT_0)
            TerminateProcess(m_process.process.get(), 1);
    }

private:
    static std::string Available(HANDLE pipe) {
        std::string text;
        char buffer[1024];
        DWORD available = 0, read = 0;
        while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
               ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read > 0)
            text.append(buffer, read);
        return text;
    }

    ProcessRecord m_process;
    UniqueHandle m_input;
    UniqueHandle m_error;
    UniqueHandle m_output;
};

// What the program puts on the adapter's command line (after the word ffmpeg).
std::wstring ProgramArguments(const std::wstring& output) {
    std::wstring line;
    AssembleCaptureCommandLine(true, 1, nullptr, output, line);
    return line.substr(std::wstring(L"ffmpeg ").size());
}

// A recording test needs the stock core beside the adapter, and a capture area.
class EncoderRecording : public ::testing::Test {
protected:
    void SetUp() override {
        // A missing core fails: a green run must mean the real encoder was tested.
        ASSERT_TRUE(Exists(BinFolder() + L"ffmpeg-core.exe"))
            << "ffmpeg-core.exe is missing beside the adapter: scripts/build-core did not run";
        UniqueKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\screen-capture-recorder", 0, nullptr, 0,
                                  KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        const std::pair<const wchar_t*, DWORD> values[] = {
            {L"start_x", 0}, {L"start_y", 0}, {L"capture_width", 320}, {L"capture_height", 240}, {L"default_max_fps", 10}};
        for (const auto& v : values)
            RegSetValueExW(key.get(), v.first, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v.second), sizeof(DWORD));
        m_folder = FreshFolder(L"录制 encoder");
        m_output = m_folder + L"temp.avi";
    }

    // A core left running by a failed test would record on and hold the
    // test run's pipes open: end every one.
    void TearDown() override {
        for (DWORD id : CoreProcesses()) {
            UniqueHandle core(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
            if (core && TerminateProcess(core.get(), 1)) WaitForSingleObject(core.get(), 5000);
        }
    }

    std::wstring Segment(int n) { return SegmentPath(m_output, n); }
    // Waits until segment `n` records and has frames on disk. Its file is
    // the one the log names: a waiting core made anew takes the next number.
    bool WaitForSegment(int n) {
        const std::string marker = "INFO: segment " + std::to_string(n) + ": ";
        std::string log;
        if (!WaitFor([&] { return (log = ReadWhole(EncoderLogPath(m_output))).find(marker) != std::string::npos; },
                     30000))
            return false;
        const size_t start = log.find(marker) + marker.size();
        const size_t end = log.find_first_of("\r\n", start);
        const std::wstring path = WidenText(log.substr(start, end == std::string::npos ? end : end - start), CP_UTF8);
        return WaitFor([&] { return HasVideo(ScanMatroskaFile(path)); }, 30000);
    }
    std::string Log() { return ReadWhole(EncoderLogPath(m_output)); }

    std::wstring m_folder;
    std::wstring m_output;
};

}  // namespace

TEST(EncoderCommandLine, EveryProgramLineSurvivesThePlatformParser) {
    const std::wstring outputs[] = {L"C:\\Users\\张三\\AppData\\Local\\Temp\\Rec1.tmp\\temp.avi",
                                    L"D:\\my lessons\\temp.avi"};
    const std::wstring microphones[] = {L"", L"麦克风 (USB Audio Device)", L"Mic\\"};
    for (const std::wstring& output : outputs)
        for (const std::wstring& microphone : microphones)
            for (CaptureFlags flags : {0x001u, 0x102u, 0x201u, 0x302u}) {
                std::wstring line;
                const int32_t summary = AssembleCaptureCommandLine(true, flags, [&] { return microphone; }, output, line);
                std::vector<std::wstring> words = SplitWithPlatformRules(line);
                words.erase(words.begin());
                const ParsedArguments parsed = ParseEncoderArguments(words);
                if (!microphone.empty() && microphone.back() == L'\\' && (summary & 0x200)) {
                    // A name ending in a backslash escapes its closing quote: the line is
                    // no longer what the program meant, and the adapter says so.
                    EXPECT_FALSE(parsed.request.has_value());
                    continue;
                }
                ASSERT_TRUE(parsed.request.has_value()) << NarrowText(line, CP_UTF8) << " " << NarrowText(parsed.error, CP_UTF8);
                EXPECT_EQ(parsed.request->outputPath, output);
                EXPECT_EQ(parsed.request->microphone, (summary & 0x200) ? microphone : L"");
            }
}

TEST(EncoderCommandLine, QuotedWordsComeBackUnchanged) {
    const std::vector<std::wstring> words = {L"", L"plain", L"two words", L"C:\\trailing\\", L"C:\\a b\\",
                                             L"say \"hi\"", L"a\\\"b", L"\\\\server\\share\\x y", L"中文 路径\\"};
    const std::vector<std::wstring> back = SplitWithPlatformRules(ComposeCommandLine(L"C:\\p q\\core.exe", words));
    ASSERT_EQ(back.size(), words.size() + 1);
    EXPECT_EQ(back[0], L"C:\\p q\\core.exe");
    for (size_t i = 0; i < words.size(); ++i) EXPECT_EQ(back[i + 1], words[i]);
}

TEST(EncoderAdapter, RefusesAForeignCommandLineAtOnce) {
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", L"-y -f gdigrab -i desktop out.avi"));
    EXPECT_EQ(adapter.Wait(20000), kExitBadArguments);
    EXPECT_NE(adapter.ErrorText().find("not one Tavrix builds"), std::string::npos);
}

TEST(EncoderAdapter, WithoutItsCoreSaysSoAndExitsAtOnce) {
    const std::wstring folder = FreshFolder(L"no core");
    ASSERT_TRUE(CopyFileW((BinFolder() + L"ffmpeg.exe").c_str(), (folder + L"ffmpeg.exe").c_str(), FALSE));
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(folder + L"ffmpeg.exe", ProgramArguments(folder + L"temp.avi")));
    EXPECT_EQ(adapter.Wait(20000), kExitNoCore);
    const std::string error = adapter.ErrorText();
    EXPECT_NE(error.find("ffmpeg-core.exe"), std::string::npos) << error;
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    EXPECT_FALSE(Exists(folder + L"temp.avi"));
    // The log beside the recording keeps the reason for whoever looks later.
    EXPECT_NE(ReadWhole(EncoderLogPath(folder + L"temp.avi")).find("ffmpeg-core.exe is missing"), std::string::npos);
}

TEST_F(EncoderRecording, KilledAdapterLeavesNoCoreAndKeepsItsSegment) {
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output)));
    ASSERT_TRUE(WaitForSegment(1)) << Log();
    ASSERT_FALSE(CoreProcesses().empty());
    ASSERT_TRUE(TerminateProcess(adapter.Process(), 9));
    EXPECT_EQ(adapter.Wait(10000), 9);
    EXPECT_TRUE(WaitFor([] { return CoreProcesses().empty(); }, 10000))
        << "a core outlived its adapter";
    // The segment written until the kill is on disk and readable.
    EXPECT_TRUE(HasVideo(ScanMatroskaFile(Segment(1))));
    EXPECT_FALSE(Exists(m_output));
}

TEST_F(EncoderRecording, IgnoresCommandsOutOfPlaceAndKeepsTheSegmentsWhenItsInputCloses) {
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output)));
    ASSERT_TRUE(WaitForSegment(1)) << Log();
    adapter.Send("r\nhello\n");
    Sleep(1000);
    adapter.Send("p\n");
    adapter.Send("p\n");
    // Paused: the next segment's core waits; closing the input must end it too.
    ASSERT_TRUE(WaitFor([&] { return Log().find("waits for segment 2") != std::string::npos; }, 30000)) << Log();
    adapter.CloseInput();  // the program was ended: its next start recovers the segments
    EXPECT_EQ(adapter.Wait(60000), kExitJoinFailed) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("resume ignored"), std::string::npos) << log;
    EXPECT_NE(log.find("pause ignored"), std::string::npos) << log;
    EXPECT_NE(log.find("standard input closed"), std::string::npos) << log;
    EXPECT_TRUE(CoreProcesses().empty());
    EXPECT_FALSE(Exists(m_output));
    EXPECT_TRUE(HasVideo(ScanMatroskaFile(Segment(1))));
    EXPECT_FALSE(Exists(Segment(2)));
}

TEST_F(EncoderRecording, LostCoreKeepsEverySegmentAndJoinsNothing) {
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output)));
    ASSERT_TRUE(WaitForSegment(1)) << Log();
    for (DWORD id : CoreProcesses()) {
        UniqueHandle core(OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (core) TerminateProcess(core.get(), 7);
    }
    EXPECT_EQ(adapter.Wait(60000), kExitCoreLost) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find("the core stopped while recording, exit code 7"), std::string::npos) << log;
    EXPECT_NE(log.find("the segments stay in"), std::string::npos) << log;
    EXPECT_TRUE(HasVideo(ScanMatroskaFile(Segment(1))));  // kept for the recovery join
    EXPECT_FALSE(Exists(m_output));
    EXPECT_FALSE(Exists(JoiningPath(m_output)));
}

TEST_F(EncoderRecording, DiscardEndsEverythingAndLeavesNothingWithinASecond) {
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output)));
    ASSERT_TRUE(WaitForSegment(1)) << Log();
    adapter.Send("p\n");
    ASSERT_TRUE(WaitFor([&] { return Log().find("waits for segment 2") != std::string::npos; }, 30000)) << Log();
    adapter.Send("r\n");
    ASSERT_TRUE(WaitForSegment(2)) << Log();
    const DWORD sent = GetTickCount();
    adapter.Send("d\n");  // while the second segment records
    EXPECT_EQ(adapter.Wait(10000), kExitDiscarded);
    EXPECT_LT(GetTickCount() - sent, 1000u);
    EXPECT_TRUE(CoreProcesses().empty());
    // Segments, join list, log: nothing of the recording is left, and no output made.
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((m_folder + L"*").c_str(), &found);
    std::vector<std::wstring> left;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0) left.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    EXPECT_TRUE(left.empty()) << NarrowText(left.empty() ? L"" : left[0], CP_UTF8);
}

// Segments as a recording that was never joined leaves them, made by the core
// from its test sources, beside `output`.
void MakeLeftoverSegments(const std::wstring& output, int count, const wchar_t* size = L"320x240", int first = 1) {
    CorePlan plan;
    plan.videoInput = {L"-f", L"lavfi", L"-i", std::wstring(L"testsrc=size=") + size + L":rate=10:duration=2"};
    plan.audioInputs = {{L"-f", L"lavfi", L"-i", L"sine=frequency=440:sample_rate=44100:duration=2"}};
    for (int i = first; i < first + count; ++i) {
        Adapter core;  // no input is read; the core ends with its sources
        ASSERT_TRUE(core.Start(BinFolder() + L"ffmpeg-core.exe",
                               ComposeCommandLine(L"", SegmentArguments(plan, SegmentPath(output, i))).substr(3)));
        ASSERT_EQ(core.Wait(60000), 0);
    }
}

TEST_F(EncoderRecording, RecoveryJoinsLeftSegmentsIntoAFileThatDecodes) {
    MakeLeftoverSegments(m_output, 3);
    Adapter recovery;
    ASSERT_TRUE(recovery.Start(BinFolder() + L"ffmpeg.exe", L"-join_segments " + QuoteArgument(m_output)));
    EXPECT_EQ(recovery.Wait(60000), kExitDone) << Log();
    EXPECT_NE(Log().find("joined 3 segments"), std::string::npos) << Log();
    for (int i = 1; i <= 3; ++i) EXPECT_FALSE(Exists(Segment(i)));
    Adapter decode;
    ASSERT_TRUE(decode.Start(BinFolder() + L"ffmpeg-core.exe", L"-v error -i " + QuoteArgument(m_output) + L" -f null -"));
    EXPECT_EQ(decode.Wait(60000), 0);
    EXPECT_EQ(decode.ErrorText(), "");
}

TEST_F(EncoderRecording, FailedJoinExitsWithThreeAndKeepsEverySegment) {
    MakeLeftoverSegments(m_output, 2);
    ASSERT_TRUE(CreateDirectoryW(m_output.c_str(), nullptr));  // the output cannot be put in place
    Adapter recovery;
    ASSERT_TRUE(recovery.Start(BinFolder() + L"ffmpeg.exe", L"-join_segments " + QuoteArgument(m_output)));
    EXPECT_EQ(recovery.Wait(60000), kExitJoinFailed) << Log();
    EXPECT_NE(Log().find("the segments stay in"), std::string::npos) << Log();
    for (int i = 1; i <= 2; ++i) EXPECT_TRUE(HasVideo(ScanMatroskaFile(Segment(i))));
    EXPECT_FALSE(Exists(JoiningPath(m_output)));
}

namespace {

// A window over the capture area whose grey level tells the time: black
// until Go, then one level brighter every 10 ms. The first recorded picture's
// level is how long after Go the grabber took it.
class TimeRamp {
public:
    TimeRamp() : m_thread([this] { Run(); }) {
        WaitFor([this] { return m_window.load() != nullptr; }, 5000);
    }
    ~TimeRamp() {
        PostMessageW(m_window.load(), WM_CLOSE, 0, 0);
        m_thread.join();
    }
    void Go() { m_goTick = GetTickCount(); }
    static constexpr int kMsPerLevel = 10;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TimeRamp*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_PAINT && self) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            const DWORD go = self->m_goTick.load();
            const int level = go == 0 ? 0 : static_cast<int>(std::min<DWORD>(250, (GetTickCount() - go) / kMsPerLevel));
            HBRUSH brush = CreateSolidBrush(RGB(level, level, level));
            FillRect(dc, &paint.rcPaint, brush);
            DeleteObject(brush);
            EndPaint(window, &paint);
            return 0;
        }
        if (message == WM_TIMER) return InvalidateRect(window, nullptr, FALSE), 0;
        if (message == WM_DESTROY) return PostQuitMessage(0), 0;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    void Run() {
        WNDCLASSW type = {};
        type.lpfnWndProc = Procedure;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"TavrixTimeRamp";
        RegisterClassW(&type);
        HWND window = CreateWindowExW(WS_EX_TOPMOST, type.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240,
                                      nullptr, nullptr, type.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetTimer(window, 1, 10, nullptr);
        m_window = window;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        DestroyWindow(window);
    }
    std::atomic<HWND> m_window{nullptr};
    std::atomic<DWORD> m_goTick{0};
    std::thread m_thread;
};

// The mean green level of the first picture of a recording, decoded by the core.
int FirstPictureLevel(const std::wstring& video) {
    const std::wstring raw = video + L".first.rgb";
    Adapter decode;
    if (!decode.Start(BinFolder() + L"ffmpeg-core.exe", L"-v error -y -i " + QuoteArgument(video) +
                                                            L" -frames:v 1 -f rawvideo -pix_fmt rgb24 " + QuoteArgument(raw)) ||
        decode.Wait(60000) != 0)
        return -1;
    const std::string pixels = ReadWhole(raw);
    DeleteFileW(raw.c_str());
    if (pixels.size() < 3) return -1;
    uint64_t sum = 0;
    for (size_t i = 1; i < pixels.size(); i += 3) sum += static_cast<unsigned char>(pixels[i]);
    return static_cast<int>(sum / (pixels.size() / 3));
}

}  // namespace

TEST_F(EncoderRecording, HeldStartTakesItsFirstPictureWithinAFifthOfASecondOfGo) {
    // How long after the moment the lesson should start its first picture
    // is taken: 0 started then (as before), 1 held and told to go at once
    // (a core slower than the countdown), 2 held and ready, then told to go.
    int delayMs[3] = {-1, -1, -1};
    for (int how = 0; how < 3; ++how) {
        DeleteFileW(m_output.c_str());
        DeleteFileW(EncoderLogPath(m_output).c_str());
        TimeRamp ramp;
        Adapter adapter;
        if (how == 0) ramp.Go();
        ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output), how > 0));
        if (how == 2) {
            ASSERT_TRUE(WaitFor([&] { return Log().find("ready: the first segment waits") != std::string::npos; }, 30000))
                << Log();
            Sleep(500);
            EXPECT_FALSE(Exists(Segment(1)));  // nothing records before "g"
            adapter.Send("r\np\n");           // and nothing but "g" starts it
            Sleep(300);
            EXPECT_FALSE(Exists(Segment(1)));
        }
        if (how > 0) {
            ramp.Go();
            adapter.Send("g\n");
        }
        ASSERT_TRUE(WaitForSegment(1)) << Log();
        adapter.Send("q\n");
        ASSERT_EQ(adapter.Wait(60000), kExitDone) << Log();
        const int level = FirstPictureLevel(m_output);
        ASSERT_GE(level, 0) << how;
        delayMs[how] = level * TimeRamp::kMsPerLevel;
    }
    std::printf("first picture after the start: %d ms started then, %d ms held and told to go at once, "
                "%d ms held until ready\n", delayMs[0], delayMs[1], delayMs[2]);
    EXPECT_LE(delayMs[2], 300);
    EXPECT_LT(delayMs[2], delayMs[0]);
}

TEST_F(EncoderRecording, HeldAdapterLeavesNothingWhenThrownAwayOrItsInputCloses) {
    auto leftovers = [&] {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((m_folder + L"*").c_str(), &found);
        std::string left;
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
            if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
                left += NarrowText(found.cFileName, CP_UTF8) + " ";
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        return left;
    };
    {
        // The program ended during the countdown: its pipe closes.
        Adapter adapter;
        ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output), true));
        ASSERT_TRUE(WaitFor([&] { return Log().find("ready: the first segment waits") != std::string::npos; }, 30000))
            << Log();
        EXPECT_EQ(CoreProcesses().size(), 1u);
        adapter.CloseInput();
        EXPECT_EQ(adapter.Wait(10000), kExitDiscarded);
        EXPECT_TRUE(WaitFor([] { return CoreProcesses().empty(); }, 5000));
        EXPECT_EQ(leftovers(), "");
    }
    {
        // Back pressed at once: "d" while the adapter still gets ready.
        Adapter adapter;
        ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output), true));
        adapter.Send("d\n");
        EXPECT_EQ(adapter.Wait(10000), kExitDiscarded) << Log();
        EXPECT_TRUE(WaitFor([] { return CoreProcesses().empty(); }, 5000));
        EXPECT_EQ(leftovers(), "");
    }
}

// --- The classroom's interruptions: the session's end, a finish cut off, the
// screen lost, the display changed.

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK TakeSessionWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (owner != search.processId || wcscmp(name, kSessionEndWindowClass) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

// The adapter's hidden window that Windows tells of the session's end.
HWND SessionWindowOf(HANDLE process) {
    WindowSearch search{GetProcessId(process), nullptr};
    EnumWindows(TakeSessionWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The session's end as Windows tells a program: the question, and then the
// end itself, each sent and waited for.
DWORD_PTR EndSession(HWND window) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 5000, &answer);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 20000, &ignored);
    return answer;
}

int64_t PictureMs(const std::wstring& segment) {
    const MatroskaSummary s = ScanMatroskaFile(segment);
    int64_t first = -1, end = 0;
    for (const TrackSpan& t : s.tracks)
        if (t.kind == TrackKind::Video && t.blocks > 0) {
            first = t.firstNs;
            end = TrackEndNs(t);
        }
    return first < 0 ? 0 : (end - first) / 1000000;
}

}  // namespace

TEST_F(EncoderRecording, SessionsEndFinishesTheSegmentAndKeepsTheLesson) {
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output)));
    ASSERT_TRUE(WaitForSegment(1)) << Log();
    Sleep(2000);
    const HWND window = SessionWindowOf(adapter.Process());
    ASSERT_NE(window, nullptr);
    const DWORD asked = GetTickCount();
    EXPECT_EQ(EndSession(window), static_cast<DWORD_PTR>(TRUE));  // the encoder never holds the session up itself
    // By the time its answer to the end came, the segment was finished.
    EXPECT_LT(GetTickCount() - asked, kEndSessionWaitMs + 1000);
    EXPECT_EQ(adapter.Wait(10000), kExitJoinFailed) << Log();
    EXPECT_NE(Log().find("the Windows session ends"), std::string::npos) << Log();
    EXPECT_GE(PictureMs(Segment(1)), 2000) << Log();
    EXPECT_TRUE(ProcessesNamed(L"ffmpeg-core.exe").empty());
    EXPECT_FALSE(Exists(m_output));
}

TEST_F(EncoderRecording, RecoveryClearsWhatACutOffJoinLeftAndNeverOverwritesAJoinedLesson) {
    MakeLeftoverSegments(m_output, 2);
    // A join cut off midway: its half-written file and a padded copy.
    ASSERT_TRUE(WriteWholeFile(JoiningPath(m_output), std::string(4096, 'x')));
    ASSERT_TRUE(WriteWholeFile(PaddedPath(m_output, 1), std::string(4096, 'y')));
    Adapter recovery;
    ASSERT_TRUE(recovery.Start(BinFolder() + L"ffmpeg.exe", L"-join_segments " + QuoteArgument(m_output)));
    ASSERT_EQ(recovery.Wait(60000), kExitDone) << Log();
    EXPECT_FALSE(Exists(JoiningPath(m_output)));
    EXPECT_FALSE(Exists(PaddedPath(m_output, 1)));
    const AviSummary joined = ScanAviFile(m_output);
    EXPECT_TRUE(joined.complete);
    EXPECT_GE(joined.pictureNs, 3500000000);

    // Cut off after the rename, before the segments went: the joined file is
    // the lesson. Another join of the segments must not replace it.
    const std::string before = ReadWhole(m_output);
    MakeLeftoverSegments(m_output, 1, L"160x120");
    Adapter again;
    ASSERT_TRUE(again.Start(BinFolder() + L"ffmpeg.exe", L"-join_segments " + QuoteArgument(m_output)));
    EXPECT_EQ(again.Wait(60000), kExitDone) << Log();
    EXPECT_NE(Log().find("joined already"), std::string::npos) << Log();
    EXPECT_TRUE(ReadWhole(m_output) == before);
    EXPECT_TRUE(Exists(Segment(1)));
}

TEST_F(EncoderRecording, RecoveryRefusesSegmentsOfTwoPictureSizesAndKeepsThem) {
    MakeLeftoverSegments(m_output, 1, L"320x240");
    MakeLeftoverSegments(m_output, 1, L"160x120", 2);
    Adapter recovery;
    ASSERT_TRUE(recovery.Start(BinFolder() + L"ffmpeg.exe", L"-join_segments " + QuoteArgument(m_output)));
    EXPECT_EQ(recovery.Wait(60000), kExitJoinFailed) << Log();
    EXPECT_NE(Log().find("differ in size"), std::string::npos) << Log();
    EXPECT_TRUE(Exists(Segment(1)) && Exists(Segment(2)));
    EXPECT_FALSE(Exists(m_output));
}

// The area changed between two segments (as a changed display changes it):
// the second segment is made at the first one's size, and the lesson joins.
TEST_F(EncoderRecording, ASegmentAfterTheAreaChangedIsMadeAtTheFirstSegmentsSize) {
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", ProgramArguments(m_output)));
    ASSERT_TRUE(WaitForSegment(1)) << Log();
    adapter.Send("p\n");
    ASSERT_TRUE(WaitFor([&] { return Log().find("ended, core exit code") != std::string::npos; }, 30000)) << Log();
    {
        UniqueKey key;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\screen-capture-recorder", 0,
                                KEY_SET_VALUE | KEY_WOW64_32KEY, key.put()),
                  ERROR_SUCCESS);
        const DWORD width = 200, height = 100;
        RegSetValueExW(key.get(), L"capture_width", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&width), sizeof(DWORD));
        RegSetValueExW(key.get(), L"capture_height", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&height), sizeof(DWORD));
    }
    // The next segment's core was made ready at the pause with the old area
    // (a grabber refuses an area off the screens): the resume makes it anew.
    adapter.Send("r\n");
    ASSERT_TRUE(WaitForSegment(2)) << Log();
    EXPECT_NE(Log().find("the waiting core is made anew"), std::string::npos) << Log();
    EXPECT_NE(Log().find("is made to 320x240"), std::string::npos) << Log();
    adapter.Send("p\n");
    adapter.Send("q\n");
    EXPECT_EQ(adapter.Wait(60000), kExitDone) << Log();
    EXPECT_NE(Log().find("200x100 at 0,0 is made to 320x240"), std::string::npos) << Log();
    // The joined file is one picture size: the core decodes it whole.
    Adapter probe;
    ASSERT_TRUE(probe.Start(BinFolder() + L"ffmpeg-core.exe", L"-v error -i " + QuoteArgument(m_output) + L" -f null -"));
    EXPECT_EQ(probe.Wait(60000), 0);
    EXPECT_EQ(probe.ErrorText(), "");
}

// The screen could not be read (on Windows: the lock screen, a prompt on the
// secure desktop; here a stand-in runs the real core and ends its grab as
// the refused copy does). The adapter keeps the lesson with its own exit
// code, and an adapter started again on the same output goes on after it.
TEST_F(EncoderRecording, ALostScreenKeepsTheSegmentsAndTheNextAdapterGoesOnWithThem) {
    const std::wstring program = FreshFolder(L"screen lost");
    ASSERT_TRUE(CopyFileW((BinFolder() + L"ffmpeg.exe").c_str(), (program + L"ffmpeg.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((BinFolder() + L"ffmpeg-core.exe").c_str(), (program + L"ffmpeg-core-real.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((ProgramFolder(nullptr) + L"tavrix_screen_lost_core.exe").c_str(),
                          (program + L"ffmpeg-core.exe").c_str(), FALSE));
    {
        const ScopedEnvironment lostAfter(L"TAVRIX_TEST_SCREEN_LOST_AFTER_MS", L"2500");
        Adapter adapter;
        ASSERT_TRUE(adapter.Start(program + L"ffmpeg.exe", ProgramArguments(m_output)));
        EXPECT_EQ(adapter.Wait(60000), kExitScreenLost) << Log();
    }
    EXPECT_NE(Log().find("could not read the screen"), std::string::npos) << Log();
    EXPECT_GE(PictureMs(Segment(1)), 1000) << Log();
    EXPECT_FALSE(Exists(m_output));

    Adapter next;
    ASSERT_TRUE(next.Start(program + L"ffmpeg.exe", ProgramArguments(m_output)));
    ASSERT_TRUE(WaitForSegment(2)) << Log();
    Sleep(1500);
    next.Send("q\n");
    EXPECT_EQ(next.Wait(60000), kExitDone) << Log();
    EXPECT_NE(Log().find("going on after 1 earlier segments"), std::string::npos) << Log();
    EXPECT_NE(Log().find("joined 2 segments"), std::string::npos) << Log();
    EXPECT_FALSE(Exists(Segment(1)));
    EXPECT_GE(ScanAviFile(m_output).pictureNs, 2500000000) << Log();
}

TEST_F(EncoderRecording, ChosenSoundThatCannotBeHadIsSaidBeforeTheLessonStartsAndTheRecordingGoesOn) {
    // No sound server here: neither the microphone nor the endpoint standing
    // in for the speakers can be opened.
    std::wstring line;
    AssembleCaptureCommandLine(true, kCaptureSpeaker | kCaptureMicrophone | 1, [] { return std::wstring(L"In: default"); },
                               m_output, line);
    Adapter adapter;
    ASSERT_TRUE(adapter.Start(BinFolder() + L"ffmpeg.exe", line.substr(std::wstring(L"ffmpeg ").size()), true));
    StatusReader reader;
    std::vector<StatusLine> said;
    ASSERT_TRUE(WaitFor([&] {
        const std::string text = adapter.StatusText();
        for (StatusLine& read : reader.Feed(text.data(), text.size())) said.push_back(read);
        return !said.empty() && said.back().event == StatusEvent::Ready;
    }, 30000)) << Log();
    ASSERT_EQ(said.size(), 3u);
    EXPECT_EQ(said[0].event, StatusEvent::Failed);
    EXPECT_EQ(said[0].source, SoundSource::Speakers);
    EXPECT_EQ(said[1].event, StatusEvent::Failed);
    EXPECT_EQ(said[1].source, SoundSource::Microphone);
    EXPECT_FALSE(said[1].reason.empty());
    EXPECT_EQ(reader.UnreadableLines(), 0u);
    // Told to go on without them, it records the picture.
    adapter.Send("g\n");
    ASSERT_TRUE(WaitForSegment(1)) << Log();
    adapter.Send("q\n");
    EXPECT_EQ(adapter.Wait(60000), kExitDone) << Log();
    EXPECT_TRUE(Exists(m_output));
}

// The test encoder, built as ffmpeg.exe: a real process that checks its
// command line with the encoder's own parser (protocol/command_line.h),
// records an uncompressed AVI at the encoder's frame rate while not paused,
// and obeys "p\n", "r\n", "q\n" and "d\n" (discard: the output is deleted,
// exit code 5) read byte by byte from its standard input. Held as the real
// encoder is when "h\n" waits on its input as it starts: no frame until
// "g\n"; "q\n", "d\n" or the input's end while held discard.
//
// "ffmpeg -join_segments <output>" is the recovery mode: the segments
// "<output>.part*.mkv" (protocol/files.h) are joined (here: the output becomes a small AVI and
// the segments are deleted), exit code 0; nothing is read from standard input.
//
// Every start, every command line received on standard input (as hex bytes)
// and the end are appended, each with the milliseconds since the start, to a
// side file: the path in TAVRIX_FAKE_ENCODER_LOG, else the output path plus
// ".commands.log". Lines look like "1520 command 70 0a".
//
// Faults on request, through the environment (protocol/environment.h):
//   TAVRIX_FAKE_ENCODER_EXIT_AT_ONCE=<code>  exit with <code> right after starting
//   TAVRIX_FAKE_ENCODER_CRASH_AFTER_MS=<ms>  die abruptly <ms> after starting,
//                                            leaving the file partial
//   TAVRIX_FAKE_ENCODER_HANG_ON_QUIT=1       never exit after "q"
//   TAVRIX_FAKE_ENCODER_FINISH_MS=<ms>       take <ms> to finish after "q" (or to join)
//   TAVRIX_FAKE_ENCODER_QUIT_EXIT=<code>     after "q" (or a join) exit with <code>
//                                            instead of finishing: the output
//                                            and the segments stay as they are
//
// On standard output it speaks the status channel as the encoder does
// (fake_sound.h): each chosen source opened, then its level, as the
// environment asks.
//
// Exit codes (protocol/exit_codes.h): kExitDone finished, kExitBadArguments command
// line rejected, kExitNoCore output not writable, kExitJoinFailed nothing to
// join, kExitDiscarded discarded.
#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cwchar>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "protocol/command_line.h"
#include "protocol/commands.h"
#include "protocol/environment.h"
#include "protocol/exit_codes.h"
#include "protocol/files.h"
#include "support/files_win.h"
#include "support/path.h"
#include "support/utf8.h"
#include "tests/fakes/avi_layout.h"
#include "tests/fakes/fake_sound.h"

namespace {

DWORD g_startTick = 0;
std::wstring g_sideFile;
std::mutex g_sideLock;

struct CommandQueue {
    std::mutex lock;
    std::condition_variable ready;
    std::deque<char> commands;
    bool ended = false;
};
CommandQueue g_queue;

std::wstring EnvText(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    const DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
    return n == 0 || n >= 1024 ? std::wstring() : std::wstring(buffer, n);
}

long EnvNumber(const wchar_t* name, long fallback) {
    const std::wstring text = EnvText(name);
    return text.empty() ? fallback : std::wcstol(text.c_str(), nullptr, 10);
}

// Appends one time-stamped line to the side file; opened per line so that the
// tests can read it at any time and a crash loses nothing already noted.
void Note(const std::string& text) {
    if (g_sideFile.empty()) return;
    std::lock_guard<std::mutex> hold(g_sideLock);
    const std::string line = std::to_string(GetTickCount() - g_startTick) + " " + text + "\n";
    HANDLE file = CreateFileW(g_sideFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char two[4];
    for (unsigned char c : bytes) {
        std::snprintf(two, sizeof(two), "%02x", c);
        if (!out.empty()) out += ' ';
        out += two;
    }
    return out;
}

// Reads standard input one byte at a time; each line feed ends a command.
DWORD WINAPI ReadCommands(void*) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    std::string line;
    char byte = 0;
    DWORD got = 0;
    while (ReadFile(input, &byte, 1, &got, nullptr) && got == 1) {
        line += byte;
        if (byte != '\n') continue;
        Note("command " + Hex(line));
        const char command = line == kPauseCommand     ? 'p'
                             : line == kResumeCommand  ? 'r'
                             : line == kQuitCommand    ? 'q'
                             : line == kDiscardCommand ? 'd'
                             : line == kGoCommand      ? 'g'
                                                       : 0;
        line.clear();
        if (command == 0) continue;
        std::lock_guard<std::mutex> hold(g_queue.lock);
        g_queue.commands.push_back(command);
        g_queue.ready.notify_one();
    }
    if (!line.empty()) Note("unfinished " + Hex(line));
    Note("input closed");
    std::lock_guard<std::mutex> hold(g_queue.lock);
    g_queue.ended = true;
    g_queue.ready.notify_one();
    return 0;
}

class AviWriter {
public:
    explicit AviWriter(const AviFormat& format) : m_format(format) {}
    ~AviWriter() { if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file); }
    bool Create(const std::wstring& path) {
        // Replaces an existing file, as "-y" asks.
        m_file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        return m_file != INVALID_HANDLE_VALUE && Put(AviHeader(m_format, 0));
    }
    // A frame coloured by the recorded second, its first eight bytes carrying
    // the milliseconds since the start and the frame number, so that a test
    // can see when each frame was taken and that paused time left no frames.
    void AddFrame() {
        std::vector<uint8_t> pixels(m_format.FrameBytes());
        static const uint8_t kColors[6][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0},
                                               {0, 255, 255}, {255, 0, 255}, {255, 255, 0}};
        const uint8_t* colour = kColors[(m_frames / static_cast<uint32_t>(m_format.rate)) % 6];
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = colour[i % 3];
        const uint32_t stamp[2] = {GetTickCount() - g_startTick, m_frames};
        for (size_t i = 0; i < 8; ++i) pixels[i] = static_cast<uint8_t>(stamp[i / 4] >> (8 * (i % 4)));
        Put(AviFrameChunk(pixels));
        ++m_frames;
    }
    uint32_t Frames() const { return m_frames; }
    void Abandon() {
        if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
    }
    bool Finish() {
        if (!Put(AviIndex(m_format, m_frames))) return false;
        if (SetFilePointer(m_file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
        const bool ok = Put(AviHeader(m_format, m_frames));
        CloseHandle(m_file);
        m_file = INVALID_HANDLE_VALUE;
        return ok;
    }
private:
    bool Put(const std::vector<uint8_t>& bytes) {
        DWORD written = 0;
        return !bytes.empty() && WriteFile(m_file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    AviFormat m_format;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    uint32_t m_frames = 0;
};

// The recovery mode: joins nothing for real, but behaves as the encoder does
// towards the program: segments in, one output, segments gone, exit 0.
int JoinSegments(const std::wstring& output) {
    const long finishMs = EnvNumber(kFakeEncoderFinishVariable, 0);
    if (finishMs > 0) Sleep(static_cast<DWORD>(finishMs));
    const long quitExit = EnvNumber(kFakeEncoderQuitExitVariable, -1);
    if (quitExit >= 0) {
        Note("join exit " + std::to_string(quitExit));
        return static_cast<int>(quitExit);
    }
    const std::wstring folder = FolderOfPath(output);
    std::vector<std::wstring> segments;
    for (const FoundFile& found : FilesMatching(SegmentPattern(output)))
        if (!found.folder) segments.push_back(folder + found.name);
    if (segments.empty()) {
        Note("join: nothing to join");
        return kExitJoinFailed;
    }
    AviFormat format;
    AviWriter avi(format);
    if (!avi.Create(output)) return kExitJoinFailed;
    for (int i = 0; i < format.rate; ++i) avi.AddFrame();
    if (!avi.Finish()) return kExitJoinFailed;
    for (const std::wstring& segment : segments) DeleteFileW(segment.c_str());
    Note("joined " + std::to_string(segments.size()) + " segments");
    return kExitDone;
}

}  // namespace

int main() {
    g_startTick = GetTickCount();
    const std::wstring commandLine = GetCommandLineW();
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &argc);
    // The words after the program's own name, as the encoder reads them.
    std::vector<std::wstring> words;
    for (int i = 1; argv != nullptr && i < argc; ++i) words.push_back(argv[i]);
    if (argv != nullptr) LocalFree(argv);
    if (const std::optional<std::wstring> output = JoinSegmentsOutput(words)) {
        g_sideFile = EnvText(kFakeEncoderLogVariable);
        if (g_sideFile.empty()) g_sideFile = *output + kFakeEncoderSideFileSuffix;
        Note("start " + std::to_string(GetCurrentProcessId()) + " " + Utf8FromWide(commandLine));
        return JoinSegments(*output);
    }
    const ParsedArguments parsed = ParseEncoderArguments(words);
    const bool accepted = parsed.request.has_value();
    const EncoderRequest request = parsed.request.value_or(EncoderRequest());
    const std::wstring& error = parsed.error;
    g_sideFile = EnvText(kFakeEncoderLogVariable);
    if (g_sideFile.empty() && accepted) g_sideFile = request.outputPath + kFakeEncoderSideFileSuffix;
    Note("start " + std::to_string(GetCurrentProcessId()) + " " + Utf8FromWide(commandLine));

    const long exitAtOnce = EnvNumber(kFakeEncoderExitAtOnceVariable, -1);
    if (exitAtOnce >= 0) {
        Note("exit " + std::to_string(exitAtOnce) + " at once");
        return static_cast<int>(exitAtOnce);
    }
    if (!accepted) {
        std::fwprintf(stderr, L"ffmpeg: command line rejected: %ls\n", error.c_str());
        Note("rejected " + Utf8FromWide(error));
        return kExitBadArguments;
    }
    AviFormat format;
    format.rate = kFrameRate;
    AviWriter avi(format);
    if (!avi.Create(request.outputPath)) {
        std::fwprintf(stderr, L"ffmpeg: cannot write %ls\n", request.outputPath.c_str());
        Note("cannot write the output");
        return kExitNoCore;
    }
    // The hold line is taken before the reader runs, as the real encoder does.
    char first[2] = {};
    DWORD peeked = 0;
    bool held = PeekNamedPipe(GetStdHandle(STD_INPUT_HANDLE), first, 2, &peeked, nullptr, nullptr) && peeked == 2 &&
                first[0] == kHoldCommand[0] && first[1] == '\n' && ReadFile(GetStdHandle(STD_INPUT_HANDLE), first, 2, &peeked, nullptr);
    if (held) Note("command 68 0a");
    StartFakeSound(request);
    HANDLE reader = CreateThread(nullptr, 0, ReadCommands, nullptr, 0, nullptr);
    if (reader == nullptr) return kExitNoCore;
    CloseHandle(reader);

    const long crashAfterMs = EnvNumber(kFakeEncoderCrashAfterVariable, -1);
    DWORD recordedBefore = 0;           // recorded milliseconds of earlier segments
    DWORD segmentStart = GetTickCount();
    bool paused = held;
    for (;;) {
        char command = 0;
        bool ended = false;
        {
            std::unique_lock<std::mutex> hold(g_queue.lock);
            g_queue.ready.wait_for(hold, std::chrono::milliseconds(5),
                                   [] { return !g_queue.commands.empty() || g_queue.ended; });
            if (!g_queue.commands.empty()) {
                command = g_queue.commands.front();
                g_queue.commands.pop_front();
            } else {
                ended = g_queue.ended;
            }
        }
        const DWORD now = GetTickCount();
        if (!paused) {
            const uint64_t recorded = recordedBefore + (now - segmentStart);
            while (uint64_t(avi.Frames()) * 1000 <= recorded * uint64_t(format.rate)) avi.AddFrame();
        }
        if (crashAfterMs >= 0 && now - g_startTick >= static_cast<DWORD>(crashAfterMs)) {
            Note("crash");
            TerminateProcess(GetCurrentProcess(), 0xC0000005);
        }
        if (held && (command == 'q' || command == 'd' || ended)) {
            avi.Abandon();
            DeleteFileW(request.outputPath.c_str());
            Note("discarded");
            return kExitDiscarded;
        }
        if (held) {
            if (command == 'g') {
                segmentStart = now;
                paused = held = false;
            }
            continue;
        }
        if (command == 'p' && !paused) {
            recordedBefore += now - segmentStart;
            paused = true;
        } else if (command == 'r' && paused) {
            segmentStart = now;
            paused = false;
        } else if (command == 'd') {
            // Thrown away at once: no file is finished, nothing is left.
            avi.Abandon();
            DeleteFileW(request.outputPath.c_str());
            Note("discarded");
            return kExitDiscarded;
        } else if (command == 'q' || ended) {
            break;
        }
    }
    const long quitExit = EnvNumber(kFakeEncoderQuitExitVariable, -1);
    if (quitExit >= 0) {
        Note("quit exit " + std::to_string(quitExit));
        return static_cast<int>(quitExit);
    }
    if (EnvNumber(kFakeEncoderHangOnQuitVariable, 0) != 0) {
        Note("hanging");
        Sleep(INFINITE);
    }
    const long finishMs = EnvNumber(kFakeEncoderFinishVariable, 0);
    if (finishMs > 0) Sleep(static_cast<DWORD>(finishMs));
    if (!avi.Finish()) {
        Note("cannot finish the output");
        return kExitNoCore;
    }
    Note("finished " + std::to_string(avi.Frames()) + " frames");
    return kExitDone;
}

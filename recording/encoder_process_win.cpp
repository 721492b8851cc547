#include "recording/encoder_process_win.h"

#include <direct.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "protocol/commands.h"
#include "protocol/files.h"
#include "recording/capture_command_win.h"
#include "recording/encoder_status_win.h"
#include "recording/record_options.h"
#include "support/child_process_win.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/text_win.h"
#include "support/unique_win.h"

std::string RecordingPath;

#if defined(__i386__)
// The record sizes the 32-bit program hands to the system.
static_assert(sizeof(STARTUPINFOW) == 68, "STARTUPINFOW");
static_assert(sizeof(SECURITY_ATTRIBUTES) == 12, "SECURITY_ATTRIBUTES");
static_assert(sizeof(PROCESSENTRY32W) == 556, "PROCESSENTRY32W");
#endif

namespace {

const wchar_t kEncoderFileName[] = L"ffmpeg.exe";
const char kTempFolderPrefix[] = "RecClass";

// The running child of the current recording and the parent's end of its
// command pipe. Everything is closed between recordings.
struct EncoderState {
    UniqueHandle commandWrite;
    ProcessRecord child;
    std::unique_ptr<EncoderStatusReader> status;  // its standard output
    bool held = false;  // started by Prepare and not yet told to go
};
EncoderState g_encoder;

bool Send(const char (&command)[3]) {
    DWORD written = 0;
    return WriteFile(g_encoder.commandWrite.get(), command, 2, &written, nullptr) && written == 2;
}

// A folder named by _tempnam when the runtime can make such a name, else one
// of our own making under the temporary folder; "" when neither can be made.
std::string MakeTempFolder() {
    if (char* name = _tempnam(nullptr, kTempFolderPrefix)) {
        std::string folder = name;
        std::free(name);
        if (_mkdir(folder.c_str()) == 0) return folder;
        // Some runtimes reserve the name with an empty file: it is replaced
        // by the folder rather than left behind in the temporary folder.
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        if (GetFileAttributesExA(folder.c_str(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.nFileSizeLow == 0 && data.nFileSizeHigh == 0 &&
            DeleteFileA(folder.c_str()) && _mkdir(folder.c_str()) == 0)
            return folder;
    }
    char temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH + 1, temp);
    const std::string base = length == 0 || length > MAX_PATH ? std::string(".\\") : std::string(temp, length);
    for (DWORD attempt = 0; attempt < 100; ++attempt) {
        char suffix[32] = {};
        std::snprintf(suffix, sizeof(suffix), "%lx%lx", GetTickCount() + attempt, GetCurrentProcessId());
        const std::string folder = base + kTempFolderPrefix + suffix;
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
    }
    return std::string();
}

}  // namespace

bool WaitBlocking(HANDLE process, DWORD limitMs) { return WaitForSingleObject(process, limitMs) == WAIT_OBJECT_0; }

std::string MakeTempRecordingPath() {
    const std::string folder = MakeTempFolder();
    return folder.empty() ? std::string() : folder + "\\" + kRecordingFileName;
}

namespace EncoderProcess {

namespace {

// Starts the encoder; with `held` its first command line, "h\n", is written
// before it runs, so it is surely the first thing it finds on its input.
bool Launch(bool held) {
    // Whatever a recording that was never stopped left open is closed first.
    g_encoder = EncoderState();
    // The folder goes after each saved or discarded recording; it is made
    // again for the next one.
    const std::wstring folder = RecordingFolderOf(WidenText(RecordingPath, CP_ACP));
    if (!folder.empty()) CreateDirectoryW(folder.c_str(), nullptr);

    const RecordOptions& options = *RecordOptions::Instance();
    const Rect captureRect = options.captureRect;
    const CaptureFlags flags = ComposeCaptureFlags(options);
    std::wstring commandLine;
    const int32_t chosen = BuildCaptureCommandLine(captureRect, commandLine, WidenText(RecordingPath, CP_ACP), flags);
    TAVRIX_LOG(LevelDebug) << NarrowText(commandLine, CP_ACP);
    // Without the capture settings the command line is empty; an encoder
    // started without its options must not run.
    if (commandLine.empty()) return false;

    // The program runs elevated: the encoder is started by its full path in
    // the program's folder, never looked up in the current folder or PATH.
    // Its standard output (and error) is the status channel.
    ChildStart start;
    start.program = ProgramFolder(nullptr) + kEncoderFileName;
    start.commandLine = commandLine;
    start.inputPipe = true;
    if (held) start.firstInput = kHoldCommand;
    UniqueHandle statusRead, statusWrite;
    if (CreatePipe(statusRead.put(), statusWrite.put(), nullptr, 0)) start.output = statusWrite.get();
    Child child;
    DWORD error = 0;
    if (!StartChild(start, child, error)) {
        TAVRIX_LOG(LevelDebug) << "the encoder could not be started, error " << error;
        return false;
    }
    statusWrite.reset();  // the child has its own: the channel ends when it does
    g_encoder.child = std::move(child.process);
    g_encoder.commandWrite = std::move(child.input);
    g_encoder.held = held;
    BeginRecordingSound(chosen >= 0 && (chosen & kCaptureSpeaker) != 0, chosen >= 0 && (chosen & kCaptureMicrophone) != 0,
                        !held);
    g_encoder.status = std::make_unique<EncoderStatusReader>();
    if (statusRead) g_encoder.status->Start(std::move(statusRead), TellSoundNews);
    return true;
}

}  // namespace

int Start() {
    if (g_encoder.held) {
        DWORD code = 0;
        const bool waiting = !HasEnded(code);
        // Logged before the word is sent: the line marks the moment the lesson starts.
        if (waiting) {
            TAVRIX_LOG(LevelDebug) << "the prepared encoder goes";
        }
        if (waiting && Send(kGoCommand)) {
            g_encoder.held = false;
            RecordingSound().SetRecording(true, SoundClockMs());
            return 1;
        }
        TAVRIX_LOG(LevelDebug) << "the prepared encoder ended while it waited, exit code " << code
                               << "; another is started";
    }
    return Launch(false) ? 1 : 0;
}

bool Prepare() {
    const bool started = Launch(true);
    if (!started) {
        TAVRIX_LOG(LevelDebug) << "the encoder could not be prepared";
    }
    return started;
}

bool IsPrepared() { return g_encoder.held; }

void DiscardPrepared(const ProcessWait& wait) {
    if (g_encoder.held) Discard(wait);
}

void Pause() {
    Send(kPauseCommand);
    RecordingSound().SetRecording(false, SoundClockMs());
}

void Resume() {
    Send(kResumeCommand);
    RecordingSound().SetRecording(true, SoundClockMs());
}

StopResult Stop(const ProcessWait& wait, DWORD waitLimitMs) {
    // Every handle of this recording is closed on the way out, whatever happens.
    EncoderState ending = std::move(g_encoder);
    g_encoder = EncoderState();
    DWORD written = 0;
    const HANDLE process = ending.child.process.get();
    StopResult result;
    // No encoder of ours: nothing to finish, the file is what it is.
    if (process == nullptr) return result;
    // When the quit cannot be written the encoder is gone already: no wait.
    if (!WriteFile(ending.commandWrite.get(), kQuitCommand, 2, &written, nullptr)) {
        result.exitCode = kEncoderLost;
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) GetExitCodeProcess(process, &result.exitCode);
        TAVRIX_LOG(LevelDebug) << "the encoder was gone before the finish, exit code " << result.exitCode;
        return result;
    }
    if (wait(process, waitLimitMs)) {
        GetExitCodeProcess(process, &result.exitCode);
        TAVRIX_LOG(LevelDebug) << "the encoder finished with exit code " << result.exitCode;
        return result;
    }
    // An encoder that never finishes must not hold the program forever.
    TAVRIX_LOG(LevelDebug) << "the encoder did not finish in time and is ended";
    TerminateProcess(process, kEncoderLost);
    WaitForSingleObject(process, 5000);
    result.exitCode = kEncoderLost;
    result.endedByForce = true;
    return result;
}

bool Discard(const ProcessWait& wait) {
    EncoderState ending = std::move(g_encoder);
    g_encoder = EncoderState();
    const HANDLE process = ending.child.process.get();
    DWORD written = 0;
    if (process != nullptr) {
        const bool ended = WriteFile(ending.commandWrite.get(), kDiscardCommand, 2, &written, nullptr) &&
                           wait(process, kDiscardWaitLimitMs);
        if (!ended) {
            // An encoder that does not know the command, or does not obey it
            // at once, is ended: the recording goes anyway.
            TerminateProcess(process, kEncoderLost);
            WaitForSingleObject(process, 2000);
        }
        DWORD code = 0;
        GetExitCodeProcess(process, &code);
        TAVRIX_LOG(LevelDebug) << "the encoder was discarded, exit code " << code;
    }
    return DeleteRecordingFiles(WidenText(RecordingPath, CP_ACP));
}

bool HasEnded(DWORD& exitCode) {
    const HANDLE process = g_encoder.child.process.get();
    if (process == nullptr || WaitForSingleObject(process, 0) != WAIT_OBJECT_0) return false;
    exitCode = kEncoderLost;
    GetExitCodeProcess(process, &exitCode);
    return true;
}

void Forget() {
    DWORD code = 0;
    if (HasEnded(code)) {
        TAVRIX_LOG(LevelDebug) << "the encoder ended by itself, exit code " << code;
    }
    g_encoder = EncoderState();
}

std::vector<StatusLine> TakeStatusLines() {
    return g_encoder.status ? g_encoder.status->Take() : std::vector<StatusLine>();
}

}  // namespace EncoderProcess

std::wstring RecordingFolderOf(const std::wstring& recordingPath) {
    const size_t slash = recordingPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : recordingPath.substr(0, slash);
}

bool DeleteRecordingFiles(const std::wstring& recordingPath) {
    if (recordingPath.empty()) return true;
    const std::wstring folder = RecordingFolderOf(recordingPath);
    bool gone = DeleteFileW(recordingPath.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
                GetLastError() == ERROR_PATH_NOT_FOUND;
    for (const FoundFile& found : FilesMatching(recordingPath + L".*")) {
        if (found.folder) continue;
        const std::wstring file = folder + L"\\" + found.name;
        if (!DeleteFileW(file.c_str())) gone = false;
    }
    if (!folder.empty()) RemoveDirectoryW(folder.c_str());  // only when nothing else is in it
    return gone;
}

void MoveToNewRecordingFolder() {
    const std::string next = MakeTempRecordingPath();
    TAVRIX_LOG(LevelDebug) << "the recording is kept in " << RecordingPath << "; the next one goes to " << next;
    if (!next.empty()) RecordingPath = next;
}

void TerminateEncoderProcesses() {
    // Ended by force, a waiting encoder would leave its log behind.
    EncoderProcess::DiscardPrepared(WaitBlocking);
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (wcscmp(entry.szExeFile, kEncoderFileName) != 0) continue;
        UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (process) TerminateProcess(process.get(), 9);
    }
}

bool IsEncoderProcessRunning() {
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, kEncoderFileName) == 0) return true;
    }
    return false;
}

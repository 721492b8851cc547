#include "encoder/encoder_run_win.h"

#include <ocidl.h>
#include <oleauto.h>
#include <strmif.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "devices/device_ids_win.h"
#include "encoder/audio_capture_win.h"
#include "encoder/core_process_win.h"
#include "encoder/join_check.h"
#include "encoder/session.h"
#include "support/log.h"
#include "support/path.h"
#include "support/unique_win.h"

namespace {

// How long a core may take to finish its segment after "q" before it is ended.
constexpr DWORD kFinishTimeoutMs = 30000;
// How long a segment's start waits for the core to say when it took its
// first picture; it says so about a frame after its gate opens. The sound
// captured meanwhile is kept for 3 s, so the wait must stay well below that.
constexpr DWORD kFirstPictureWaitMs = 2000;

std::string Narrow(const std::wstring& text) { return Utf8FromWide(text); }

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string SystemMessage(DWORD error) {
    return "error " + std::to_string(error);
}

// A file just released by a process that was ended may stay locked for a
// moment: try again briefly before giving up.
bool DeleteFileSoon(const std::wstring& path) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
        Sleep(25);
    }
    return false;
}

// The adapter's log beside the output, appended to, and the same file as an
// inheritable handle the cores write their warnings into.
class EncoderLog {
public:
    explicit EncoderLog(const std::wstring& outputPath) : m_path(EncoderLogPath(outputPath)) {
        m_file = _wfopen(m_path.c_str(), L"ab");
        if (m_file) Output2FILE::Target() = m_file;
        SECURITY_ATTRIBUTES inherit = {};
        inherit.nLength = sizeof(inherit);
        inherit.bInheritHandle = TRUE;
        m_coreOutput.reset(CreateFileW(m_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       &inherit, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    EncoderLog(const EncoderLog&) = delete;
    EncoderLog& operator=(const EncoderLog&) = delete;
    ~EncoderLog() { Close(); }

    HANDLE CoreOutput() const { return m_coreOutput.get(); }
    void Close() {
        if (m_file) {
            Output2FILE::Target() = nullptr;
            std::fclose(m_file);
            m_file = nullptr;
        }
        m_coreOutput.reset();
    }
    void CloseAndDelete() {
        Close();
        DeleteFileSoon(m_path);
    }

private:
    std::wstring m_path;
    FILE* m_file = nullptr;
    UniqueFile m_coreOutput;
};

// A refused command line is noted in the log beside the output it names,
// when its last word is a path in an existing folder.
void LogRefusal(const std::vector<std::wstring>& words, const std::wstring& error) {
    if (words.empty()) return;
    const std::wstring& last = words.back();
    const std::wstring folder = FolderOfPath(last);
    if (folder.empty() || last.size() == folder.size()) return;
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    EncoderLog log(last);
    TAVRIX_LOG(LevelError) << "refused: " << Narrow(error);
}

void LogKeptSegments(const std::vector<std::wstring>& segments, const std::wstring& outputPath) {
    std::string names;
    for (const std::wstring& path : segments)
        if (FileExists(path)) names += " " + Narrow(FileNameOfPath(path));
    if (names.empty()) return;
    TAVRIX_LOG(LevelWarning) << "the segments stay in " << Narrow(FolderOfPath(outputPath)) << ":" << names;
}

// Reads a file through a window of 64 KiB: the scan reads a few bytes at a
// time, mostly forward.
class BufferedFile {
public:
    explicit BufferedFile(const std::wstring& path)
        : m_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {}
    bool Open() const { return static_cast<bool>(m_file); }

    size_t ReadAt(uint64_t offset, uint8_t* buffer, size_t size) {
        if (size > kWindow) return ReadDirect(offset, buffer, size);
        if (offset < m_windowStart || offset + size > m_windowStart + m_windowBytes) {
            m_windowBytes = ReadDirect(offset, m_window, kWindow);
            m_windowStart = offset;
        }
        const uint64_t available = m_windowStart + m_windowBytes > offset ? m_windowStart + m_windowBytes - offset : 0;
        const size_t count = static_cast<size_t>(std::min<uint64_t>(available, size));
        std::copy(m_window + (offset - m_windowStart), m_window + (offset - m_windowStart) + count, buffer);
        return count;
    }

private:
    static constexpr size_t kWindow = 65536;

    size_t ReadDirect(uint64_t offset, uint8_t* buffer, size_t size) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!SetFilePointerEx(m_file.get(), at, nullptr, FILE_BEGIN)) return 0;
        DWORD read = 0;
        if (!ReadFile(m_file.get(), buffer, static_cast<DWORD>(size), &read, nullptr)) return 0;
        return read;
    }

    UniqueFile m_file;
    uint8_t m_window[kWindow];
    uint64_t m_windowStart = 0;
    size_t m_windowBytes = 0;
};

// Commands from standard input, read on a thread of their own because a
// pipe cannot be waited on together with the core's process handle. The
// thread shares its state, so it may outlive this object: it blocks in
// ReadFile until the input brings bytes or closes. A discard does not wait
// its turn: it replaces whatever commands are still queued, and the thread
// ends every core in the job at once, so no wait for a core (a pause's
// finish, a resume's gate, the join) holds it up.
class InputCommands {
public:
    InputCommands(HANDLE input, HANDLE job) : m_shared(std::make_shared<Shared>()) {
        m_shared->event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (job)
            DuplicateHandle(GetCurrentProcess(), job, GetCurrentProcess(), m_shared->job.put(), 0, FALSE,
                            DUPLICATE_SAME_ACCESS);
        std::thread([shared = m_shared, input] { ReadLoop(*shared, input); }).detach();
    }

    HANDLE Event() const { return m_shared->event.get(); }
    bool DiscardRequested() const { return m_shared->discard.load(); }

    // Takes what arrived; `closed` tells whether the input has ended.
    std::vector<EncoderCommand> Take(bool& closed) {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        std::vector<EncoderCommand> commands(m_shared->commands.begin(), m_shared->commands.end());
        m_shared->commands.clear();
        closed = m_shared->closed;
        ResetEvent(m_shared->event.get());
        return commands;
    }

private:
    struct Shared {
        UniqueHandle event;
        UniqueHandle job;
        std::mutex mutex;
        std::deque<EncoderCommand> commands;
        std::atomic<bool> discard{false};
        bool closed = false;
    };

    static void ReadLoop(Shared& shared, HANDLE input) {
        CommandReader reader;
        char buffer[256];
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(input, buffer, sizeof(buffer), &read, nullptr) || read == 0) break;
            const std::vector<EncoderCommand> commands = reader.Feed(buffer, read);
            if (commands.empty()) continue;
            const bool discard = std::find(commands.begin(), commands.end(), EncoderCommand::Discard) != commands.end();
            {
                std::lock_guard<std::mutex> lock(shared.mutex);
                if (discard) {
                    shared.commands.assign(1, EncoderCommand::Discard);
                    shared.discard = true;
                } else {
                    shared.commands.insert(shared.commands.end(), commands.begin(), commands.end());
                }
                SetEvent(shared.event.get());
            }
            // After the event: a core that dies now is seen as the discard's doing.
            if (discard && shared.job) TerminateJobObject(shared.job.get(), 9);
        }
        std::lock_guard<std::mutex> lock(shared.mutex);
        shared.closed = true;
        SetEvent(shared.event.get());
    }

    std::shared_ptr<Shared> m_shared;
};

const char* CommandName(EncoderCommand command) {
    switch (command) {
    case EncoderCommand::Pause: return "pause";
    case EncoderCommand::Resume: return "resume";
    case EncoderCommand::Quit: return "quit";
    case EncoderCommand::Discard: return "discard";
    case EncoderCommand::Go: return "go";
    }
    return "?";
}

// The recording in progress: its plan, its segments and its cores. After
// every pause the next segment's core is started at once and waits at its
// gate, so a resume only has to open the gate.
class Recording {
public:
    Recording(const EncoderRequest& request, const CorePlan& plan, std::wstring corePath, HANDLE coreOutput,
              UniqueHandle job)
        : m_request(request), m_plan(plan), m_corePath(std::move(corePath)), m_coreOutput(coreOutput),
          m_segments(request.outputPath, FileExists), m_job(std::move(job)) {}

    CoreProcess& Core() { return m_core; }
    HANDLE Job() const { return m_job.get(); }
    const std::vector<std::wstring>& Segments() const { return m_segments.Paths(); }
    const std::wstring& ListPath() const { return m_segments.ListPath(); }

    // The sound the adapter captures itself, fed to every segment's core.
    // The core starts each input's time stamps at its first sample or
    // picture, so the sound must start where the first picture was taken.
    // A picture shows what changed since the one before, half a frame
    // earlier on average: the sound starts half a frame before the first
    // picture, which centres what is heard and what is seen at one instant
    // on each other. The screen grabber's first picture time is what the
    // core says; the screen filter's is taken to be the gate's opening.
    void FeedAudio(AudioCapture* audio, int64_t frame, bool grabber) {
        m_audio = audio && !audio->Empty() ? audio : nullptr;
        m_frame = frame;
        m_grabber = grabber;
    }

    // Starts the next segment's core, waiting at its gate.
    bool PrepareSegment() {
        const std::wstring& path = m_segments.Next();
        if (!m_gate.Create(static_cast<unsigned>(m_segments.Paths().size()))) {
            TAVRIX_LOG(LevelError) << "cannot make the gate pipe: " << SystemMessage(GetLastError());
            m_segments.DropLast();
            return false;
        }
        const std::wstring line = ComposeCommandLine(m_corePath, SegmentArguments(m_plan, path, m_gate.Path()));
        TAVRIX_LOG(LevelDebug) << Narrow(line);
        DWORD error = 0;
        if (!m_core.Start(line, m_job.get(), m_coreOutput, error, true)) {
            TAVRIX_LOG(LevelError) << "the core did not start: " << SystemMessage(error);
            m_segments.DropLast();
            return false;
        }
        if (m_job && !m_core.InJob()) {
            TAVRIX_LOG(LevelWarning) << "the core (process " << m_core.ProcessId() << ") is not in the job";
        }
        TAVRIX_LOG(LevelDebug) << "core process " << m_core.ProcessId() << " waits for segment "
                               << m_segments.Paths().size();
        return true;
    }

    // Waits until the waiting core has opened its gate (it has loaded and
    // read its command line, and only the capture is left to start), a
    // command came (`wake`), or the core ended. True in the first case.
    bool AwaitWaitingCore(HANDLE wake) {
        if (!m_core.Running() || !m_gate.Listen()) return false;
        HANDLE waits[3] = {m_gate.ConnectedEvent(), m_core.Handle(), wake};
        return WaitForMultipleObjects(3, waits, FALSE, kFinishTimeoutMs) == WAIT_OBJECT_0;
    }

    // Lets the waiting core record; prepares one first when there is none.
    bool StartSegment() {
        if (m_core.Running() && WaitForSingleObject(m_core.Handle(), 0) == WAIT_OBJECT_0) {
            TAVRIX_LOG(LevelWarning) << "the waiting core exited, exit code " << m_core.Reap();
            m_segments.DropLast();
        }
        if (!m_core.Running() && !PrepareSegment()) return false;
        if (m_audio) m_audio->OpenPipes();
        if (!m_gate.Open(m_core.Handle(), kFinishTimeoutMs)) {
            TAVRIX_LOG(LevelError) << "the core did not take up its segment";
            if (m_audio) m_audio->CloseSegment();
            m_core.Discard();
            m_segments.DropLast();
            return false;
        }
        TAVRIX_LOG(LevelInfo) << "segment " << m_segments.Paths().size() << ": " << Narrow(m_segments.Paths().back());
        if (m_audio) m_audio->BeginSegment(SoundStart(AudioClockNow()));
        return true;
    }

    // Pause: the core finishes its segment; the next one's core gets ready.
    void EndSegment(bool prepareNext) {
        bool forced = false;
        if (m_audio) m_audio->FinishSegment(AudioClockNow());
        const DWORD code = m_core.Finish(kFinishTimeoutMs, forced);
        if (m_audio) m_audio->CloseSegment();
        if (forced) {
            TAVRIX_LOG(LevelWarning) << "the core did not finish its segment within " << kFinishTimeoutMs / 1000
                                     << " s and was ended";
        }
        TAVRIX_LOG(LevelDebug) << "segment " << m_segments.Paths().size() << " ended, core exit code " << code;
        if (prepareNext) PrepareSegment();
    }

    // Quit while paused: the waiting core never recorded anything.
    void DiscardWaitingCore() {
        if (!m_core.Running()) return;
        m_core.Discard();
        m_segments.DropLast();
        TAVRIX_LOG(LevelDebug) << "the waiting core was ended";
    }

    // Discard: every core ended at once, this recording's files deleted.
    void DiscardAll() {
        m_core.Discard();
        for (const std::wstring& path : m_segments.Paths()) DeleteFileSoon(path);
        DeleteFileSoon(m_segments.ListPath());
        DeleteFileSoon(JoiningPath(m_request.outputPath));
    }

private:
    // Where the segment's sound starts on the adapter's clock. The grabber
    // opens after the gate, takes its first picture one frame later, and the
    // core says when; the core opens its sound inputs only after that, so
    // waiting costs the sound nothing (what came meanwhile is kept). Should
    // the core not say, the picture is taken to come one frame after the gate.
    int64_t SoundStart(int64_t gateOpened) {
        if (!m_grabber) return gateOpened - m_frame / 2;
        if (const std::optional<int64_t> picture = m_core.FirstPicture(kFirstPictureWaitMs)) {
            const int64_t at = AudioClockAtSystemTime(*picture);
            TAVRIX_LOG(LevelDebug) << "first picture " << (at - gateOpened) / 10000 << " ms after the gate opened";
            return at - m_frame / 2;
        }
        TAVRIX_LOG(LevelWarning) << "the core did not say when it took its first picture: the sound starts one frame after the gate";
        return gateOpened + m_frame - m_frame / 2;
    }

    const EncoderRequest& m_request;
    const CorePlan& m_plan;
    std::wstring m_corePath;
    HANDLE m_coreOutput;
    SegmentList m_segments;
    UniqueHandle m_job;
    CoreGate m_gate;
    CoreProcess m_core;
    AudioCapture* m_audio = nullptr;
    int64_t m_frame = 1000000;
    bool m_grabber = true;
};

}  // namespace

std::wstring EncoderLogPath(const std::wstring& outputPath) { return outputPath + L".encoder.log"; }

std::vector<std::wstring> DirectShowInputNames(bool video) {
    std::vector<std::wstring> names;
    ComPtr<ICreateDevEnum> enumerator;
    if (FAILED(CoCreateInstance(kSystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, kICreateDevEnum,
                                enumerator.putVoid())))
        return names;
    ComPtr<IEnumMoniker> devices;
    const HRESULT hr = enumerator->CreateClassEnumerator(
        video ? kVideoInputDeviceCategory : kAudioInputDeviceCategory, devices.put(), 0);
    if (hr != S_OK || !devices) return names;  // S_FALSE: the category is empty
    for (;;) {
        ComPtr<IMoniker> moniker;
        if (devices->Next(1, moniker.put(), nullptr) != S_OK) break;
        ComPtr<IPropertyBag> bag;
        if (FAILED(moniker->BindToStorage(nullptr, nullptr, kIPropertyBag, bag.putVoid())))
            continue;
        VARIANT name;
        VariantInit(&name);
        if (SUCCEEDED(bag->Read(kFriendlyNameProperty, &name, nullptr)) && name.vt == VT_BSTR && name.bstrVal)
            names.emplace_back(name.bstrVal, SysStringLen(name.bstrVal));
        VariantClear(&name);
    }
    return names;
}

std::optional<CaptureArea> ReadScreenFilterArea() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kScreenFilterKey, 0, KEY_READ | KEY_WOW64_32KEY,
                      key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<CaptureArea> stored = CaptureAreaFromSettings([&key](const wchar_t* name) -> std::optional<uint32_t> {
        DWORD data = 0, size = sizeof(data), type = 0;
        if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
            type != REG_DWORD)
            return std::nullopt;
        return data;
    });
    if (!stored) return std::nullopt;
    CaptureArea area = *stored;

    // The GDI grabber refuses an area that reaches past the screens; keep it
    // inside, and even, as the encoder's picture format needs.
    const int32_t left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int32_t right = left + GetSystemMetrics(SM_CXVIRTUALSCREEN), bottom = top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (right > left && bottom > top) {
        area.x = std::clamp(area.x, left, right - 2);
        area.y = std::clamp(area.y, top, bottom - 2);
        area.width = std::clamp(area.width, 2, right - area.x) & ~1;
        area.height = std::clamp(area.height, 2, bottom - area.y) & ~1;
    }
    if (area.width < 2 || area.height < 2) return std::nullopt;
    return area;
}

CaptureDevices FindCaptureDevices() {
    CaptureDevices devices;
    {
        const ScopedCom com;
        for (const std::wstring& name : DirectShowInputNames(true))
            if (name == kScreenFilterName) devices.screenFilter = true;
        for (const std::wstring& name : DirectShowInputNames(false))
            if (name == kSpeakerFilterName) devices.speakerFilter = true;
    }
    if (!devices.screenFilter) devices.area = ReadScreenFilterArea();
    return devices;
}

MatroskaSummary ScanMatroskaFile(const std::wstring& path) {
    auto file = std::make_unique<BufferedFile>(path);
    if (!file->Open()) return MatroskaSummary();
    const ReadAt read = [&file](uint64_t offset, uint8_t* buffer, size_t size) {
        return file->ReadAt(offset, buffer, size);
    };
    return ScanMatroska(read, FileSize(path));
}

std::wstring JoiningPath(const std::wstring& outputPath) { return outputPath + L".joining.avi"; }

namespace {

AviSummary ScanAviFile(const std::wstring& path) {
    auto file = std::make_unique<BufferedFile>(path);
    if (!file->Open()) return AviSummary();
    const ReadAt read = [&file](uint64_t offset, uint8_t* buffer, size_t size) {
        return file->ReadAt(offset, buffer, size);
    };
    return ScanAvi(read, FileSize(path));
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

namespace {

// Runs the core to its end inside the request's job. Returns its exit code,
// or nothing when the request's stop said so and the core was ended.
std::optional<DWORD> RunCoreToEnd(const JoinRequest& request, const std::vector<std::wstring>& words,
                                  const char* what) {
    const std::wstring line = ComposeCommandLine(request.corePath, words);
    TAVRIX_LOG(LevelDebug) << what << ": " << Narrow(line);
    CoreProcess core;
    DWORD error = 0;
    if (!core.Start(line, request.job, request.coreOutput, error)) {
        TAVRIX_LOG(LevelError) << "the " << what << " did not start: " << SystemMessage(error);
        return static_cast<DWORD>(-1);
    }
    for (;;) {
        HANDLE waits[2] = {core.Handle(), request.wake};
        if (WaitForMultipleObjects(request.wake ? 2 : 1, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
        if (request.stop && request.stop()) {
            core.Discard();
            TAVRIX_LOG(LevelInfo) << "the " << what << " was stopped";
            return std::nullopt;
        }
    }
    const DWORD code = core.Reap();
    TAVRIX_LOG(LevelDebug) << what << " exit code " << code;
    if (request.stop && request.stop()) {  // ended by a discard
        TAVRIX_LOG(LevelInfo) << "the " << what << " was stopped";
        return std::nullopt;
    }
    return code;
}

}  // namespace

JoinResult JoinSegments(const JoinRequest& request) {
    std::vector<JoinPart> parts;
    std::vector<std::wstring> sources;  // the segments whose content goes into the join
    std::vector<std::wstring> padded;   // copies with their sound padded, made here
    std::vector<std::wstring> empty;    // segments with headers and no media at all
    const std::wstring joining = JoiningPath(request.outputPath);
    auto fail = [&](JoinResult result) {
        DeleteFileSoon(joining);
        for (const std::wstring& path : padded) DeleteFileSoon(path);
        DeleteFileW(request.listPath.c_str());
        return result;
    };

    JoinExpectation expected;
    for (const std::wstring& path : request.segments) {
        if (!FileExists(path)) {
            TAVRIX_LOG(LevelWarning) << Narrow(FileNameOfPath(path)) << " was never written";
            continue;
        }
        MatroskaSummary summary = ScanMatroskaFile(path);
        if (HoldsNoMedia(summary, FileSize(path))) {
            TAVRIX_LOG(LevelDebug) << Narrow(FileNameOfPath(path)) << " holds no media (its core ended before the first frame)";
            empty.push_back(path);
            continue;
        }
        if (!HasContent(summary)) {
            // Nothing of it can reach the output, so nothing of it may be deleted either.
            TAVRIX_LOG(LevelWarning) << Narrow(FileNameOfPath(path)) << " holds nothing readable (" << FileSize(path)
                                     << " bytes): left out of the join and kept";
            continue;
        }
        std::string spans;
        for (const TrackSpan& track : summary.tracks)
            spans += " track " + std::to_string(track.number) + ": " + std::to_string(track.blocks) + " blocks, " +
                     std::to_string(track.firstNs / 1000000) + ".." + std::to_string(TrackEndNs(track) / 1000000) +
                     " ms;";
        TAVRIX_LOG(LevelDebug) << Narrow(FileNameOfPath(path)) << ":" << spans;
        std::wstring joined = path;
        if (SoundFallsShort(summary)) {
            // In the joined file sound has no time stamps of its own: a gap
            // would pull all later sound forward. Fill it with silence.
            const std::wstring copy = request.outputPath + L".padded" + std::to_wstring(padded.size() + 1) + L".mkv";
            padded.push_back(copy);
            const std::optional<DWORD> code =
                RunCoreToEnd(request, PadSoundArguments(path, copy, PictureEndNs(summary)), "sound padding");
            if (!code) return fail(JoinResult::Stopped);
            const MatroskaSummary copied = *code == 0 ? ScanMatroskaFile(copy) : MatroskaSummary();
            if (PictureEndNs(copied) >= PictureEndNs(summary) && !SoundFallsShort(copied)) {
                TAVRIX_LOG(LevelInfo) << Narrow(FileNameOfPath(path)) << ": the sound stops early and is padded with silence";
                summary = copied;
                joined = copy;
            } else {
                TAVRIX_LOG(LevelWarning) << Narrow(FileNameOfPath(path))
                                         << ": the sound stops early and could not be padded; later sound may run early";
            }
        }
        JoinPart part{joined, JoinCutNs(summary)};
        TAVRIX_LOG(LevelDebug) << Narrow(FileNameOfPath(joined)) << " cut at " << part.endNs / 1000000 << " ms";
        AddToExpectation(expected, summary, part.endNs, FileSize(joined));
        parts.push_back(std::move(part));
        sources.push_back(path);
    }
    if (parts.empty()) {
        TAVRIX_LOG(LevelError) << "no segment holds anything: nothing to join";
        for (const std::wstring& path : empty) DeleteFileSoon(path);  // nothing in them to offer again
        return fail(JoinResult::Failed);
    }

    const std::wstring folder = FolderOfPath(request.outputPath);
    ULARGE_INTEGER available = {};
    const uint64_t needed = JoinSpaceNeeded(expected.segmentBytes);
    if (GetDiskFreeSpaceExW(folder.empty() ? nullptr : folder.c_str(), &available, nullptr, nullptr) &&
        available.QuadPart < needed) {
        TAVRIX_LOG(LevelError) << "not enough free space for the join: " << available.QuadPart / 1048576
                               << " MB free, " << needed / 1048576 << " MB needed";
        return fail(JoinResult::NoRoom);
    }

    if (!WriteWholeFile(request.listPath, ComposeConcatList(parts))) {
        TAVRIX_LOG(LevelError) << "cannot write the join list " << Narrow(request.listPath) << ": "
                               << SystemMessage(GetLastError());
        return fail(JoinResult::Failed);
    }
    const std::optional<DWORD> code = RunCoreToEnd(request, JoinArguments(request.listPath, joining), "join");
    if (!code) return fail(JoinResult::Stopped);
    if (*code != 0) {
        TAVRIX_LOG(LevelError) << "the join failed, core exit code " << *code;
        return fail(JoinResult::Failed);
    }
    const std::string fault = CheckJoinedOutput(expected, ScanAviFile(joining), FileSize(joining));
    if (!fault.empty()) {
        TAVRIX_LOG(LevelError) << "the joined file is refused: " << fault;
        return fail(JoinResult::Failed);
    }
    if (!MoveFileExW(joining.c_str(), request.outputPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        TAVRIX_LOG(LevelError) << "cannot put the joined file at " << Narrow(request.outputPath) << ": "
                               << SystemMessage(GetLastError());
        return fail(JoinResult::Failed);
    }
    TAVRIX_LOG(LevelInfo) << "joined " << parts.size() << " segments into " << Narrow(request.outputPath) << " ("
                          << FileSize(request.outputPath) << " bytes from " << expected.segmentBytes << ", "
                          << expected.pictureNs / 1000000 << " ms of picture)";
    for (const std::wstring& path : sources) DeleteFileSoon(path);
    for (const std::wstring& path : padded) DeleteFileSoon(path);
    for (const std::wstring& path : empty) DeleteFileSoon(path);
    DeleteFileW(request.listPath.c_str());
    TAVRIX_LOG(LevelDebug) << "joined segments removed";
    return JoinResult::Joined;
}

namespace {

int ExitCodeOf(JoinResult result) {
    switch (result) {
    case JoinResult::Joined: return kExitDone;
    case JoinResult::NoRoom: return kExitNoRoom;
    case JoinResult::Stopped: return kExitDiscarded;
    case JoinResult::Failed: break;
    }
    return kExitJoinFailed;
}

bool CoreIsThere(const std::wstring& corePath) {
    if (FileExists(corePath)) return true;
    const std::wstring message = L"ffmpeg.exe: the encoder core " + corePath +
                                 L" is missing; install Tavrix again to put it back\n";
    ReportToConsole(message);
    TAVRIX_LOG(LevelError) << Narrow(message.substr(0, message.size() - 1));
    return false;
}

// A caller that wants the encoder ready before the lesson starts writes the
// hold line into the pipe before it starts the adapter, so the line is
// already there when the adapter looks, before its input thread reads
// anything. Takes the line when it is the first; any other bytes stay.
bool TakeHoldLine(HANDLE input) {
    char bytes[4] = {};
    DWORD peeked = 0, available = 0;
    if (!PeekNamedPipe(input, bytes, sizeof(bytes), &peeked, &available, nullptr)) return false;
    const size_t length = HoldLineLength(bytes, peeked);
    if (length == 0) return false;
    DWORD taken = 0;
    return ReadFile(input, bytes, static_cast<DWORD>(length), &taken, nullptr) && taken == length;
}

}  // namespace

int RunEncoder(const std::vector<std::wstring>& words, const std::wstring& corePath, HANDLE input) {
    if (words.size() == 2 && words[0] == kJoinSegmentsOption) return RunJoinSegments(words[1], corePath);
    const ParsedArguments parsed = ParseEncoderArguments(words);
    if (!parsed.request) {
        ReportToConsole(L"ffmpeg.exe: this command line is not one Tavrix builds: " + parsed.error + L"\n");
        LogRefusal(words, L"this command line is not one Tavrix builds: " + parsed.error);
        return kExitBadArguments;
    }
    const EncoderRequest& request = *parsed.request;
    const bool held = TakeHoldLine(input);
    EncoderLog log(request.outputPath);
    if (!CoreIsThere(corePath)) return kExitNoCore;

    TAVRIX_LOG(LevelInfo) << "recording into " << Narrow(request.outputPath) << " with " << Narrow(corePath)
                          << (held ? ", held until \"g\"" : "");
    UniqueHandle job = CreateKillOnCloseJob();
    if (!job) {
        TAVRIX_LOG(LevelWarning) << "no job object (" << SystemMessage(GetLastError())
                                 << "): a core may outlive the adapter if it is killed";
    }
    // Read from now on: a discard that comes while the devices are looked up
    // and the first core starts is seen, and no core is started after it.
    InputCommands commands(input, job.get());
    CaptureDevices devices = FindCaptureDevices();
    std::vector<std::wstring> notes;
    AudioCapture audio;  // before the recording, so it outlives every core that reads it
    audio.Open(request, devices, notes);
    const CorePlan plan = PlanCore(request, devices, notes);
    for (const std::wstring& note : notes) TAVRIX_LOG(LevelInfo) << Narrow(note);

    Recording recording(request, plan, corePath, log.CoreOutput(), std::move(job));
    recording.FeedAudio(&audio, 10000000 / (devices.area ? devices.area->fps : 10), !devices.screenFilter);
    SessionControl control(held);
    SessionStep step = SessionStep::Nothing;
    // Held, the first core only loads and waits at its gate: "g" then starts
    // the lesson as fast as a resume does.
    if (!commands.DiscardRequested() && !(held ? recording.PrepareSegment() : recording.StartSegment())) {
        TAVRIX_LOG(LevelError) << "the first segment could not be started";
        return kExitNoCore;
    }
    if (held && recording.AwaitWaitingCore(commands.Event())) {
        TAVRIX_LOG(LevelInfo) << "ready: the first segment waits for \"g\"";
    }
    while (!control.Ended()) {
        // While paused the waiting core is not watched: it only waits.
        const bool watchCore = control.State() == SessionState::Recording && recording.Core().Running();
        HANDLE waits[2] = {commands.Event(), recording.Core().Handle()};
        const DWORD woken = WaitForMultipleObjects(watchCore ? 2 : 1, waits, FALSE, INFINITE);
        if (woken == WAIT_OBJECT_0 + 1 && !commands.DiscardRequested()) {
            TAVRIX_LOG(LevelError) << "the core stopped while recording, exit code " << recording.Core().Reap();
            step = control.OnCoreLost();
            continue;
        }
        bool closed = false;
        for (EncoderCommand command : commands.Take(closed)) {
            step = control.OnCommand(command);
            TAVRIX_LOG(LevelDebug) << CommandName(command) << (step == SessionStep::Nothing ? " ignored" : "");
            if (step == SessionStep::EndSegment) recording.EndSegment(true);
            if (step == SessionStep::StartSegment && !recording.StartSegment()) step = control.OnCoreLost();
            if (control.Ended()) break;
        }
        if (closed && !control.Ended()) {
            step = control.OnInputClosed();
            TAVRIX_LOG(LevelInfo) << (step == SessionStep::Discard
                                          ? "standard input closed before anything was recorded"
                                          : "standard input closed: the segments are kept for a later join");
        }
    }
    // A discard ended the cores under a pause or resume: whatever that step concluded, it is a discard.
    if (commands.DiscardRequested() && control.State() != SessionState::Discarded)
        step = control.OnCommand(EncoderCommand::Discard);

    JoinResult result = JoinResult::Stopped;
    if (step == SessionStep::KeepSegments || step == SessionStep::FinishAndKeep) {
        if (step == SessionStep::FinishAndKeep) recording.EndSegment(false);
        else recording.DiscardWaitingCore();
        LogKeptSegments(recording.Segments(), request.outputPath);
        const int code = control.CoreFailed() ? kExitCoreLost : kExitJoinFailed;
        TAVRIX_LOG(LevelInfo) << "done, exit code " << code;
        return code;
    }
    if (step != SessionStep::Discard) {
        if (step == SessionStep::FinishAndJoin) recording.EndSegment(false);
        else recording.DiscardWaitingCore();
        JoinRequest join;
        join.corePath = corePath;
        join.segments = recording.Segments();
        join.listPath = recording.ListPath();
        join.outputPath = request.outputPath;
        join.coreOutput = log.CoreOutput();
        join.job = recording.Job();
        join.wake = commands.Event();
        join.stop = [&commands, &control] {
            if (commands.DiscardRequested()) return true;
            bool closed = false;
            for (EncoderCommand command : commands.Take(closed))
                if (control.OnCommand(command) == SessionStep::Discard) return true;
            return false;
        };
        result = JoinSegments(join);
    }
    if (result == JoinResult::Stopped) {
        recording.DiscardAll();
        TAVRIX_LOG(LevelInfo) << "discarded: segments, list and log deleted, exit code " << kExitDiscarded;
        log.CloseAndDelete();
        return kExitDiscarded;
    }
    if (result != JoinResult::Joined) LogKeptSegments(recording.Segments(), request.outputPath);
    const int code = ExitCodeOf(result);
    TAVRIX_LOG(LevelInfo) << "done, exit code " << code;
    return code;
}

int RunJoinSegments(const std::wstring& outputPath, const std::wstring& corePath) {
    EncoderLog log(outputPath);
    TAVRIX_LOG(LevelInfo) << "joining the segments left beside " << Narrow(outputPath);
    if (!CoreIsThere(corePath)) return kExitNoCore;

    const std::wstring folder = FolderOfPath(outputPath);
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW((folder + FileNameOfPath(outputPath) + L".part*.mkv").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    JoinRequest join;
    for (const std::wstring& name : LeftoverSegmentNames(FileNameOfPath(outputPath), names))
        join.segments.push_back(folder + name);
    if (join.segments.empty()) {
        TAVRIX_LOG(LevelError) << "no segments found: nothing to join";
        return kExitJoinFailed;
    }
    UniqueHandle job = CreateKillOnCloseJob();
    join.corePath = corePath;
    join.listPath = SegmentList(outputPath, nullptr).ListPath();
    join.outputPath = outputPath;
    join.coreOutput = log.CoreOutput();
    join.job = job.get();
    const JoinResult result = JoinSegments(join);
    if (result != JoinResult::Joined) LogKeptSegments(join.segments, outputPath);
    const int code = ExitCodeOf(result);
    TAVRIX_LOG(LevelInfo) << "done, exit code " << code;
    return code;
}

void ReportToConsole(const std::wstring& message) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(error, &mode)) {
        WriteConsoleW(error, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Utf8FromWide(message);
    WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

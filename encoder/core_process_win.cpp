#include "encoder/core_process_win.h"

#include <mutex>
#include <thread>

#include "encoder/core_log.h"
#include "protocol/commands.h"
#include "support/child_process_win.h"

namespace {

// The exit code of a core the adapter had to end.
constexpr UINT kEndedCoreCode = 9;

}  // namespace

struct CoreProcess::OutputReader {
    UniqueHandle pipe;  // the read end
    UniqueHandle log;   // a handle of the adapter's log of its own, valid however long the thread runs
    UniqueHandle found;  // set once the first picture time is known or the output ended
    UniqueHandle done;   // set when the thread has written its last line
    std::mutex mutex;
    std::optional<int64_t> firstPicture;

    void WriteLine(const std::string& line) {
        if (!log) return;
        const std::string bytes = line + "\n";
        DWORD written = 0;
        WriteFile(log.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

    void Take(const std::string& line, FirstPictureFinder& finder) {
        const CoreLogLine parsed = ParseCoreLogLine(line);
        if (!parsed.information) WriteLine(parsed.text);
        if (const std::optional<int64_t> picture = finder.Feed(parsed.text)) {
            std::lock_guard<std::mutex> lock(mutex);
            firstPicture = picture;
            SetEvent(found.get());
        }
    }

    static void Run(const std::shared_ptr<OutputReader>& reader) {
        LineSplitter splitter;
        FirstPictureFinder finder;
        char buffer[4096];
        for (;;) {
            DWORD read = 0;
            if (!ReadFile(reader->pipe.get(), buffer, sizeof(buffer), &read, nullptr) || read == 0) break;
            for (const std::string& line : splitter.Feed(buffer, read)) reader->Take(line, finder);
        }
        const std::string rest = splitter.Rest();
        if (!rest.empty()) reader->Take(rest, finder);
        SetEvent(reader->found.get());
        SetEvent(reader->done.get());
    }
};

UniqueHandle CreateKillOnCloseJob() {
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)))
        job.reset();
    return job;
}

bool CoreProcess::Start(const std::wstring& commandLine, HANDLE job, HANDLE output, DWORD& error, bool readOutput) {
    error = 0;
    EndReader();
    m_process = ProcessRecord();
    m_input.reset();
    m_inJob = false;

    // The core's end of its output pipe is held by the core alone once it
    // runs, so the pipe ends when the core exits.
    std::shared_ptr<OutputReader> reader;
    UniqueHandle outputEnd;
    if (readOutput) {
        reader = std::make_shared<OutputReader>();
        reader->found.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        reader->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (output)
            DuplicateHandle(GetCurrentProcess(), output, GetCurrentProcess(), reader->log.put(), 0, FALSE,
                            DUPLICATE_SAME_ACCESS);
        if (!reader->found || !reader->done || !CreatePipe(reader->pipe.put(), outputEnd.put(), nullptr, 0)) {
            error = GetLastError();
            return false;
        }
        output = outputEnd.get();
    }

    ChildStart start;
    start.commandLine = commandLine;
    start.inputPipe = true;
    start.output = output;
    start.job = job;
    Child child;
    if (!StartChild(start, child, error)) return false;
    m_process = std::move(child.process);
    m_input = std::move(child.input);
    m_inJob = child.inJob;
    if (reader) {
        outputEnd.reset();
        std::thread(OutputReader::Run, reader).detach();
        m_reader = std::move(reader);
    }
    return true;
}

std::optional<int64_t> CoreProcess::FirstPicture(DWORD timeoutMs) {
    if (!m_reader) return std::nullopt;
    HANDLE waits[2] = {m_reader->found.get(), Handle()};
    WaitForMultipleObjects(Running() ? 2 : 1, waits, FALSE, timeoutMs);
    std::lock_guard<std::mutex> lock(m_reader->mutex);
    return m_reader->firstPicture;
}

void CoreProcess::EndReader() {
    // The core has exited: its output ends at once, and the last lines are
    // in the log before anything else is written there.
    if (m_reader) WaitForSingleObject(m_reader->done.get(), 2000);
    m_reader.reset();
}

DWORD CoreProcess::Finish(DWORD timeoutMs, bool& forced) {
    forced = false;
    if (!Running()) return 0;
    DWORD written = 0;
    WriteFile(m_input.get(), kCoreQuitCommand, sizeof(kCoreQuitCommand) - 1, &written, nullptr);
    if (WaitForSingleObject(Handle(), timeoutMs) != WAIT_OBJECT_0) {
        forced = true;
        TerminateProcess(Handle(), kEndedCoreCode);
        WaitForSingleObject(Handle(), 5000);
    }
    return Reap();
}

DWORD CoreProcess::Reap() {
    DWORD code = 0;
    if (!GetExitCodeProcess(Handle(), &code)) code = static_cast<DWORD>(-1);
    m_process = ProcessRecord();
    m_input.reset();
    EndReader();
    return code;
}

void CoreProcess::Discard() {
    if (!Running()) return;
    TerminateProcess(Handle(), kEndedCoreCode);
    WaitForSingleObject(Handle(), 5000);
    Reap();
}

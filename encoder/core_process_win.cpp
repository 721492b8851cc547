#include "encoder/core_process_win.h"

#include <ntsecapi.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "encoder/core_log.h"
#include "encoder/encoder_args.h"

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

    SECURITY_ATTRIBUTES inherit = {};
    inherit.nLength = sizeof(inherit);
    inherit.bInheritHandle = TRUE;
    UniqueHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.put(), writeEnd.put(), &inherit, 0)) {
        error = GetLastError();
        return false;
    }
    if (!SetHandleInformation(writeEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
        error = GetLastError();
        return false;
    }

    // The core's end of its output pipe is inheritable only until the core
    // has it, so no other child holds it and its end is the core's exit.
    std::shared_ptr<OutputReader> reader;
    UniqueHandle outputEnd;
    if (readOutput) {
        reader = std::make_shared<OutputReader>();
        reader->found.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        reader->done.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (output)
            DuplicateHandle(GetCurrentProcess(), output, GetCurrentProcess(), reader->log.put(), 0, FALSE,
                            DUPLICATE_SAME_ACCESS);
        if (!reader->found || !reader->done || !CreatePipe(reader->pipe.put(), outputEnd.put(), &inherit, 0) ||
            !SetHandleInformation(reader->pipe.get(), HANDLE_FLAG_INHERIT, 0)) {
            error = GetLastError();
            return false;
        }
        output = outputEnd.get();
    }

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = readEnd.get();
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION info = {};
    std::wstring mutableLine = commandLine;
    // Suspended until it is in the job, so not one instruction runs outside it.
    // The adapter has no console (Tavrix starts it without one): neither may the core.
    const DWORD flags = CREATE_SUSPENDED | CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS;
    BOOL started = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE,
                                  flags | CREATE_BREAKAWAY_FROM_JOB, nullptr, nullptr, &startup, &info);
    if (!started) {
        // Inside a job that forbids breaking away, the core stays in that job too.
        mutableLine = commandLine;
        started = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                 &startup, &info);
    }
    if (!started) {
        error = GetLastError();
        return false;
    }
    m_process.process.reset(info.hProcess);
    m_process.thread.reset(info.hThread);
    m_process.processId = info.dwProcessId;
    m_inJob = job != nullptr && AssignProcessToJobObject(job, info.hProcess);
    if (reader) {
        outputEnd.reset();
        std::thread(OutputReader::Run, reader).detach();
        m_reader = std::move(reader);
    }
    ResumeThread(info.hThread);
    m_input = std::move(writeEnd);
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
    WriteFile(m_input.get(), "q\n", 2, &written, nullptr);
    if (WaitForSingleObject(Handle(), timeoutMs) != WAIT_OBJECT_0) {
        forced = true;
        TerminateProcess(Handle(), 9);
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
    TerminateProcess(Handle(), 9);
    WaitForSingleObject(Handle(), 5000);
    Reap();
}

namespace {

// A pipe name nobody can guess: 128 bits from the system's random source.
// Should that fail, the name is still unique, and the pipe is protected by
// being the first instance and by its access list.
std::wstring RandomPipeName(unsigned number) {
    unsigned char bytes[16] = {};
    wchar_t text[64] = {};
    if (RtlGenRandom(bytes, sizeof(bytes))) {
        for (size_t i = 0; i < sizeof(bytes); ++i) std::swprintf(text + 2 * i, 3, L"%02x", bytes[i]);
    } else {
        LARGE_INTEGER now = {};
        QueryPerformanceCounter(&now);
        std::swprintf(text, 64, L"%lx-%llx-%u", GetCurrentProcessId(), static_cast<unsigned long long>(now.QuadPart),
                      number);
    }
    return std::wstring(L"\\\\.\\pipe\\tavrix-gate-") + text;
}

// Security attributes whose access list lets in the current user only.
class CurrentUserOnly {
public:
    bool Build() {
        UniqueHandle token;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
        DWORD size = 0;
        GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        if (size == 0) return false;
        m_user.resize(size);
        if (!GetTokenInformation(token.get(), TokenUser, m_user.data(), size, &size)) return false;
        PSID user = reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid;
        const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(user);
        m_acl.resize(aclSize);
        PACL acl = reinterpret_cast<PACL>(m_acl.data());
        if (!InitializeAcl(acl, aclSize, ACL_REVISION) || !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, user))
            return false;
        if (!InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE))
            return false;
        m_attributes.nLength = sizeof(m_attributes);
        m_attributes.lpSecurityDescriptor = &m_descriptor;
        m_attributes.bInheritHandle = FALSE;
        return true;
    }
    SECURITY_ATTRIBUTES* Attributes() { return &m_attributes; }

private:
    std::vector<unsigned char> m_user;
    std::vector<unsigned char> m_acl;
    SECURITY_DESCRIPTOR m_descriptor = {};
    SECURITY_ATTRIBUTES m_attributes = {};
};

}  // namespace

bool CoreGate::Create(unsigned number) {
    StopListening();
    m_pipe.reset();
    CurrentUserOnly security;
    if (!security.Build()) return false;
    m_path = RandomPipeName(number);
    m_event.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    // The first instance or nothing: a pipe someone made under this name
    // beforehand would otherwise take the core's connection.
    m_pipe.reset(CreateNamedPipeW(m_path.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                  PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, security.Attributes()));
    return m_event && m_pipe;
}

bool CoreGate::Listen() {
    if (m_listening || m_connected) return true;
    if (!m_pipe) return false;
    m_connect = OVERLAPPED();
    m_connect.hEvent = m_event.get();
    ResetEvent(m_event.get());
    if (ConnectNamedPipe(m_pipe.get(), &m_connect)) {
        m_connected = true;
    } else {
        const DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED) m_connected = true;
        else if (error == ERROR_IO_PENDING) m_listening = true;
        else return false;
    }
    if (m_connected) SetEvent(m_event.get());
    return true;
}

void CoreGate::StopListening() {
    if (m_listening) {
        DWORD ignored = 0;
        CancelIo(m_pipe.get());
        GetOverlappedResult(m_pipe.get(), &m_connect, &ignored, TRUE);
    }
    m_listening = false;
    m_connected = false;
}

bool CoreGate::Open(HANDLE core, DWORD timeoutMs) {
    if (!Listen()) {
        m_pipe.reset();
        return false;
    }
    if (m_listening) {
        HANDLE waits[2] = {m_event.get(), core};
        if (WaitForMultipleObjects(2, waits, FALSE, timeoutMs) == WAIT_OBJECT_0) {
            DWORD ignored = 0;
            m_connected = GetOverlappedResult(m_pipe.get(), &m_connect, &ignored, FALSE) != FALSE;
            m_listening = false;
        }
    }
    if (!m_connected) {
        StopListening();
        m_pipe.reset();
        return false;
    }
    m_connected = false;
    OVERLAPPED write = {};
    write.hEvent = m_event.get();
    ResetEvent(m_event.get());
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(std::strlen(kGateContent));
    bool wrote = WriteFile(m_pipe.get(), kGateContent, size, &written, &write) != FALSE;
    if (!wrote && GetLastError() == ERROR_IO_PENDING)
        wrote = GetOverlappedResult(m_pipe.get(), &write, &written, TRUE) != FALSE;
    // Closing our end after the bytes gives the core the end of its input.
    m_pipe.reset();
    return wrote && written == size;
}

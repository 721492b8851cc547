#include "support/child_process_win.h"

#include <vector>

namespace {

// An inheritable copy of `handle`, for the child alone: closed once it runs.
UniqueHandle InheritableCopy(HANDLE handle) {
    UniqueHandle copy;
    if (handle != nullptr)
        DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), copy.put(), 0, TRUE, DUPLICATE_SAME_ACCESS);
    return copy;
}

// The list of handles a child may inherit, so it gets those and no other
// inheritable handle this process holds at the moment (another thread's
// pipe, a core's gate).
class InheritedHandles {
public:
    InheritedHandles(HANDLE* handles, DWORD count) : m_count(count) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_storage.resize(size);
        m_list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_storage.data());
        if (count == 0 || size == 0 || !InitializeProcThreadAttributeList(m_list, 1, 0, &size)) {
            m_list = nullptr;
            return;
        }
        if (!UpdateProcThreadAttribute(m_list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, count * sizeof(HANDLE),
                                       nullptr, nullptr)) {
            DeleteProcThreadAttributeList(m_list);
            m_list = nullptr;
        }
    }
    ~InheritedHandles() {
        if (m_list) DeleteProcThreadAttributeList(m_list);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return m_list; }
    bool any() const { return m_count > 0; }

private:
    std::vector<unsigned char> m_storage;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
    DWORD m_count;
};

BOOL Create(const ChildStart& start, std::wstring& line, DWORD flags, STARTUPINFOEXW& startup,
            const InheritedHandles& inherited, PROCESS_INFORMATION& info) {
    startup.lpAttributeList = inherited.get();
    startup.StartupInfo.cb = inherited.get() != nullptr ? sizeof(STARTUPINFOEXW) : sizeof(STARTUPINFOW);
    if (inherited.get() != nullptr) flags |= EXTENDED_STARTUPINFO_PRESENT;
    return CreateProcessW(start.program.empty() ? nullptr : start.program.c_str(), line.data(), nullptr, nullptr,
                          inherited.any() ? TRUE : FALSE, flags, nullptr,
                          start.folder.empty() ? nullptr : start.folder.c_str(), &startup.StartupInfo, &info);
}

// The child's input pipe: the read end inheritable, the write end ours,
// `firstInput` already in it. False with the error when it cannot be had.
bool MakeInputPipe(const std::string& firstInput, UniqueHandle& read, UniqueHandle& write, DWORD& error) {
    SECURITY_ATTRIBUTES inherit = {};
    inherit.nLength = sizeof(inherit);
    inherit.bInheritHandle = TRUE;
    if (!CreatePipe(read.put(), write.put(), &inherit, 0) || !SetHandleInformation(write.get(), HANDLE_FLAG_INHERIT, 0)) {
        error = GetLastError();
        return false;
    }
    DWORD written = 0;
    const DWORD size = static_cast<DWORD>(firstInput.size());
    if (size > 0 && (!WriteFile(write.get(), firstInput.data(), size, &written, nullptr) || written != size)) {
        error = GetLastError();
        return false;
    }
    return true;
}

}  // namespace

bool StartChild(const ChildStart& start, Child& child, DWORD& error) {
    error = 0;
    child = Child();
    UniqueHandle inputRead, inputWrite;
    if (start.inputPipe && !MakeInputPipe(start.firstInput, inputRead, inputWrite, error)) return false;
    const UniqueHandle output = InheritableCopy(start.output);
    if (start.output != nullptr && !output) {
        error = GetLastError();
        return false;
    }

    // Only the handles given here reach the child: none at all otherwise.
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = inputRead.get();
    startup.StartupInfo.hStdOutput = output.get();
    startup.StartupInfo.hStdError = output.get();
    HANDLE handles[2] = {};
    DWORD count = 0;
    if (inputRead) handles[count++] = inputRead.get();
    if (output) handles[count++] = output.get();
    const InheritedHandles inherited(handles, count);
    PROCESS_INFORMATION info = {};
    std::wstring line = start.commandLine;
    DWORD flags = CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS;
    BOOL started = FALSE;
    if (start.job != nullptr) {
        // Suspended until it is in the job, so not one instruction runs outside it.
        flags |= CREATE_SUSPENDED;
        started = Create(start, line, flags | CREATE_BREAKAWAY_FROM_JOB, startup, inherited, info);
        // Inside a job that forbids breaking away, the child stays in that job too.
        if (!started) line = start.commandLine;
    }
    if (!started) started = Create(start, line, flags, startup, inherited, info);
    if (!started) {
        error = GetLastError();
        return false;
    }
    child.process.process.reset(info.hProcess);
    child.process.thread.reset(info.hThread);
    child.process.processId = info.dwProcessId;
    if (start.job != nullptr) {
        child.inJob = AssignProcessToJobObject(start.job, info.hProcess) != FALSE;
        ResumeThread(info.hThread);
    }
    child.input = std::move(inputWrite);
    return true;
}

#include "support/child_process_win.h"

namespace {

// An inheritable copy of `handle`, for the child alone: closed once it runs.
UniqueHandle InheritableCopy(HANDLE handle) {
    UniqueHandle copy;
    if (handle != nullptr)
        DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), copy.put(), 0, TRUE, DUPLICATE_SAME_ACCESS);
    return copy;
}

BOOL Create(const ChildStart& start, std::wstring& line, DWORD flags, STARTUPINFOW& startup, bool inherit,
            PROCESS_INFORMATION& info) {
    return CreateProcessW(start.program.empty() ? nullptr : start.program.c_str(), line.data(), nullptr, nullptr,
                          inherit ? TRUE : FALSE, flags, nullptr, start.folder.empty() ? nullptr : start.folder.c_str(),
                          &startup, &info);
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
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    const bool inheritHandles = inputRead || output;
    PROCESS_INFORMATION info = {};
    std::wstring line = start.commandLine;
    DWORD flags = CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS;
    BOOL started = FALSE;
    if (start.job != nullptr) {
        // Suspended until it is in the job, so not one instruction runs outside it.
        flags |= CREATE_SUSPENDED;
        started = Create(start, line, flags | CREATE_BREAKAWAY_FROM_JOB, startup, inheritHandles, info);
        // Inside a job that forbids breaking away, the child stays in that job too.
        if (!started) line = start.commandLine;
    }
    if (!started) started = Create(start, line, flags, startup, inheritHandles, info);
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

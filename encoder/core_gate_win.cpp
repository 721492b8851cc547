#include "encoder/core_gate_win.h"

#include <ntsecapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "encoder/encoder_args.h"

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

#include "encoder/private_pipe_win.h"

#include <ntsecapi.h>

#include <cwchar>
#include <vector>

namespace {

// Since Windows Vista; older headers lack the name.
#ifndef PIPE_REJECT_REMOTE_CLIENTS
constexpr DWORD PIPE_REJECT_REMOTE_CLIENTS = 0x00000008;
#endif

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

std::wstring UnguessablePipeName(const wchar_t* stem) {
    unsigned char bytes[16] = {};
    wchar_t text[64] = {};
    if (RtlGenRandom(bytes, sizeof(bytes))) {
        for (size_t i = 0; i < sizeof(bytes); ++i) std::swprintf(text + 2 * i, 3, L"%02x", bytes[i]);
    } else {
        static LONG count = 0;
        LARGE_INTEGER now = {};
        QueryPerformanceCounter(&now);
        std::swprintf(text, 64, L"%lx-%llx-%lx", GetCurrentProcessId(), static_cast<unsigned long long>(now.QuadPart),
                      static_cast<unsigned long>(InterlockedIncrement(&count)));
    }
    return std::wstring(L"\\\\.\\pipe\\tavrix-") + stem + L"-" + text;
}

UniqueFile CreatePrivatePipe(const std::wstring& path, DWORD access, DWORD outBufferBytes, DWORD inBufferBytes) {
    CurrentUserOnly security;
    if (!security.Build()) return UniqueFile();
    return UniqueFile(CreateNamedPipeW(path.c_str(), access | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                       PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, outBufferBytes,
                                       inBufferBytes, 0, security.Attributes()));
}

#include "recording/work_folder_win.h"

#include <windows.h>

#include "support/log.h"
#include "support/text_win.h"
#include "support/unique_win.h"

const wchar_t kWorkFolderKey[] = L"Software\\Tavrix";
const wchar_t kWorkFolderValue[] = L"WorkFolder";

namespace {

std::wstring WithoutTrailingSlash(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

std::wstring WorkFolderSetting() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWorkFolderKey, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, key.put()) !=
        ERROR_SUCCESS)
        return std::wstring();
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key.get(), kWorkFolderValue, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    std::wstring folder(value, size / sizeof(wchar_t));
    while (!folder.empty() && folder.back() == L'\0') folder.pop_back();
    if (type == REG_EXPAND_SZ) {
        wchar_t expanded[MAX_PATH] = {};
        const DWORD length = ExpandEnvironmentStringsW(folder.c_str(), expanded, MAX_PATH);
        folder = length > 0 && length <= MAX_PATH ? std::wstring(expanded) : std::wstring();
    }
    return WithoutTrailingSlash(folder);
}

bool MakeFolder(const std::wstring& folder) {
    if (CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    return false;
}

std::wstring UserName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring();
}

}  // namespace

std::wstring UserWorkFolder() {
    const std::wstring setting = WorkFolderSetting();
    if (setting.empty()) return std::wstring();
    const std::wstring user = UserName();
    const std::wstring folder = user.empty() ? setting : setting + L"\\" + user;
    // The recording's path is kept in the ANSI code page: a folder it cannot
    // name would lose the lesson.
    if (WidenText(NarrowText(folder, CP_ACP), CP_ACP) != folder) {
        TAVRIX_LOG(LevelDebug) << "the work folder cannot be named in this code page; the temporary folder is used";
        return std::wstring();
    }
    if (!MakeFolder(setting) || !MakeFolder(folder)) {
        const DWORD error = GetLastError();
        TAVRIX_LOG(LevelDebug) << "the work folder " << NarrowText(folder, CP_ACP) << " cannot be made, error " << error
                               << "; the temporary folder is used";
        return std::wstring();
    }
    return folder;
}

std::wstring TemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    std::wstring folder(temp, length);
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

std::wstring RecordingsFolder() {
    const std::wstring work = UserWorkFolder();
    return work.empty() ? TemporaryFolder() : work;
}

std::vector<std::wstring> LeftoverFolders() {
    std::vector<std::wstring> folders;
    const std::wstring work = UserWorkFolder();
    if (!work.empty()) folders.push_back(work);
    const std::wstring temp = TemporaryFolder();
    if (!temp.empty() && (work.empty() || _wcsicmp(work.c_str(), temp.c_str()) != 0)) folders.push_back(temp);
    return folders;
}

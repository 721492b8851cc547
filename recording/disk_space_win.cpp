#include "recording/disk_space_win.h"

#include "recording/encoder_process_win.h"
#include "support/text_win.h"

const wchar_t kTooLittleSpaceToStartText[] =
    L"磁盘剩余空间不足 500 MB，无法开始录像。请删除一些不需要的文件，腾出空间后再试。";
const wchar_t kTooLittleSpacePausedText[] =
    L"磁盘剩余空间快不够保存这段录像了，录像已暂停。请点“完成并保存”保存已经录下的内容，腾出空间后再继续录。";

std::function<uint64_t(const std::wstring&)> FreeSpaceProbe = FreeBytesFor;

uint64_t FreeBytesFor(const std::wstring& path) {
    std::wstring at = path;
    for (int up = 0; up < 32 && !at.empty(); ++up) {
        ULARGE_INTEGER available = {};
        if (GetDiskFreeSpaceExW(at.c_str(), &available, nullptr, nullptr)) return available.QuadPart;
        const size_t slash = at.find_last_of(L"\\/");
        if (slash == std::wstring::npos) break;
        at.resize(slash);
        // "C:" alone means the current folder of drive C: ask its root.
        if (at.size() == 2 && at[1] == L':') at += L"\\";
    }
    return UINT64_MAX;
}

uint64_t RecordingFreeBytes() {
    const std::wstring path = WidenText(RecordingPath, CP_ACP);
    return FreeSpaceProbe ? FreeSpaceProbe(path) : FreeBytesFor(path);
}

#include "recording/save_failure.h"

namespace {

// The system's error codes that tell the cause (winerror.h).
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kInvalidDrive = 15;
constexpr uint32_t kWriteProtect = 19;
constexpr uint32_t kNotReady = 21;
constexpr uint32_t kGenFailure = 31;
constexpr uint32_t kHandleDiskFull = 39;
constexpr uint32_t kBadNetPath = 53;
constexpr uint32_t kDevNotExist = 55;
constexpr uint32_t kNetNameDeleted = 64;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kFileTooLarge = 223;
constexpr uint32_t kNoMediaInDrive = 1112;
constexpr uint32_t kDeviceNotConnected = 1167;
constexpr uint32_t kDiskQuotaExceeded = 1295;

// The largest file FAT16 and FAT32 can hold: 4 GB less a byte.
constexpr uint64_t kFatLargestFile = 0xFFFFFFFFull;

bool IsFat(const std::wstring& fileSystem) {
    return fileSystem == L"FAT" || fileSystem == L"FAT32" || fileSystem == L"FAT16" || fileSystem == L"FAT12";
}

}  // namespace

SaveFailure ClassifySaveFailure(uint32_t error, uint64_t fileBytes, const std::wstring& fileSystem,
                                bool readOnlyVolume) {
    // A FAT stick refuses the file whatever code the copy ends with.
    if (fileBytes > kFatLargestFile && IsFat(fileSystem)) return SaveFailure::TooLargeForFat;
    switch (error) {
    case kDiskFull:
    case kHandleDiskFull:
    case kDiskQuotaExceeded:
        return SaveFailure::DiskFull;
    case kWriteProtect:
        return SaveFailure::ReadOnly;
    case kFileTooLarge:
        return SaveFailure::TooLargeForFat;
    case kPathNotFound:
    case kInvalidDrive:
    case kNotReady:
    case kGenFailure:
    case kBadNetPath:
    case kDevNotExist:
    case kNetNameDeleted:
    case kNoMediaInDrive:
    case kDeviceNotConnected:
        // A folder that is missing on a drive still there is not "gone":
        // only a drive the system cannot ask any more.
        return fileSystem.empty() ? SaveFailure::Gone : SaveFailure::Unknown;
    case kAccessDenied:
        return readOnlyVolume ? SaveFailure::ReadOnly : SaveFailure::Unknown;
    default:
        return SaveFailure::Unknown;
    }
}

std::wstring SaveFailureCause(SaveFailure failure) {
    switch (failure) {
    case SaveFailure::DiskFull: return L"原因：目标磁盘已经满了。请换一个位置，或删除一些文件后再保存。";
    case SaveFailure::ReadOnly: return L"原因：目标磁盘是只读的（U 盘的写保护开关可能打开了）。请换一个位置保存。";
    case SaveFailure::Gone: return L"原因：目标磁盘已经找不到了（U 盘可能被拔出了）。请插好后再保存，或换一个位置。";
    case SaveFailure::TooLargeForFat:
        return L"原因：录像超过 4 GB，而这个 U 盘是 FAT32 格式，放不下这么大的文件。请保存到电脑的硬盘上。";
    case SaveFailure::Unknown: break;
    }
    return std::wstring();
}

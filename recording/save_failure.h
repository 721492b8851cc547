// Why a finished recording could not be moved where the teacher chose, in
// words a teacher understands: the drive is full, read-only or gone, or a
// FAT32 stick cannot hold a file over 4 GB. Nothing here touches Windows:
// the error code, the file's size and the target's file system come in.
#pragma once

#include <cstdint>
#include <string>

enum class SaveFailure { Unknown, DiskFull, ReadOnly, Gone, TooLargeForFat };

// `error`: the move's system error code; `fileBytes`: the recording's size;
// `fileSystem`: the target volume's file system name ("FAT32", "NTFS", ...;
// empty when it could not be asked, as when the drive is gone);
// `readOnlyVolume`: the volume says it is read-only.
SaveFailure ClassifySaveFailure(uint32_t error, uint64_t fileBytes, const std::wstring& fileSystem,
                                bool readOnlyVolume);

// The cause in plain words; empty for Unknown.
std::wstring SaveFailureCause(SaveFailure failure);

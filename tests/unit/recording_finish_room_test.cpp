// The finish's needs, before it runs and when it fails: the free space that
// keeps a lesson's join possible, and what the teacher is told when the move
// to the chosen place fails.
#include <gtest/gtest.h>

#include <string>

#include "protocol/session.h"
#include "recording/disk_space.h"
#include "recording/save_failure.h"

// A long lesson on a nearly full drive: the recording pauses while the
// finish still fits, never after it stopped fitting.
TEST(JudgeFreeSpace, PausesWhileTheFinishStillFitsAndWarnsBeforeThat) {
    constexpr uint64_t MB = kMegabyte;
    EXPECT_EQ(JudgeFreeSpace(10000 * MB, 0), SpaceVerdict::Plenty);
    EXPECT_EQ(JudgeFreeSpace(199 * MB, 0), SpaceVerdict::Pause);  // the old floor holds for an empty recording
    // Two hours recorded, 3 GB of segments: the join needs about 3.2 GB more.
    const uint64_t recorded = 3000 * MB;
    const uint64_t finish = JoinSpaceNeeded(recorded);
    EXPECT_GT(finish, recorded);
    EXPECT_EQ(JudgeFreeSpace(finish + kFreeBytesToWarn, recorded), SpaceVerdict::Plenty);
    EXPECT_EQ(JudgeFreeSpace(finish + kFreeBytesToWarn - 1, recorded), SpaceVerdict::Warn);
    EXPECT_EQ(JudgeFreeSpace(finish + kFreeBytesToGoOn, recorded), SpaceVerdict::Warn);
    EXPECT_EQ(JudgeFreeSpace(finish + kFreeBytesToGoOn - 1, recorded), SpaceVerdict::Pause);
    // 1 GB free passed the old 200 MB rule, yet the finish needs 3.2 GB.
    EXPECT_EQ(JudgeFreeSpace(1000 * MB, recorded), SpaceVerdict::Pause);
    EXPECT_TRUE(EnoughSpaceToGoOn(1000 * MB));
}

TEST(ClassifySaveFailure, NamesTheCauseWhereTheSystemTellsItAndNothingElse) {
    const uint64_t small = 300ull << 20, big = 5ull << 30;
    const struct {
        uint32_t error;
        uint64_t bytes;
        const wchar_t* fileSystem;
        bool readOnly;
        SaveFailure expected;
    } cases[] = {
        {112, small, L"NTFS", false, SaveFailure::DiskFull},    // ERROR_DISK_FULL
        {39, small, L"FAT32", false, SaveFailure::DiskFull},    // ERROR_HANDLE_DISK_FULL
        {19, small, L"FAT32", true, SaveFailure::ReadOnly},     // ERROR_WRITE_PROTECT
        {5, small, L"FAT32", true, SaveFailure::ReadOnly},      // access denied on a read-only volume
        {5, small, L"NTFS", false, SaveFailure::Unknown},       // access denied to a folder: no cause known
        {21, small, L"", false, SaveFailure::Gone},             // ERROR_NOT_READY: the stick was pulled out
        {3, small, L"", false, SaveFailure::Gone},              // its drive letter is gone
        {3, small, L"NTFS", false, SaveFailure::Unknown},       // a folder missing on a drive still there
        {1167, small, L"", false, SaveFailure::Gone},           // ERROR_DEVICE_NOT_CONNECTED
        {112, big, L"FAT32", false, SaveFailure::TooLargeForFat},
        {87, big, L"FAT32", false, SaveFailure::TooLargeForFat},  // whatever the copy ends with
        {223, big, L"exFAT", false, SaveFailure::TooLargeForFat},  // ERROR_FILE_TOO_LARGE
        {112, big, L"NTFS", false, SaveFailure::DiskFull},
        {1, small, L"NTFS", false, SaveFailure::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifySaveFailure(c.error, c.bytes, c.fileSystem, c.readOnly), c.expected) << c.error;
    EXPECT_EQ(SaveFailureCause(SaveFailure::Unknown), L"");
    for (SaveFailure known : {SaveFailure::DiskFull, SaveFailure::ReadOnly, SaveFailure::Gone, SaveFailure::TooLargeForFat})
        EXPECT_EQ(SaveFailureCause(known).rfind(L"原因：", 0), 0u);
}

// Which folders under the temporary folder hold a recording to offer, which
// are litter to remove and which are left alone; the texts that offer it.
#include <gtest/gtest.h>

#include "recording/disk_space.h"
#include "recording/leftover_recording.h"

namespace {

TEST(LeftoverRecording, FoldersAreJudgedByWhatTheyHold) {
    using V = FolderVerdict;
    const struct {
        std::vector<FolderFile> files;
        FolderVerdict verdict;
    } cases[] = {
        {{}, V::Litter},
        {{{"temp.avi", 0}}, V::Litter},  // a crash before the first frame
        {{{"temp.avi", 0}, {"temp.avi.encoder.log", 900}, {"temp.avi.concat.txt", 40}}, V::Litter},
        {{{"temp.avi.part001.mkv", 0}}, V::Litter},
        {{{"temp.avi.part001.mkv", 5000}}, V::Leftover},
        {{{"TEMP.AVI.PART002.MKV", 5000}, {"temp.avi.encoder.log", 10}}, V::Leftover},
        // A half-written join beside the segments: the segments are what counts.
        {{{"temp.avi", 70000}, {"temp.avi.part001.mkv", 5000}}, V::Leftover},
        // A finished recording nobody saved: offered as it is.
        {{{"temp.avi", 70000}, {"temp.avi.encoder.log", 10}}, V::Finished},
        // Anything the program does not write: somebody else's folder.
        {{{"temp.avi.part001.mkv", 5000}, {"notes.docx", 10}}, V::NotOurs},
        {{{"temp.avi.partA.mkv", 5000}}, V::NotOurs},
        {{{"temp.avi.part1.mp4", 5000}}, V::NotOurs},
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        EXPECT_EQ(JudgeRecordingFolder(cases[i].files), cases[i].verdict) << "case " << i;

    EXPECT_TRUE(IsRecordingFolderName("RecA1b2.tmp"));
    EXPECT_TRUE(IsRecordingFolderName("recclass2"));
    EXPECT_TRUE(IsRecordingFolderName("RecClass1a2b"));
    EXPECT_FALSE(IsRecordingFolderName("Rec.tmp"));
    EXPECT_FALSE(IsRecordingFolderName("Recipes"));
    EXPECT_FALSE(IsRecordingFolderName("tavrix-flow-1"));
}

TEST(LeftoverRecording, AFinishedRecordingsDurationComesFromItsAviHeader) {
    // The head of an AVI: 100000 us a frame (10 a second), 125 frames.
    uint8_t head[64] = {};
    const char* text = "RIFF\0\0\0\0AVI LIST\0\0\0\0hdrlavih";
    for (int i = 0; i < 28; ++i) head[i] = static_cast<uint8_t>(text[i]);
    head[32] = 0xA0; head[33] = 0x86; head[34] = 0x01;  // 100000
    head[48] = 125;
    EXPECT_EQ(AviDurationNs(head, sizeof(head)), 12500000000LL);
    EXPECT_EQ(AviDurationNs(head, 40), 0);
    head[8] = 'X';
    EXPECT_EQ(AviDurationNs(head, sizeof(head)), 0);
}

TEST(LeftoverRecording, SegmentsAreJoinedInTheirNumberOrder) {
    const std::vector<FolderFile> files = {{"temp.avi.part010.mkv", 1}, {"temp.avi.encoder.log", 1},
                                           {"temp.avi.part1000.mkv", 1}, {"temp.avi.part002.mkv", 1},
                                           {"temp.avi.part999.mkv", 1}};
    const std::vector<std::string> expected = {"temp.avi.part002.mkv", "temp.avi.part010.mkv",
                                               "temp.avi.part999.mkv", "temp.avi.part1000.mkv"};
    EXPECT_EQ(SegmentsInOrder(files), expected);
}

TEST(LeftoverRecording, TheQuestionNamesTheDurationInMinutesAndSeconds) {
    const int64_t s = 1000000000;
    EXPECT_EQ(LeftoverQuestion(0), L"发现一段没有保存的录像（时长 00:00），现在保存吗？");
    EXPECT_EQ(LeftoverQuestion(65 * s + s / 2), L"发现一段没有保存的录像（时长 01:05），现在保存吗？");
    EXPECT_EQ(FormatMinutesSeconds(59 * s + s - 1), L"00:59");
    EXPECT_EQ(FormatMinutesSeconds(125 * 60 * s), L"125:00");
    EXPECT_EQ(FormatMinutesSeconds(-5), L"00:00");
    // Every failure tells what happened and that the recording is kept.
    for (int code : {1, 2, 3, 4, 6, 9}) {
        EXPECT_NE(FinishFailureText(code).find(L"保留"), std::wstring::npos) << code;
    }
    EXPECT_NE(FinishFailureText(6).find(L"磁盘空间"), std::wstring::npos);
}

TEST(DiskSpace, ThresholdsToStartAndToGoOn) {
    EXPECT_FALSE(EnoughSpaceToStart(500 * kMegabyte - 1));
    EXPECT_TRUE(EnoughSpaceToStart(500 * kMegabyte));
    EXPECT_TRUE(EnoughSpaceToGoOn(200 * kMegabyte));
    EXPECT_FALSE(EnoughSpaceToGoOn(200 * kMegabyte - 1));
    // Between the two: a running recording goes on, a new one does not start.
    EXPECT_TRUE(EnoughSpaceToGoOn(300 * kMegabyte));
    EXPECT_FALSE(EnoughSpaceToStart(300 * kMegabyte));
}

}  // namespace

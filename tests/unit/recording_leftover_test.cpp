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
        // The finish cut off (the PC switched off at the bell): every file
        // the encoder writes is the recording's, the lesson is offered.
        {{{"temp.avi.part001.mkv", 5000}, {"temp.avi.part002.mkv", 5000}, {"temp.avi.joining.avi", 9000},
          {"temp.avi.padded1.mkv", 4000}, {"temp.avi.parts.txt", 90}, {"temp.avi.encoder.log", 10}},
         V::Leftover},
        {{{"temp.avi.part001.mkv", 5000}, {"temp.avi.lock", 0}}, V::Leftover},
        // Cut off after the checked rename, before the segments went: the
        // complete file is the lesson.
        {{{"temp.avi", 70000, true}, {"temp.avi.part001.mkv", 5000}, {"temp.avi.part002.mkv", 5000}}, V::Finished},
        // A join's file without its segments: not offered, not deleted either.
        {{{"temp.avi.joining.avi", 9000}, {"temp.avi.encoder.log", 10}}, V::NotOurs},
        {{{"temp.avi.joining.avi", 0}, {"temp.avi.encoder.log", 10}}, V::Litter},
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

// One hurried click or a box that failed never deletes a lesson: only 删除
// (then confirmed) does; 现在保存 saves; everything else keeps it.
TEST(LeftoverRecording, OnlyItsDeleteAnswerDeletesAndEverythingElseKeepsTheLesson) {
    EXPECT_EQ(LeftoverAnswerOf(6), LeftoverAnswer::SaveNow);  // IDYES: 现在保存
    EXPECT_EQ(LeftoverAnswerOf(7), LeftoverAnswer::Delete);   // IDNO: 删除
    for (int other : {0, 1, 2, 3, 4, 5, 8, 10, 11, -1})        // Escape, closing, a failed box, ...
        EXPECT_EQ(LeftoverAnswerOf(other), LeftoverAnswer::Later) << other;
    EXPECT_NE(std::wstring(kLeftoverLaterHint).find(L"以后再说"), std::wstring::npos);
    EXPECT_NE(std::wstring(kLeftoverDeleteQuestion).find(L"删除"), std::wstring::npos);
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

// What a folder under the temporary folder holds after a run of the program:
// a recording left behind (segments the encoder wrote and nobody joined),
// litter (empty files and logs of a run that kept nothing), or something that
// is not ours to touch. Also the texts that offer a leftover recording. No
// Windows here: the scan and the files live in leftover_recording_win.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One file of a recording folder: its name (no folder) and its size; for
// the recording file, whether its writer completed it (its headers say so).
struct FolderFile {
    std::string name;
    uint64_t size = 0;
    bool complete = false;
};

enum class FolderVerdict {
    NotOurs,    // files the program does not write: leave it
    Leftover,   // segments with content: a recording to join and offer
    Finished,   // a complete recording file (the join finished it; the PC may
                // have been switched off before its segments went), or one with
                // content and no segments: a recording to offer as it is
    Litter,     // only empty recording files and logs: remove it
};

// Whether a folder name is one the program makes for its recordings
// ("Rec" ... ".tmp" or "RecClass" ..., any letter case).
bool IsRecordingFolderName(const std::string& name);

// Whether a file name is a segment of the recording "temp.avi":
// "temp.avi.part" followed by digits and ".mkv" (any letter case).
bool IsSegmentName(const std::string& name);

// Every file Tavrix and its encoder write beside a recording counts as the
// recording's (protocol/files.h), so a finish cut off anywhere is offered.
FolderVerdict JudgeRecordingFolder(const std::vector<FolderFile>& files);

// The segments in recording order (by their number, not by text order, so
// part1000 comes after part999).
std::vector<std::string> SegmentsInOrder(const std::vector<FolderFile>& files);

// "mm:ss" for a duration; minutes are not limited to two digits.
std::wstring FormatMinutesSeconds(int64_t durationNs);

// "发现一段没有保存的录像（时长 mm:ss），现在保存吗？"
std::wstring LeftoverQuestion(int64_t durationNs);

// The three answers to it. The box's buttons: IDYES 现在保存, IDNO 删除,
// IDCANCEL 以后再说; Escape and closing the box give IDCANCEL, a box that
// could not be shown 0: both keep the lesson.
enum class LeftoverAnswer { SaveNow, Later, Delete };
LeftoverAnswer LeftoverAnswerOf(int button);
// Under the question: what 以后再说 does.
extern const wchar_t kLeftoverLaterHint[];
// Asked once more before a kept lesson is deleted.
extern const wchar_t kLeftoverDeleteQuestion[];

// What the teacher is told when the encoder ended with `exitCode` instead of
// finishing a recording (any code but 0): what happened and what to do.
std::wstring FinishFailureText(int exitCode);

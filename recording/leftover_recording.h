// What a folder under the temporary folder holds after a run of the program:
// a recording left behind (segments the encoder wrote and nobody joined),
// litter (empty files and logs of a run that kept nothing), or something that
// is not ours to touch. Also the texts that offer a leftover recording. No
// Windows here: the scan and the files live in leftover_recording_win.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One file of a recording folder: its name (no folder) and its size.
struct FolderFile {
    std::string name;
    uint64_t size = 0;
};

enum class FolderVerdict {
    NotOurs,    // files the program does not write: leave it
    Leftover,   // segments with content: a recording to join and offer
    Finished,   // a recording file with content and no segments (the encoder
                // finished it, nobody saved it): a recording to offer as it is
    Litter,     // only empty recording files and logs: remove it
};

// Whether a folder name is one the program makes for its recordings
// ("Rec" ... ".tmp" or "RecClass" ..., any letter case).
bool IsRecordingFolderName(const std::string& name);

// Whether a file name is a segment of the recording "temp.avi":
// "temp.avi.part" followed by digits and ".mkv" (any letter case).
bool IsSegmentName(const std::string& name);

FolderVerdict JudgeRecordingFolder(const std::vector<FolderFile>& files);

// The segments in recording order (by their number, not by text order, so
// part1000 comes after part999).
std::vector<std::string> SegmentsInOrder(const std::vector<FolderFile>& files);

// The duration an AVI file's main header states (frames times the frame
// time), from the file's first bytes; 0 when they hold no such header.
int64_t AviDurationNs(const uint8_t* bytes, size_t size);

// "mm:ss" for a duration; minutes are not limited to two digits.
std::wstring FormatMinutesSeconds(int64_t durationNs);

// "发现一段没有保存的录像（时长 mm:ss），现在保存吗？"
std::wstring LeftoverQuestion(int64_t durationNs);

// What the teacher is told when the encoder ended with `exitCode` instead of
// finishing a recording (any code but 0): what happened and what to do.
std::wstring FinishFailureText(int exitCode);

// The files of one recording, as Tavrix and its encoder both name them: the
// recording Tavrix asks for and, beside it, what the encoder writes on the
// way (segments, their list, the join's file, padded copies, its log), and
// how a segment's name gives its place in the recording. Nothing here
// touches Windows.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The recording's file name inside its folder (8-bit and wide, the same text).
inline constexpr char kRecordingFileName[] = "temp.avi";
inline constexpr wchar_t kRecordingFileNameWide[] = L"temp.avi";

// Segment `number` (from 1) of the recording at `outputPath`: "<output>.part001.mkv".
std::wstring SegmentPath(const std::wstring& outputPath, int number);
// Every segment of it, as a file search pattern: "<output>.part*.mkv".
std::wstring SegmentPattern(const std::wstring& outputPath);
// The list the join reads: "<output>.parts.txt".
std::wstring SegmentListPath(const std::wstring& outputPath);
// The file the join writes before it is checked and renamed to the output.
std::wstring JoiningPath(const std::wstring& outputPath);
// Copy `number` (from 1) of a segment whose sound was padded for the join.
std::wstring PaddedPath(const std::wstring& outputPath, size_t number);
// The encoder's log, appended to by every run for this output.
std::wstring EncoderLogPath(const std::wstring& outputPath);

// The number of the segment `name` (no folder) of the recording
// `outputFileName` (no folder): "<output>.part" followed by three to nine
// digits and ".mkv", in any letter case (the file system ignores it), as
// SegmentPath writes them. Nothing when `name` is no segment of it. The
// 8-bit form takes UTF-8 or any code page: only ASCII letters are folded.
std::optional<unsigned long> SegmentNumber(const std::wstring& outputFileName, const std::wstring& name);
std::optional<unsigned long> SegmentNumber(const std::string& outputFileName, const std::string& name);

// The segments of `outputFileName` among `names`, in recording order (by
// their number, not by text order, so part1000 comes after part999).
std::vector<std::wstring> SegmentNamesInOrder(const std::wstring& outputFileName,
                                              const std::vector<std::wstring>& names);
std::vector<std::string> SegmentNamesInOrder(const std::string& outputFileName, const std::vector<std::string>& names);

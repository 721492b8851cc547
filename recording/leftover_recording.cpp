#include "recording/leftover_recording.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "protocol/exit_codes.h"
#include "protocol/files.h"

namespace {

// The message box's answers (winuser.h IDYES, IDNO), without Windows here.
constexpr int kYesButton = 6;
constexpr int kNoButton = 7;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Files the program or its encoder write beside a recording besides the
// segments: the join's file and padded copies, the list, the logs, the lock;
// and the lists and logs earlier versions wrote ("<recording>.<what>.txt").
bool IsRecordingCompanion(const std::string& name) {
    if (KindOfRecordingFile(kRecordingFileName, name) != RecordingFileKind::None) return true;
    const std::string lower = Lower(name);
    return StartsWith(lower, std::string(kRecordingFileName) + ".") && (EndsWith(lower, ".log") || EndsWith(lower, ".txt"));
}

std::wstring TwoDigits(int64_t value) {
    const std::wstring text = std::to_wstring(value);
    return value < 10 ? L"0" + text : text;
}

}  // namespace

bool IsRecordingFolderName(const std::string& name) {
    const std::string lower = Lower(name);
    // The runtime's temporary names end in ".tmp" (and may keep only "Rec" of
    // the prefix); the program's own fallback names start with "RecClass".
    return (lower.size() > 7 && StartsWith(lower, "rec") && EndsWith(lower, ".tmp")) ||
           (lower.size() > 8 && StartsWith(lower, "recclass"));
}

bool IsSegmentName(const std::string& name) {
    return SegmentNumber(kRecordingFileName, name).has_value();
}

FolderVerdict JudgeRecordingFolder(const std::vector<FolderFile>& files) {
    bool segmentWithContent = false;
    bool recordingWithContent = false;
    bool recordingComplete = false;
    bool mediaBeside = false;  // what a join made, with content
    for (const FolderFile& file : files) {
        const RecordingFileKind kind = KindOfRecordingFile(kRecordingFileName, file.name);
        if (kind == RecordingFileKind::Segment) {
            segmentWithContent = segmentWithContent || file.size > 0;
        } else if (!IsRecordingCompanion(file.name)) {
            return FolderVerdict::NotOurs;
        } else if (kind == RecordingFileKind::Output && file.size > 0) {
            recordingWithContent = true;
            recordingComplete = file.complete;
        } else if ((kind == RecordingFileKind::Joining || kind == RecordingFileKind::Padded) && file.size > 0) {
            mediaBeside = true;
        }
    }
    // The join renames its checked file to the recording before it deletes a
    // segment: a complete recording is the whole lesson, never joined over.
    if (recordingComplete) return FolderVerdict::Finished;
    if (segmentWithContent) return FolderVerdict::Leftover;
    // A finished recording nobody saved (the program ended while the encoder
    // finished it): offered as it is.
    if (recordingWithContent) return FolderVerdict::Finished;
    // Media of a join without the segments it came from: nothing to offer,
    // and nothing the program may delete unasked either.
    return mediaBeside ? FolderVerdict::NotOurs : FolderVerdict::Litter;
}

std::vector<std::string> SegmentsInOrder(const std::vector<FolderFile>& files) {
    std::vector<std::string> names;
    for (const FolderFile& file : files) names.push_back(file.name);
    return SegmentNamesInOrder(kRecordingFileName, names);
}

std::wstring FormatMinutesSeconds(int64_t durationNs) {
    const int64_t seconds = durationNs > 0 ? durationNs / 1000000000 : 0;
    return TwoDigits(seconds / 60) + L":" + TwoDigits(seconds % 60);
}

const wchar_t kLeftoverLaterHint[] = L"选“以后再说”，录像会保留着，下次启动 Tavrix 时还会提示您。";
const wchar_t kLeftoverDeleteQuestion[] = L"删除后这段录像就找不回来了。确定要删除吗？";

LeftoverAnswer LeftoverAnswerOf(int button) {
    switch (button) {
    case kYesButton: return LeftoverAnswer::SaveNow;
    case kNoButton: return LeftoverAnswer::Delete;
    default: return LeftoverAnswer::Later;
    }
}

std::wstring LeftoverQuestion(int64_t durationNs) {
    return L"发现一段没有保存的录像（时长 " + FormatMinutesSeconds(durationNs) + L"），现在保存吗？";
}

std::wstring FinishFailureText(int exitCode) {
    const std::wstring kept = L"已经录下的内容都保留着，下次启动 Tavrix 时会提示您保存。";
    switch (exitCode) {
    case kExitJoinFailed: return L"录像没能合成为一个文件。" + kept;
    case kExitCoreLost: return L"录制途中录像程序意外停止了。" + kept;
    case kExitNoRoom: return L"磁盘空间不够，无法合成录像。请删除一些不需要的文件，腾出空间后重新启动 Tavrix。" + kept;
    default:
        return L"录像没有正常结束（代码 " + std::to_wstring(exitCode) + L"）。" + kept;
    }
}

#include "recording/leftover_recording.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "protocol/exit_codes.h"
#include "protocol/files.h"

namespace {

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

// Files the program or its encoder write beside a recording besides the segments.
bool IsRecordingCompanion(const std::string& name) {
    const std::string lower = Lower(name);
    return lower == kRecordingFileName || (StartsWith(lower, std::string(kRecordingFileName) + ".") &&
                                           (EndsWith(lower, ".log") || EndsWith(lower, ".txt")));
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
    bool contentElsewhere = false;
    for (const FolderFile& file : files) {
        if (IsSegmentName(file.name)) {
            segmentWithContent = segmentWithContent || file.size > 0;
        } else if (!IsRecordingCompanion(file.name)) {
            return FolderVerdict::NotOurs;
        } else if (Lower(file.name) == kRecordingFileName && file.size > 0) {
            contentElsewhere = true;
        }
    }
    if (segmentWithContent) return FolderVerdict::Leftover;
    // A finished recording nobody saved (the program ended while the encoder
    // finished it): offered as it is.
    return contentElsewhere ? FolderVerdict::Finished : FolderVerdict::Litter;
}

std::vector<std::string> SegmentsInOrder(const std::vector<FolderFile>& files) {
    std::vector<std::string> names;
    for (const FolderFile& file : files) names.push_back(file.name);
    return SegmentNamesInOrder(kRecordingFileName, names);
}

int64_t AviDurationNs(const uint8_t* bytes, size_t size) {
    const auto at = [bytes](size_t offset) {
        return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
               static_cast<uint32_t>(bytes[offset + 2]) << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
    };
    // "RIFF" size "AVI " "LIST" size "hdrl" "avih" size, then the main
    // header: microseconds per frame first, the frame count at +16.
    if (size < 56 || std::string(reinterpret_cast<const char*>(bytes), 4) != "RIFF" ||
        std::string(reinterpret_cast<const char*>(bytes) + 8, 4) != "AVI " ||
        std::string(reinterpret_cast<const char*>(bytes) + 24, 4) != "avih")
        return 0;
    return static_cast<int64_t>(at(32)) * at(48) * 1000;
}

std::wstring FormatMinutesSeconds(int64_t durationNs) {
    const int64_t seconds = durationNs > 0 ? durationNs / 1000000000 : 0;
    return TwoDigits(seconds / 60) + L":" + TwoDigits(seconds % 60);
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

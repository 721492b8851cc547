#include "recording/leftover_recording.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "encoder/protocol.h"

namespace {

const char kRecordingFile[] = "temp.avi";

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

// The number of a segment name, 0 when it is none.
unsigned long SegmentNumber(const std::string& name) {
    const std::string lower = Lower(name);
    const std::string start = std::string(kRecordingFile) + ".part";
    if (!StartsWith(lower, start) || !EndsWith(lower, ".mkv")) return 0;
    const std::string digits = lower.substr(start.size(), lower.size() - start.size() - 4);
    if (digits.empty() || digits.size() > 9) return 0;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    return std::strtoul(digits.c_str(), nullptr, 10) + 1;  // part000 counts too
}

// Files the program or its encoder write beside a recording besides the segments.
bool IsRecordingCompanion(const std::string& name) {
    const std::string lower = Lower(name);
    return lower == kRecordingFile || (StartsWith(lower, std::string(kRecordingFile) + ".") &&
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
    return SegmentNumber(name) != 0;
}

FolderVerdict JudgeRecordingFolder(const std::vector<FolderFile>& files) {
    bool segmentWithContent = false;
    bool contentElsewhere = false;
    for (const FolderFile& file : files) {
        if (IsSegmentName(file.name)) {
            segmentWithContent = segmentWithContent || file.size > 0;
        } else if (!IsRecordingCompanion(file.name)) {
            return FolderVerdict::NotOurs;
        } else if (Lower(file.name) == kRecordingFile && file.size > 0) {
            contentElsewhere = true;
        }
    }
    if (segmentWithContent) return FolderVerdict::Leftover;
    // A finished recording nobody saved (the program ended while the encoder
    // finished it): offered as it is.
    return contentElsewhere ? FolderVerdict::Finished : FolderVerdict::Litter;
}

std::vector<std::string> SegmentsInOrder(const std::vector<FolderFile>& files) {
    std::vector<std::string> segments;
    for (const FolderFile& file : files)
        if (IsSegmentName(file.name)) segments.push_back(file.name);
    std::sort(segments.begin(), segments.end(),
              [](const std::string& a, const std::string& b) { return SegmentNumber(a) < SegmentNumber(b); });
    return segments;
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

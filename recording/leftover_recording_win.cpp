#include "recording/leftover_recording_win.h"

#include <algorithm>

#include "protocol/command_line.h"
#include "protocol/files.h"
#include "recording/encoder_process_win.h"
#include "recording/leftover_recording.h"
#include "support/child_process_win.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/media_file_win.h"
#include "support/text_win.h"
#include "support/unique_win.h"

namespace {

struct FoundFolder {
    std::wstring path;
    FILETIME made = {};
};

std::vector<FolderFile> FilesIn(const std::wstring& folder) {
    std::vector<FolderFile> files;
    for (const FoundFile& found : FilesMatching(folder + L"\\*")) {
        if (found.folder)
            files.push_back({"<folder>", 1});  // a folder inside: not one of ours
        else
            files.push_back({NarrowText(found.name, CP_UTF8), found.size});
    }
    return files;
}

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return std::wstring();
    std::wstring folder(temp, length);
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && !b.empty() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

int64_t AviFileDurationNs(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    uint8_t head[64] = {};
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), head, sizeof(head), &got, nullptr)) return 0;
    return AviDurationNs(head, got);
}

}  // namespace

int64_t SegmentDurationNs(const std::wstring& segmentPath) {
    const MatroskaSummary summary = ScanMatroskaFile(segmentPath);
    int64_t longest = 0;
    for (const TrackSpan& track : summary.tracks) {
        if (track.kind != TrackKind::Video || track.blocks == 0) continue;
        longest = std::max(longest, TrackEndNs(track) - track.firstNs);
    }
    return longest;
}

std::vector<LeftoverRecording> FindLeftoverRecordings(const std::wstring& tempFolderIn,
                                                      const std::wstring& skipRecordingPath) {
    const std::wstring temp = tempFolderIn.empty() ? TempFolder() : tempFolderIn;
    const std::wstring skip = RecordingFolderOf(skipRecordingPath);
    std::vector<FoundFolder> folders;
    for (const FoundFile& found : FilesMatching(temp + L"\\Rec*")) {
        if (!found.folder || !IsRecordingFolderName(NarrowText(found.name, CP_UTF8))) continue;
        const std::wstring path = temp + L"\\" + found.name;
        if (SameFolder(path, skip)) continue;
        folders.push_back({path, found.created});
    }
    std::sort(folders.begin(), folders.end(), [](const FoundFolder& a, const FoundFolder& b) {
        return CompareFileTime(&a.made, &b.made) < 0;
    });

    std::vector<LeftoverRecording> leftovers;
    for (const FoundFolder& folder : folders) {
        const std::vector<FolderFile> files = FilesIn(folder.path);
        const std::wstring recording = folder.path + L"\\" + kRecordingFileNameWide;
        switch (JudgeRecordingFolder(files)) {
        case FolderVerdict::Litter:
            TAVRIX_LOG(LevelDebug) << "an empty recording folder is removed: " << NarrowText(folder.path, CP_ACP);
            DeleteRecordingFiles(recording);
            break;
        case FolderVerdict::Leftover: {
            LeftoverRecording leftover;
            leftover.recordingPath = recording;
            for (const std::string& name : SegmentsInOrder(files)) {
                leftover.segments.push_back(folder.path + L"\\" + WidenText(name, CP_UTF8));
                leftover.durationNs += SegmentDurationNs(leftover.segments.back());
            }
            leftovers.push_back(leftover);
            break;
        }
        case FolderVerdict::Finished: {
            LeftoverRecording leftover;
            leftover.recordingPath = recording;
            leftover.durationNs = AviFileDurationNs(recording);
            leftovers.push_back(leftover);
            break;
        }
        case FolderVerdict::NotOurs:
            break;
        }
    }
    return leftovers;
}

DWORD JoinLeftoverSegments(const std::wstring& recordingPath, const ProcessWait& wait) {
    ChildStart start;
    start.program = ProgramFolder(nullptr) + L"ffmpeg.exe";
    start.commandLine = ComposeJoinSegmentsCommandLine(recordingPath);
    TAVRIX_LOG(LevelDebug) << NarrowText(start.commandLine, CP_ACP);
    // Its standard input is not read: it gets nothing, as do its outputs.
    Child child;
    DWORD error = 0;
    if (!StartChild(start, child, error)) {
        TAVRIX_LOG(LevelDebug) << "the encoder could not be started to join, error " << error;
        return 2;
    }
    const HANDLE process = child.process.process.get();
    if (!wait(process, EncoderProcess::kStopWaitLimitMs)) {
        TerminateProcess(process, EncoderProcess::kEncoderLost);
        WaitForSingleObject(process, 5000);
        TAVRIX_LOG(LevelDebug) << "the join did not end in time and was ended";
        return EncoderProcess::kEncoderLost;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    TAVRIX_LOG(LevelDebug) << "the join ended with exit code " << code;
    return code;
}

#include "recording/leftover_recording_win.h"

#include <algorithm>

#include "protocol/command_line.h"
#include "protocol/files.h"
#include "recording/encoder_process_win.h"
#include "recording/keep_awake_win.h"
#include "recording/leftover_recording.h"
#include "recording/work_folder_win.h"
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
        if (found.folder) {
            files.push_back({"<folder>", 1});  // a folder inside: not one of ours
            continue;
        }
        FolderFile file{NarrowText(found.name, CP_UTF8), found.size};
        if (KindOfRecordingFile(kRecordingFileName, file.name) == RecordingFileKind::Output && file.size > 0)
            file.complete = ScanAviFile(folder + L"\\" + found.name).complete;
        files.push_back(file);
    }
    return files;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && !b.empty() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

// The Rec… folders in each of `roots`, oldest first.
std::vector<FoundFolder> RecordingFolders(const std::vector<std::wstring>& roots, const std::wstring& skip) {
    std::vector<FoundFolder> folders;
    for (const std::wstring& root : roots) {
        for (const FoundFile& found : FilesMatching(root + L"\\Rec*")) {
            if (!found.folder || !IsRecordingFolderName(NarrowText(found.name, CP_UTF8))) continue;
            const std::wstring path = root + L"\\" + found.name;
            if (SameFolder(path, skip)) continue;
            folders.push_back({path, found.created});
        }
    }
    std::sort(folders.begin(), folders.end(), [](const FoundFolder& a, const FoundFolder& b) {
        return CompareFileTime(&a.made, &b.made) < 0;
    });
    return folders;
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

std::vector<LeftoverRecording> FindLeftoverRecordings(const std::wstring& tempFolder,
                                                      const std::wstring& skipRecordingPath) {
    const std::vector<std::wstring> roots =
        tempFolder.empty() ? LeftoverFolders() : std::vector<std::wstring>{tempFolder};
    std::vector<LeftoverRecording> leftovers;
    for (const FoundFolder& folder : RecordingFolders(roots, RecordingFolderOf(skipRecordingPath))) {
        const std::wstring recording = folder.path + L"\\" + kRecordingFileNameWide;
        // Another instance records or finishes there: not ours to offer or remove.
        auto lock = std::make_shared<RecordingFolderLock>();
        if (!lock->Take(recording)) continue;
        const std::vector<FolderFile> files = FilesIn(folder.path);
        switch (JudgeRecordingFolder(files)) {
        case FolderVerdict::Litter:
            TAVRIX_LOG(LevelDebug) << "an empty recording folder is removed: " << NarrowText(folder.path, CP_ACP);
            DeleteRecordingFiles(recording);
            break;
        case FolderVerdict::Leftover: {
            LeftoverRecording leftover;
            leftover.recordingPath = recording;
            leftover.lock = lock;
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
            leftover.lock = lock;
            leftover.durationNs = ScanAviFile(recording).pictureNs;
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
    const KeepAwake awake;  // the PC stays awake while the lesson is joined
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

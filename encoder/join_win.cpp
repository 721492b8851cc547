#include "encoder/join_win.h"

#include <memory>
#include <optional>

#include "encoder/core_process_win.h"
#include "encoder/encoder_args.h"
#include "encoder/encoder_files_win.h"
#include "encoder/encoder_log_win.h"
#include "encoder/join_check.h"
#include "protocol/files.h"
#include "support/files_win.h"
#include "support/log.h"
#include "support/media_file_win.h"
#include "support/path.h"
#include "support/unique_win.h"
#include "support/utf8.h"

namespace {

// What the join took from the segments, and the files it made or found on the way.
struct JoinFiles {
    std::vector<JoinPart> parts;
    std::vector<std::wstring> sources;  // the segments whose content goes into the join
    std::vector<std::wstring> padded;   // copies with their sound padded, made here
    std::vector<std::wstring> empty;    // segments with headers and no media at all
    JoinExpectation expected;
};

std::string NameOf(const std::wstring& path) { return Utf8FromWide(FileNameOfPath(path)); }

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

AviSummary ScanAviFile(const std::wstring& path) {
    auto file = std::make_unique<BufferedFile>(path);
    if (!file->Open()) return AviSummary();
    return ScanAvi(file->Reader(), FileSizeOf(path));
}

// Runs the core to its end inside the request's job. Returns its exit code,
// or nothing when the request's stop said so and the core was ended.
std::optional<DWORD> RunCoreToEnd(const JoinRequest& request, const std::vector<std::wstring>& words,
                                  const char* what) {
    const std::wstring line = ComposeCommandLine(request.corePath, words);
    TAVRIX_LOG(LevelDebug) << what << ": " << Utf8FromWide(line);
    CoreProcess core;
    DWORD error = 0;
    if (!core.Start(line, request.job, request.coreOutput, error)) {
        TAVRIX_LOG(LevelError) << "the " << what << " did not start: " << SystemMessage(error);
        return static_cast<DWORD>(-1);
    }
    for (;;) {
        HANDLE waits[2] = {core.Handle(), request.wake};
        if (WaitForMultipleObjects(request.wake ? 2 : 1, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) break;
        if (request.stop && request.stop()) {
            core.Discard();
            TAVRIX_LOG(LevelInfo) << "the " << what << " was stopped";
            return std::nullopt;
        }
    }
    const DWORD code = core.Reap();
    TAVRIX_LOG(LevelDebug) << what << " exit code " << code;
    if (request.stop && request.stop()) {  // ended by a discard
        TAVRIX_LOG(LevelInfo) << "the " << what << " was stopped";
        return std::nullopt;
    }
    return code;
}

void LogSpans(const std::wstring& path, const MatroskaSummary& summary) {
    std::string spans;
    for (const TrackSpan& track : summary.tracks)
        spans += " track " + std::to_string(track.number) + ": " + std::to_string(track.blocks) + " blocks, " +
                 std::to_string(track.firstNs / 1000000) + ".." + std::to_string(TrackEndNs(track) / 1000000) + " ms;";
    TAVRIX_LOG(LevelDebug) << NameOf(path) << ":" << spans;
}

// Pads the sound of the segment at `path` with silence in a copy, which
// then stands in for it (`joined`, `summary`) where it serves. False when
// the join was stopped meanwhile.
bool PadSound(const JoinRequest& request, const std::wstring& path, MatroskaSummary& summary, std::wstring& joined,
              std::vector<std::wstring>& padded) {
    const std::wstring copy = PaddedPath(request.outputPath, padded.size() + 1);
    padded.push_back(copy);
    const std::optional<DWORD> code =
        RunCoreToEnd(request, PadSoundArguments(path, copy, PictureEndNs(summary)), "sound padding");
    if (!code) return false;
    const MatroskaSummary copied = *code == 0 ? ScanMatroskaFile(copy) : MatroskaSummary();
    if (PaddedCopyServes(summary, *code, copied)) {
        TAVRIX_LOG(LevelInfo) << NameOf(path) << ": the sound stops early and is padded with silence";
        summary = copied;
        joined = copy;
    } else {
        TAVRIX_LOG(LevelWarning) << NameOf(path)
                                 << ": the sound stops early and could not be padded; later sound may run early";
    }
    return true;
}

// Takes the segment at `path` into the join as its scan says. False when the
// join was stopped meanwhile.
bool TakeSegment(const JoinRequest& request, const std::wstring& path, JoinFiles& files) {
    const bool exists = IsExistingFile(path);
    MatroskaSummary summary = exists ? ScanMatroskaFile(path) : MatroskaSummary();
    const uint64_t size = exists ? FileSizeOf(path) : 0;
    const SegmentFate fate = TriageSegment(exists, summary, size);
    switch (fate) {
    case SegmentFate::Missing:
        TAVRIX_LOG(LevelWarning) << NameOf(path) << " was never written";
        return true;
    case SegmentFate::Delete:
        TAVRIX_LOG(LevelDebug) << NameOf(path) << " holds no media (its core ended before the first frame)";
        files.empty.push_back(path);
        return true;
    case SegmentFate::Keep:
        TAVRIX_LOG(LevelWarning) << NameOf(path) << " holds nothing readable (" << size
                                 << " bytes): left out of the join and kept";
        return true;
    case SegmentFate::Pad:
    case SegmentFate::Include:
        break;
    }
    LogSpans(path, summary);
    std::wstring joined = path;
    if (fate == SegmentFate::Pad && !PadSound(request, path, summary, joined, files.padded)) return false;
    JoinPart part{joined, JoinCutNs(summary)};
    TAVRIX_LOG(LevelDebug) << NameOf(joined) << " cut at " << part.endNs / 1000000 << " ms";
    AddToExpectation(files.expected, summary, part.endNs, FileSizeOf(joined));
    files.parts.push_back(std::move(part));
    files.sources.push_back(path);
    return true;
}

bool EnoughRoom(const std::wstring& outputPath, uint64_t segmentBytes) {
    const std::wstring folder = FolderOfPath(outputPath);
    ULARGE_INTEGER available = {};
    const uint64_t needed = JoinSpaceNeeded(segmentBytes);
    if (!GetDiskFreeSpaceExW(folder.empty() ? nullptr : folder.c_str(), &available, nullptr, nullptr) ||
        available.QuadPart >= needed)
        return true;
    TAVRIX_LOG(LevelError) << "not enough free space for the join: " << available.QuadPart / 1048576 << " MB free, "
                           << needed / 1048576 << " MB needed";
    return false;
}

// Joins what was taken into the output: the list, the join core, the check
// of its file against the segments, and the rename.
JoinResult JoinTaken(const JoinRequest& request, const JoinFiles& files) {
    if (files.parts.empty()) {
        TAVRIX_LOG(LevelError) << "no segment holds anything: nothing to join";
        return JoinResult::Failed;
    }
    if (!EnoughRoom(request.outputPath, files.expected.segmentBytes)) return JoinResult::NoRoom;
    if (!WriteWholeFile(request.listPath, ComposeConcatList(files.parts))) {
        TAVRIX_LOG(LevelError) << "cannot write the join list " << Utf8FromWide(request.listPath) << ": "
                               << SystemMessage(GetLastError());
        return JoinResult::Failed;
    }
    const std::wstring joining = JoiningPath(request.outputPath);
    const std::optional<DWORD> code = RunCoreToEnd(request, JoinArguments(request.listPath, joining), "join");
    if (!code) return JoinResult::Stopped;
    if (*code != 0) {
        TAVRIX_LOG(LevelError) << "the join failed, core exit code " << *code;
        return JoinResult::Failed;
    }
    const std::string fault = CheckJoinedOutput(files.expected, ScanAviFile(joining), FileSizeOf(joining));
    if (!fault.empty()) {
        TAVRIX_LOG(LevelError) << "the joined file is refused: " << fault;
        return JoinResult::Failed;
    }
    if (!MoveFileExW(joining.c_str(), request.outputPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        TAVRIX_LOG(LevelError) << "cannot put the joined file at " << Utf8FromWide(request.outputPath) << ": "
                               << SystemMessage(GetLastError());
        return JoinResult::Failed;
    }
    TAVRIX_LOG(LevelInfo) << "joined " << files.parts.size() << " segments into " << Utf8FromWide(request.outputPath)
                          << " (" << FileSizeOf(request.outputPath) << " bytes from " << files.expected.segmentBytes
                          << ", " << files.expected.pictureNs / 1000000 << " ms of picture)";
    return JoinResult::Joined;
}

void DeleteAll(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) DeleteFileSoon(path);
}

void CleanUp(const JoinRequest& request, const JoinFiles& files, JoinResult result) {
    const JoinCleanup cleanup = CleanupAfterJoin(result, files.parts.empty());
    if (cleanup.joiningFile) DeleteFileSoon(JoiningPath(request.outputPath));
    if (cleanup.joinedSegments) DeleteAll(files.sources);
    if (cleanup.paddedCopies) DeleteAll(files.padded);
    if (cleanup.emptySegments) DeleteAll(files.empty);
    if (cleanup.list) DeleteFileW(request.listPath.c_str());
    if (result == JoinResult::Joined) {
        TAVRIX_LOG(LevelDebug) << "joined segments removed";
    }
}

}  // namespace

JoinResult JoinSegments(const JoinRequest& request) {
    JoinFiles files;
    bool stopped = false;
    for (const std::wstring& path : request.segments) {
        stopped = !TakeSegment(request, path, files);
        if (stopped) break;
    }
    const JoinResult result = stopped ? JoinResult::Stopped : JoinTaken(request, files);
    CleanUp(request, files, result);
    return result;
}

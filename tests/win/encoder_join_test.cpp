// Segments recorded by the stock core through the adapter's own command
// lines, gate and join: sound and picture of every segment end together, so
// they stay in sync across pauses in the joined file.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/core_process_win.h"
#include "encoder/encoder_args.h"
#include "encoder/encoder_run_win.h"
#include "encoder/matroska_scan.h"
#include "support/path.h"
#include "support/text_win.h"

namespace {

std::wstring BinFolder() {
    std::wstring tests = ProgramFolder(nullptr);
    return FolderOfPath(tests.substr(0, tests.size() - 1));
}

std::wstring FreshFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"join " + std::to_wstring(GetTickCount()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

int RunCore(const std::wstring& core, const std::vector<std::wstring>& words) {
    CoreProcess process;
    DWORD error = 0;
    if (!process.Start(ComposeCommandLine(core, words), nullptr, nullptr, error)) return -1;
    WaitForSingleObject(process.Handle(), 60000);
    return static_cast<int>(process.Reap());
}

const TrackSpan* Track(const MatroskaSummary& s, TrackKind kind) {
    for (const TrackSpan& t : s.tracks)
        if (t.kind == kind) return &t;
    return nullptr;
}

}  // namespace

TEST(EncoderJoin, SegmentsWithSoundJoinInSyncIntoAvi) {
    const std::wstring core = BinFolder() + L"ffmpeg-core.exe";
    // A missing core fails: a green run must mean the real encoder was tested.
    ASSERT_NE(GetFileAttributesW(core.c_str()), INVALID_FILE_ATTRIBUTES)
        << "ffmpeg-core.exe is missing beside the adapter: scripts/fetch-ffmpeg-core could not fetch it";
    const std::wstring folder = FreshFolder();

    // Test sources in real time stand in for the screen and a sound device.
    // (Two test sounds through the mixer starve under this core when stopped
    // by "q": the mixer's arguments are checked on the host.)
    CorePlan plan;
    plan.audioInputs = {{L"-f", L"lavfi", L"-i", L"sine=frequency=440:sample_rate=44100,arealtime"}};
    plan.quality = VideoQuality::Normal;

    std::vector<std::wstring> segments;
    for (int i = 1; i <= 2; ++i) {
        // In the first segment the picture stops a second before the sound,
        // a gap that would shift all later sound if it reached the file.
        plan.videoInput = {L"-f", L"lavfi", L"-i",
                           i == 1 ? L"testsrc=size=320x240:rate=10:duration=1.5,realtime"
                                  : L"testsrc=size=320x240:rate=10,realtime"};
        const std::wstring segment = folder + L"temp.avi.part00" + std::to_wstring(i) + L".mkv";
        CoreGate gate;
        ASSERT_TRUE(gate.Create(static_cast<unsigned>(100 + i)));
        CoreProcess process;
        DWORD error = 0;
        ASSERT_TRUE(process.Start(ComposeCommandLine(core, SegmentArguments(plan, segment, gate.Path())), nullptr,
                                  nullptr, error));
        Sleep(1500);  // the core waits at its gate meanwhile: nothing may be written yet
        EXPECT_EQ(GetFileAttributesW(segment.c_str()), INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(gate.Open(process.Handle(), 30000));
        Sleep(2500);
        bool forced = true;
        EXPECT_EQ(process.Finish(30000, forced), 0u);
        EXPECT_FALSE(forced);
        const MatroskaSummary s = ScanMatroskaFile(segment);
        ASSERT_TRUE(HasVideo(s));
        ASSERT_NE(Track(s, TrackKind::Audio), nullptr);
        EXPECT_EQ(s.tracks.size(), 2u);
        segments.push_back(segment);
    }

    const std::wstring output = folder + L"temp.avi";
    ASSERT_TRUE(JoinSegments(core, segments, folder + L"temp.avi.parts.txt", output, nullptr));

    // Back into Matroska without re-encoding, to read the joined tracks' spans.
    const std::wstring check = folder + L"check.mkv";
    ASSERT_EQ(RunCore(core, {L"-v", L"error", L"-y", L"-fflags", L"+genpts", L"-i", output, L"-c", L"copy", check}), 0);
    const MatroskaSummary joined = ScanMatroskaFile(check);
    const TrackSpan* video = Track(joined, TrackKind::Video);
    const TrackSpan* audio = Track(joined, TrackKind::Audio);
    ASSERT_TRUE(video && audio);
    EXPECT_GT(TrackEndNs(*video), 2000000000);  // 1.5 s and what the second segment holds
    // Every segment's sound was cut to its picture: the sound ends with the
    // picture, not a fraction of a second per pause later.
    EXPECT_NEAR(static_cast<double>(TrackEndNs(*audio)), static_cast<double>(TrackEndNs(*video)), 80e6)
        << "audio ends at " << TrackEndNs(*audio) / 1e6 << " ms, video at " << TrackEndNs(*video) / 1e6 << " ms";
}

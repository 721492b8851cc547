// Segments made by the stock core through the adapter's own command lines,
// gate and join: no picture is lost to a sound track that ended early, and
// sound and picture stay in step across the joins.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoder/core_gate_win.h"
#include "encoder/core_process_win.h"
#include "encoder/encoder_args.h"
#include "encoder/join_win.h"
#include "protocol/files.h"
#include "support/matroska_scan.h"
#include "support/media_file_win.h"
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

TEST(EncoderJoin, KeepsAllThePictureWhenASegmentsSoundStopsEarly) {
    const std::wstring core = BinFolder() + L"ffmpeg-core.exe";
    // A missing core fails: a green run must mean the real encoder was tested.
    ASSERT_NE(GetFileAttributesW(core.c_str()), INVALID_FILE_ATTRIBUTES)
        << "ffmpeg-core.exe is missing beside the adapter: scripts/build-core did not run";
    const std::wstring folder = FreshFolder();

    // The core's test sources stand in for the screen and a microphone:
    // picture and sound seconds per segment. The first one's sound stops
    // after a second (an unplugged microphone), the second's runs past its
    // picture, the third's stops a fifth of a second early.
    const double lengths[][2] = {{3.0, 1.0}, {2.0, 2.3}, {2.0, 1.8}};
    CorePlan plan;
    plan.quality = VideoQuality::Normal;
    std::vector<std::wstring> segments;
    for (int i = 0; i < 3; ++i) {
        plan.videoInput = {L"-f", L"lavfi", L"-i", L"testsrc=size=320x240:rate=10:duration=" + std::to_wstring(lengths[i][0])};
        plan.audioInputs = {{L"-f", L"lavfi", L"-i", L"sine=frequency=440:sample_rate=44100:duration=" + std::to_wstring(lengths[i][1])}};
        const std::wstring segment = SegmentPath(folder + kRecordingFileNameWide, i + 1);
        CoreGate gate;
        ASSERT_TRUE(gate.Create());
        CoreProcess process;
        DWORD error = 0;
        ASSERT_TRUE(process.Start(ComposeCommandLine(core, SegmentArguments(plan, segment, gate.Path())), nullptr,
                                  nullptr, error));
        if (i == 0) {
            Sleep(1000);  // the core waits at its gate meanwhile: nothing may be written yet
            EXPECT_EQ(GetFileAttributesW(segment.c_str()), INVALID_FILE_ATTRIBUTES);
        }
        ASSERT_TRUE(gate.Open(process.Handle(), 30000));
        ASSERT_EQ(WaitForSingleObject(process.Handle(), 60000), WAIT_OBJECT_0);
        EXPECT_EQ(process.Reap(), 0u);
        segments.push_back(segment);
    }

    const std::wstring output = folder + kRecordingFileNameWide;
    JoinRequest join;
    join.corePath = core;
    join.segments = segments;
    join.listPath = SegmentListPath(output);
    join.outputPath = output;
    ASSERT_EQ(JoinSegments(join), JoinResult::Joined);
    for (const std::wstring& segment : segments) EXPECT_EQ(GetFileAttributesW(segment.c_str()), INVALID_FILE_ATTRIBUTES);
    WIN32_FIND_DATAW found;
    const HANDLE leftovers = FindFirstFileW((folder + L"*.mkv").c_str(), &found);
    EXPECT_EQ(leftovers, INVALID_HANDLE_VALUE) << "left behind: " << NarrowText(found.cFileName, CP_UTF8);
    if (leftovers != INVALID_HANDLE_VALUE) FindClose(leftovers);

    // Back into Matroska without re-encoding, to read the joined tracks' spans.
    const std::wstring check = folder + L"check.mkv";
    ASSERT_EQ(RunCore(core, {L"-v", L"error", L"-y", L"-fflags", L"+genpts", L"-i", output, L"-c", L"copy", check}), 0);
    const MatroskaSummary joined = ScanMatroskaFile(check);
    const TrackSpan* video = Track(joined, TrackKind::Video);
    const TrackSpan* audio = Track(joined, TrackKind::Audio);
    ASSERT_TRUE(video && audio);
    // All 3 + 2 s of the first two pictures (each starting 23 ms in), the
    // third up to its sound's end.
    EXPECT_NEAR(TrackEndNs(*video) / 1e6, 6900, 150);
    // The silence put after the first segment's sound keeps every later
    // sound with its picture: the sound ends where the picture does.
    EXPECT_NEAR(TrackEndNs(*audio) / 1e6, TrackEndNs(*video) / 1e6, 100);
}

TEST(EncoderGate, HasAnUnguessableNameAndLetsInTheCurrentUserOnly) {
    CoreGate first, second;
    ASSERT_TRUE(first.Create());
    ASSERT_TRUE(second.Create());
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_EQ(first.Path().find(std::to_wstring(GetCurrentProcessId())), std::wstring::npos);
    EXPECT_GE(first.Path().size(), std::wstring(L"\\\\.\\pipe\\").size() + 32);

    // The pipe's access list, read through a client's handle: one entry, for us.
    UniqueFile client(CreateFileW(first.Path().c_str(), GENERIC_READ | READ_CONTROL, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(client);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(client.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr);
    EXPECT_EQ(dacl->AceCount, 1);
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, 0, &ace));
    UniqueHandle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()));
    unsigned char user[256];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token.get(), TokenUser, user, sizeof(user), &size));
    EXPECT_TRUE(EqualSid(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, reinterpret_cast<TOKEN_USER*>(user)->User.Sid));
    LocalFree(descriptor);
}

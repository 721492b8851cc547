// The recording's sound as the countdown and the status bar show it, under
// Wine with real windows, timers and the test encoder speaking the status
// channel: a meter for the speakers, a loss warned under the bar within two
// seconds and the bar back to its size once it is over, a source that cannot
// be opened asked about before the picture starts, and an encoder that says
// nothing, or says what the channel does not know, changing nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "protocol/environment.h"
#include "recording/encoder_process_win.h"
#include "recording/record_options.h"
#include "tests/win/ui_test_support.h"
#include "ui/finish_wait_win.h"
#include "ui/ready_frame.h"
#include "ui/status_frame.h"
#include "ui/window_state.h"
#include "uilib/ui_meter.h"

namespace {

// Speaker sound chosen (it goes on the command line whatever the machine has).
class SoundFlowTest : public FlowTest {
protected:
    void SetUp() override {
        RecordOptions* options = RecordOptions::Instance();
        options->recordAudio = 1;
        options->audioSources = 1;
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        m_said = std::wstring(temp) + L"tavrix-sound-said-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(m_said.c_str());
    }
    void TearDown() override {
        FlowTest::TearDown();
        RecordOptions::Instance()->recordAudio = 0;
        DeleteFileW(m_said.c_str());
    }
    // A line the test encoder passes on to its status channel as it is written.
    void Say(const std::string& line) {
        HANDLE file = CreateFileW(m_said.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        CloseHandle(file);
    }
    std::string Log() { return ReadWholeFile(m_log.Path()); }
    int BarHeight() {
        RECT r = {};
        GetWindowRect(StatusHwnd, &r);
        return r.bottom - r.top;
    }
    CMeterUI* Meter(SkinnedFrame& frame, const wchar_t* name) {
        CControlUI* control = Control(frame, name);
        return control != nullptr ? static_cast<CMeterUI*>(control->GetInterface(L"Meter")) : nullptr;
    }

    LogCapture m_log;
    std::wstring m_said;
};

TEST_F(SoundFlowTest, ALossIsWarnedUnderTheBarAndTheBarIsItsSizeAgainWhenItIsOver) {
    const ScopedEnvironment relay(kFakeEncoderStatusFromVariable, m_said);
    RecordUntilBarShown();
    // The speakers' level (the test encoder says -20 dBFS) on their meter.
    CMeterUI* meter = Meter(Bar(), L"meterSpeakers");
    ASSERT_NE(meter, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return meter->GetValue() > 0.5; }, 2000)) << meter->GetValue();
    EXPECT_NEAR(meter->GetValue(), 40.0 / 60, 0.02);
    EXPECT_TRUE(Control(Bar(), L"speakersRow")->IsVisible());
    EXPECT_FALSE(Control(Bar(), L"microphoneRow")->IsVisible()) << "the microphone was not chosen";
    EXPECT_FALSE(Control(Bar(), L"soundWarning")->IsVisible());
    const int height = BarHeight();

    Say("source speakers lost the device went away (0x88890004)\n");
    const DWORD said = GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return Control(Bar(), L"soundWarning")->IsVisible(); }, 3000));
    EXPECT_LE(GetTickCount() - said, 2000u);
    EXPECT_EQ(ControlText(Bar(), L"soundWarning"), L"电脑的声音断开了，正在重新连接…");
    EXPECT_TRUE(meter->IsWarning());
    EXPECT_GT(BarHeight(), height) << "the bar grows to show the warning";
    EXPECT_NE(Log().find("WARNING: speakers: lost: the device went away (0x88890004)"), std::string::npos) << Log();
    // The bar stays above a full-screen slide show.
    EXPECT_NE(GetWindowLongPtrW(StatusHwnd, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    Say("source speakers back\n");
    ASSERT_TRUE(PumpUntil([&] { return !Control(Bar(), L"soundWarning")->IsVisible(); }, 6000));
    EXPECT_GE(GetTickCount() - said, 2900u) << "a warning stands long enough to be read";
    EXPECT_FALSE(meter->IsWarning());
    EXPECT_EQ(BarHeight(), height);
    EXPECT_NE(Log().find("INFO: speakers: back"), std::string::npos);
    // Silence from the speakers is never warned about.
    Say("level speakers -100.0 -100.0\n");
    Pump(300);
    EXPECT_FALSE(Control(Bar(), L"soundWarning")->IsVisible());
}

TEST_F(SoundFlowTest, ASourceThatCannotBeOpenedIsAskedAboutBeforeThePictureStarts) {
    const ScopedEnvironment fail(kFakeEncoderSoundVariable, L"speakers=fail");
    {
        // No: nothing starts, the encoder goes, the startup window is back.
        BoxWatcher no(nullptr, IDNO);
        StartCountdown();
        ShowWindow(StartupHwnd, SW_HIDE);
        ASSERT_TRUE(PumpUntil([&] { return !no.Seen().empty(); }, 8000));
        ASSERT_TRUE(PumpUntil([] { return IsWindowVisible(StartupHwnd) != FALSE; }, 5000));
        EXPECT_EQ(no.Seen()[0].text, L"录不到电脑播放的声音，这次录像将没有声音。仍然开始录像吗？");
        EXPECT_EQ(env.CommandsReceived("g\n"), 0);
        EXPECT_FALSE(EncoderProcess::IsPrepared());
        EXPECT_TRUE(StatusHwnd == nullptr || !IsWindowVisible(StatusHwnd));
        EXPECT_NE(Log().find("WARNING: speakers: cannot be opened: the test encoder was told to fail it"),
                  std::string::npos);
    }
    // Yes: the recording starts without them, and the bar says so throughout.
    BoxWatcher yes(nullptr, IDYES);
    RecordUntilBarShown();
    EXPECT_EQ(yes.Seen().size(), 1u);
    EXPECT_EQ(env.CommandsReceived("g\n"), 1);
    ASSERT_TRUE(PumpUntil([&] { return Control(Bar(), L"soundWarning")->IsVisible(); }, 2000));
    EXPECT_EQ(ControlText(Bar(), L"soundWarning"), L"录不到电脑播放的声音");
    EXPECT_TRUE(Meter(Bar(), L"meterSpeakers")->IsWarning());
    EXPECT_TRUE(WaitTicks(4));
    EXPECT_TRUE(Control(Bar(), L"soundWarning")->IsVisible());
}

TEST_F(SoundFlowTest, AnEncoderThatSaysNothingOrWhatTheChannelDoesNotKnowChangesNothing) {
    {
        // An older encoder: no meters, no warning, and at zero no more than a second's wait for it.
        const ScopedEnvironment mute(kFakeEncoderMuteVariable, L"1");
        BoxWatcher none;
        RecordUntilBarShown();
        EXPECT_FALSE(Control(Bar(), L"soundMeters")->IsVisible());
        EXPECT_TRUE(WaitTicks(12));  // three seconds
        EXPECT_FALSE(Control(Bar(), L"soundWarning")->IsVisible());
        EXPECT_TRUE(none.Seen().empty());
        EncoderProcess::Pause();
        EXPECT_TRUE(EncoderProcess::Discard(PumpingWait()));
        ShowWindow(StatusHwnd, SW_HIDE);
    }
    // Lines it does not know, among those it knows: logged once, ignored.
    const ScopedEnvironment relay(kFakeEncoderStatusFromVariable, m_said);
    Say("hello from a newer encoder\nlevel speakers loud quiet\nsource speakers plugged\n");
    RecordUntilBarShown();
    CMeterUI* meter = Meter(Bar(), L"meterSpeakers");
    ASSERT_NE(meter, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return Log().find("does not know") != std::string::npos; }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return meter->GetValue() > 0.5; }, 2000));
    Pump(500);
    const std::string log = Log();
    size_t count = 0;
    for (size_t at = log.find("does not know"); at != std::string::npos; at = log.find("does not know", at + 1)) ++count;
    EXPECT_EQ(count, 1u) << log;
    EXPECT_NE(log.find("\"hello from a newer encoder\""), std::string::npos);
    EXPECT_FALSE(Control(Bar(), L"soundWarning")->IsVisible());
    // The channel closing with the encoder is its end, as before: its exit code decides.
    EncoderProcess::Pause();
    EXPECT_EQ(EncoderProcess::Stop(PumpingWait()).exitCode, 0u);
}

}  // namespace

namespace {

double NowMs() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

// A benchmark, not run by default (tests/e2e/sound_bench.sh runs it): how
// long a rise of the level takes from the moment it reaches the encoder to
// the bar's meter, and a loss to the warning. The test encoder passes a line
// on at its next level line, at most 100 ms later, as the encoder does with
// what it captured; the rest is the channel, the reader and the bar.
TEST_F(SoundFlowTest, DISABLED_BenchmarkHowSoonTheBarShowsWhatTheEncoderHears) {
    const ScopedEnvironment silent(kFakeEncoderSoundVariable, L"speakers=silent");
    const ScopedEnvironment relay(kFakeEncoderStatusFromVariable, m_said);
    RecordUntilBarShown();
    CMeterUI* meter = Meter(Bar(), L"meterSpeakers");
    ASSERT_NE(meter, nullptr);
    Pump(500);
    std::vector<double> rises;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(PumpUntil([&] { return meter->GetValue() == 0; }, 2000));
        Pump(static_cast<DWORD>(300 + 37 * i % 100));  // a quiet spell, ending anywhere between two level lines
        const double said = NowMs();
        Say("level speakers -6.0 -9.0\n");
        ASSERT_TRUE(PumpUntil([&] { return meter->GetValue() > 0.5; }, 2000));
        rises.push_back(NowMs() - said);
    }
    std::sort(rises.begin(), rises.end());
    const double said = NowMs();
    Say("source speakers lost unplugged\n");
    ASSERT_TRUE(PumpUntil([&] { return Control(Bar(), L"soundWarning")->IsVisible(); }, 3000));
    const double warned = NowMs() - said;
    std::printf("a rise on the meter: median %.0f ms, slowest %.0f ms of %zu; a loss warned after %.0f ms\n",
                rises[rises.size() / 2], rises.back(), rises.size(), warned);
    EXPECT_LE(rises.back(), 150);
    EXPECT_LE(warned, 2000);
}

}  // namespace

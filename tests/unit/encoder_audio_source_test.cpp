// A sound source's decisions inside the adapter: the level it reports of
// what it hands the core, in every raw format the core is told, and where
// and when a source whose device went away opens again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "encoder/audio_level.h"
#include "encoder/audio_recovery.h"
#include "protocol/status.h"

namespace {

// `frames` of a full-scale square wave scaled by `amplitude`, as `kind`.
std::vector<uint8_t> Square(SampleKind kind, uint32_t channels, size_t frames, double amplitude) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < frames * channels; ++i) {
        const double v = (i / channels) % 2 == 0 ? amplitude : -amplitude;
        auto put = [&](uint64_t raw, size_t size) {
            for (size_t b = 0; b < size; ++b) bytes.push_back(static_cast<uint8_t>(raw >> (8 * b)));
        };
        switch (kind) {
        case SampleKind::Unsigned8: put(static_cast<uint64_t>(std::lround(128 + v * 127)), 1); break;
        case SampleKind::Signed16: put(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))), 2); break;
        case SampleKind::Signed24: put(static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 8388607))), 3); break;
        case SampleKind::Signed32:
            put(static_cast<uint32_t>(static_cast<int32_t>(std::llround(v * 2147483647.0))), 4);
            break;
        case SampleKind::Float32: {
            const float f = static_cast<float>(v);
            uint32_t raw;
            std::memcpy(&raw, &f, 4);
            put(raw, 4);
            break;
        }
        case SampleKind::Float64: {
            uint64_t raw;
            std::memcpy(&raw, &v, 8);
            put(raw, 8);
            break;
        }
        }
    }
    return bytes;
}

TEST(SourceLevel, PeakAndRmsOfEveryRawFormat) {
    const std::vector<std::pair<std::wstring, SampleKind>> formats = {
        {L"u8", SampleKind::Unsigned8},   {L"s16le", SampleKind::Signed16}, {L"s24le", SampleKind::Signed24},
        {L"s32le", SampleKind::Signed32}, {L"f32le", SampleKind::Float32},  {L"f64le", SampleKind::Float64}};
    for (const auto& [name, expected] : formats) {
        SampleKind kind = SampleKind::Unsigned8;
        ASSERT_TRUE(SampleKindOf(name, kind));
        EXPECT_EQ(kind, expected);
        for (uint32_t channels : {1u, 2u}) {
            LevelMeter meter(kind, channels);
            // A square wave at half scale: peak and RMS both -6 dBFS.
            const std::vector<uint8_t> half = Square(kind, channels, 480, 0.5);
            meter.Add(half.data(), 480);
            const LevelMeter::Level level = meter.Take();
            const double tolerance = kind == SampleKind::Unsigned8 ? 0.1 : 0.01;
            EXPECT_NEAR(level.peakDb, -6.02, tolerance) << std::string(name.begin(), name.end()) << channels;
            EXPECT_NEAR(level.rmsDb, -6.02, tolerance) << std::string(name.begin(), name.end()) << channels;
        }
    }
    SampleKind kind;
    EXPECT_FALSE(SampleKindOf(L"s16be", kind));
    EXPECT_FALSE(SampleKindOf(L"", kind));
}

TEST(SourceLevel, SilenceQuietSoundAndEachSpanOnItsOwn) {
    LevelMeter meter(SampleKind::Float32, 2);
    // Nothing came at all (a device that delivers nothing): silence.
    LevelMeter::Level level = meter.Take();
    EXPECT_EQ(level.peakDb, kSilenceDb);
    EXPECT_EQ(level.rmsDb, kSilenceDb);

    // Packets the system marks silent are silence, however long.
    meter.Add(nullptr, 4800);
    level = meter.Take();
    EXPECT_EQ(level.peakDb, kSilenceDb);

    // A blocked microphone's hiss at -70 dBFS stays below the warning's -60.
    const std::vector<uint8_t> hiss = Square(SampleKind::Float32, 2, 480, std::pow(10.0, -70 / 20.0));
    meter.Add(hiss.data(), 480);
    level = meter.Take();
    EXPECT_NEAR(level.peakDb, -70, 0.01);

    // A loud half and a silent half: the peak of the loud, the RMS of both.
    const std::vector<uint8_t> loud = Square(SampleKind::Float32, 2, 480, 1.0);
    meter.Add(loud.data(), 480);
    meter.Add(nullptr, 480);
    level = meter.Take();
    EXPECT_NEAR(level.peakDb, 0, 0.01);
    EXPECT_NEAR(level.rmsDb, -3.01, 0.01);

    // The next span knows nothing of the last.
    meter.Add(hiss.data(), 480);
    EXPECT_NEAR(meter.Take().peakDb, -70, 0.01);

    // A broken float sample says nothing; samples beyond full scale are above 0 dBFS.
    std::vector<uint8_t> odd = Square(SampleKind::Float32, 1, 2, 2.0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(odd.data(), &nan, 4);
    LevelMeter mono(SampleKind::Float32, 1);
    mono.Add(odd.data(), 2);
    EXPECT_NEAR(mono.Take().peakDb, 6.02, 0.01);

    EXPECT_EQ(DecibelsOf(0), kSilenceDb);
    EXPECT_EQ(DecibelsOf(1e-9), kSilenceDb);
    EXPECT_NEAR(DecibelsOf(0.1), -20, 1e-9);
}

// One step of a recovery: what happens, then what is due and, when it is,
// what is tried, the system's default device of the role being `defaultDevice`.
struct RecoveryStep {
    const char* what;  // "lost", "default", "failed", "opened <device> wanted|stand-in", "" (time only)
    int64_t atMs;
    const wchar_t* defaultDevice;
    bool due;
    std::vector<std::wstring> candidates;
};

void Play(SourceRecovery& recovery, const std::vector<RecoveryStep>& steps, const std::wstring& wanted) {
    for (const RecoveryStep& step : steps) {
        const std::string what = step.what;
        if (what == "lost") recovery.Lost(step.atMs);
        else if (what == "default") recovery.DefaultChanged(step.atMs);
        else if (what == "failed") recovery.Failed(step.atMs);
        else if (what.rfind("opened ", 0) == 0) {
            const size_t blank = what.find(' ', 7);
            const std::string device = what.substr(7, blank - 7);
            recovery.Opened(std::wstring(device.begin(), device.end()), what.substr(blank + 1) == "wanted", step.atMs);
        }
        EXPECT_EQ(recovery.Due(step.atMs), step.due) << what << " at " << step.atMs;
        if (step.due) {
            EXPECT_EQ(recovery.Candidates(wanted, step.defaultDevice), step.candidates) << what << " at " << step.atMs;
        }
    }
}

TEST(SourceRecovery, ASourceThatKeepsToItsDeviceTakesTheDefaultOnlyWhileItIsGone) {
    // The speakers' stand-in endpoint: a new default microphone is nothing to it.
    SourceRecovery recovery(false, false);
    Play(recovery,
         {
             {"opened usb wanted", 0, L"builtin", false, {}},
             // A new default while it records its own device: it stays.
             {"default", 100, L"hdmi", false, {}},
             {"", 5000, L"hdmi", false, {}},
             // Its device goes: at once its own (it may be back already), then the default.
             {"lost", 6000, L"builtin", true, {L"usb", L"builtin"}},
             {"failed", 6000, L"builtin", false, {}},
             {"", 6000 + SourceRecovery::kRetryMs - 1, L"builtin", false, {}},
             {"", 6000 + SourceRecovery::kRetryMs, L"builtin", true, {L"usb", L"builtin"}},
             // Taken the default meanwhile: its own is looked for every second.
             {"opened builtin stand-in", 6300, L"builtin", false, {}},
             {"", 7300, L"builtin", true, {L"usb"}},
             {"failed", 7300, L"builtin", false, {}},
             {"opened usb wanted", 8000, L"builtin", false, {}},
             {"", 20000, L"builtin", false, {}},
         },
         L"usb");
}

TEST(SourceRecovery, ANamedMicrophoneTakesANewDefaultAsItsOwnAndGoesBackToItWhenItReturns) {
    SourceRecovery recovery(false, true);
    Play(recovery,
         {
             {"opened builtin wanted", 0, L"builtin", false, {}},
             // A USB headset plugged in becomes the default: it is the microphone now.
             {"default", 1000, L"usb", true, {L"usb"}},
             {"opened usb wanted", 1000, L"usb", false, {}},
             // Unplugged: the headset first (it may be back already), then the default.
             {"lost", 2000, L"builtin", true, {L"usb", L"builtin"}},
             {"opened builtin stand-in", 2000, L"builtin", false, {}},
             // Plugged in again: found within a second, though the default did not change back.
             {"", 3000, L"builtin", true, {L"usb"}},
             {"opened usb wanted", 3000, L"builtin", false, {}},
             {"", 9000, L"builtin", false, {}},
         },
         L"usb");
}

TEST(SourceRecovery, ASourceThatFollowsTheDefaultMovesWithIt) {
    SourceRecovery recovery(true, true);
    Play(recovery,
         {
             {"opened builtin wanted", 0, L"builtin", false, {}},
             // A USB headset plugged in becomes the default: the source moves there.
             {"default", 1000, L"usb", true, {L"usb"}},
             {"opened usb wanted", 1000, L"usb", false, {}},
             // Unplugged: the same device first, then whatever is the default now.
             {"lost", 2000, L"builtin", true, {L"usb", L"builtin"}},
             {"failed", 2000, L"builtin", false, {}},
             {"", 2299, L"builtin", false, {}},
             {"", 2300, L"builtin", true, {L"usb", L"builtin"}},
             {"opened builtin wanted", 2300, L"builtin", false, {}},
             // A default that names the device it records from moves nothing.
             {"default", 3000, L"builtin", true, {}},
             {"failed", 3000, L"builtin", false, {}},
             {"", 9000, L"builtin", false, {}},
         },
         L"");
}

TEST(SourceRecovery, ALostSourceWithNothingToTryKeepsTrying) {
    SourceRecovery recovery(false, false);
    recovery.Opened(L"monitor", true, 0);
    recovery.Lost(100);
    EXPECT_TRUE(recovery.IsLost());
    // The device is not listed any more and there is no default: its last device is tried still.
    EXPECT_EQ(recovery.Candidates(L"", L""), std::vector<std::wstring>{L"monitor"});
    for (int64_t t = 100; t < 3000; t += SourceRecovery::kRetryMs) {
        EXPECT_TRUE(recovery.Due(t));
        recovery.Failed(t);
    }
    recovery.Opened(L"monitor", true, 3000);
    EXPECT_FALSE(recovery.IsLost());
    EXPECT_FALSE(recovery.OnStandIn());
}

}  // namespace

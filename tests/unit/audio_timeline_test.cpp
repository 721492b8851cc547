// Sound laid on the recording's clock: a scripted packet source stands for
// the device, as a microphone (a packet every 10 ms) and as a loopback that
// goes quiet while nothing plays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/audio_timeline.h"

namespace {

constexpr uint32_t kRate = 48000;
constexpr uint32_t kFrameBytes = 4;            // 16-bit stereo
constexpr int64_t kTolerance = kRate / 50;     // 20 ms
constexpr int64_t kLag = kRate / 5;            // 200 ms
constexpr int64_t kPacket = kRate / 100;       // 10 ms
constexpr int64_t kLongestGap = 10 * kRate;    // 10 s

std::vector<uint8_t> Loud(size_t frames) { return std::vector<uint8_t>(frames * kFrameBytes, 0x55); }

// Takes everything pending; counts the frames that are loud and the silent ones.
struct Drained {
    int64_t loud = 0;
    int64_t silent = 0;
    std::vector<bool> frames;  // true: loud
};

void Drain(PcmTimeline& timeline, Drained& out) {
    const uint8_t* bytes = timeline.Pending();
    const size_t count = timeline.PendingBytes();
    for (size_t i = 0; i + kFrameBytes <= count; i += kFrameBytes) {
        const bool loud = bytes[i] != 0;
        out.frames.push_back(loud);
        (loud ? out.loud : out.silent) += 1;
    }
    timeline.Consume(count);
}

}  // namespace

TEST(PcmTimeline, LoopbackThatGoesQuietIsFilledWithSilenceByTheClock) {
    PcmTimeline timeline(kFrameBytes, kTolerance, kLag, kLongestGap);
    Drained out;
    const std::vector<uint8_t> packet = Loud(kPacket);
    int64_t now = 0;
    // 1 s of sound, packets on time, the clock polled every 10 ms.
    for (; now < kRate; now += kPacket) {
        timeline.AddPacket(now, packet.data(), kPacket);
        timeline.FillTo(now + kPacket);
        Drain(timeline, out);
    }
    EXPECT_EQ(out.loud, kRate);
    EXPECT_EQ(out.silent, 0);
    // 2 s of nothing: silence follows the clock, the lag behind it.
    for (; now < 3 * kRate; now += kPacket) {
        timeline.FillTo(now + kPacket);
        Drain(timeline, out);
        EXPECT_EQ(timeline.Frames(), std::max<int64_t>(kRate, now + kPacket - kLag));
    }
    // Sound again at 3 s: it lands at 3 s, the gap up to it silent.
    for (; now < 4 * kRate; now += kPacket) {
        timeline.AddPacket(now, packet.data(), kPacket);
        timeline.FillTo(now + kPacket);
        Drain(timeline, out);
    }
    ASSERT_EQ(static_cast<int64_t>(out.frames.size()), 4 * kRate);
    EXPECT_EQ(out.silent, 2 * kRate);
    EXPECT_TRUE(out.frames[kRate - 1]);
    EXPECT_FALSE(out.frames[kRate]);
    EXPECT_FALSE(out.frames[3 * kRate - 1]);
    EXPECT_TRUE(out.frames[3 * kRate]);
    EXPECT_EQ(timeline.SilentFrames(), 2 * kRate);
    // The end of a segment: everything up to the clock, no lag.
    timeline.FillToNow(4 * kRate + kPacket * 3);
    EXPECT_EQ(timeline.Frames(), 4 * kRate + kPacket * 3);
}

TEST(PcmTimeline, LatePacketsAfterFilledSilenceAreCutNotShifted) {
    PcmTimeline timeline(kFrameBytes, kTolerance, kLag, kLongestGap);
    Drained out;
    // Nothing for 500 ms (a stalled device): silence up to 300 ms.
    timeline.FillTo(kRate / 2);
    EXPECT_EQ(timeline.Frames(), kRate / 2 - kLag);
    // Then the late packets arrive, stamped from 0: only what the silence did
    // not cover is taken, so later sound keeps its place.
    const std::vector<uint8_t> packet = Loud(kPacket);
    for (int64_t at = 0; at < kRate / 2; at += kPacket) timeline.AddPacket(at, packet.data(), kPacket);
    Drain(timeline, out);
    EXPECT_EQ(timeline.Frames(), kRate / 2);
    EXPECT_EQ(out.silent, kRate / 2 - kLag);
    EXPECT_EQ(out.loud, kLag);
    EXPECT_EQ(timeline.DroppedFrames(), kRate / 2 - kLag);
}

TEST(PcmTimeline, PacketsFromBeforeTheSegmentAndJitterWithinTheToleranceKeepTheCount) {
    PcmTimeline timeline(kFrameBytes, kTolerance, kLag, kLongestGap);
    const std::vector<uint8_t> packet = Loud(kPacket);
    // Captured before the segment began: dropped, and one that straddles the start is cut.
    timeline.AddPacket(-3 * kPacket, packet.data(), kPacket);
    EXPECT_EQ(timeline.Frames(), 0);
    const std::vector<uint8_t> longer = Loud(4 * kPacket);
    timeline.AddPacket(-kPacket / 2, longer.data(), 4 * kPacket);
    EXPECT_EQ(timeline.Frames(), 4 * kPacket - kPacket / 2);
    EXPECT_EQ(timeline.DroppedFrames(), 0);  // what came before the segment is not counted as lost
    // Stamps that wobble by a few milliseconds are joined end to end: no
    // silence inserted, nothing dropped, whatever the sign of the wobble.
    PcmTimeline steady(kFrameBytes, kTolerance, kLag, kLongestGap);
    const int64_t wobble[] = {0, 3, -4, 5, -2, 7, -7, 0};
    int64_t at = 0;
    for (int i = 0; i < 100; ++i, at += kPacket) steady.AddPacket(at + wobble[i % 8] * kRate / 1000, packet.data(), kPacket);
    EXPECT_EQ(steady.Frames(), 100 * kPacket);
    EXPECT_EQ(steady.SilentFrames(), 0);
    EXPECT_EQ(steady.DroppedFrames(), 0);
    // A silent packet (the device says so) is zeros of its full length.
    steady.AddPacket(at, nullptr, kPacket);
    Drained out;
    Drain(steady, out);
    EXPECT_EQ(out.silent, kPacket);
}

TEST(FramesInSpan, CountsWholeFramesAndRoundsDown) {
    EXPECT_EQ(FramesInSpan(10000000, 44100), 44100);
    EXPECT_EQ(FramesInSpan(5000, 48000), 24);
    EXPECT_EQ(FramesInSpan(-1, 48000), -1);
    EXPECT_EQ(FramesInSpan(-10000000, 48000), -48000);
    EXPECT_EQ(FramesInSpan(36000000000LL * 10, 48000), 48000LL * 36000);  // ten hours do not overflow
}

TEST(MatchEndpointName, FindsTheEndpointAMicrophoneNameMeans) {
    const std::vector<std::wstring> endpoints = {L"Monitor of Null Output", L"PulseAudio",
                                                 L"Microphone (High Definition Audio Device)",
                                                 L"Line In: USB 麦克风", L"default"};
    // Exact, and ignoring case.
    EXPECT_EQ(MatchEndpointName(L"PulseAudio", endpoints), 1);
    EXPECT_EQ(MatchEndpointName(L"monitor of null output", endpoints), 0);
    // A wave-in name is cut to 31 characters.
    EXPECT_EQ(MatchEndpointName(L"Microphone (High Definition Aud", endpoints), 2);
    // A name with a colon.
    EXPECT_EQ(MatchEndpointName(L"Line In: USB 麦克风", endpoints), 3);
    // More than the endpoint's own name, as the ALSA inputs are called: the longest contained name.
    EXPECT_EQ(MatchEndpointName(L"In: default", endpoints), 4);
    // A short prefix is not a cut name.
    EXPECT_EQ(MatchEndpointName(L"Micro", endpoints), -1);
    EXPECT_EQ(MatchEndpointName(L"", endpoints), -1);
    EXPECT_EQ(MatchEndpointName(L"Webcam", endpoints), -1);
}

TEST(RawSampleFormat, NamesTheFormatsEndpointsUse) {
    EXPECT_EQ(RawSampleFormat(true, 32), L"f32le");
    EXPECT_EQ(RawSampleFormat(false, 16), L"s16le");
    EXPECT_EQ(RawSampleFormat(false, 24), L"s24le");
    EXPECT_EQ(RawSampleFormat(false, 32), L"s32le");
    EXPECT_EQ(RawSampleFormat(true, 16), L"");
}

TEST(PcmTimeline, AnHourOfSleepCostsNoHourOfSilenceAndTheSoundGoesOnAfterIt) {
    // 48 kHz stereo float, as loopback delivers it: an hour is 1.4 GB.
    constexpr uint32_t kFloatStereo = 8;
    PcmTimeline timeline(kFloatStereo, kTolerance, kLag, kLongestGap);
    const std::vector<uint8_t> packet(kPacket * kFloatStereo, 0x55);
    int64_t now = 0;
    for (; now < kRate; now += kPacket) {
        timeline.AddPacket(now, packet.data(), kPacket);
        timeline.FillTo(now + kPacket);
        timeline.Consume(timeline.PendingBytes());
    }
    // The computer sleeps: the next poll finds the clock an hour on.
    const int64_t hour = 3600 * static_cast<int64_t>(kRate);
    now += hour;
    timeline.FillTo(now);
    EXPECT_LE(timeline.PendingBytes(), static_cast<size_t>(kLongestGap * kFloatStereo));
    EXPECT_GE(timeline.CutFrames(), hour - kLongestGap - kLag);
    timeline.Consume(timeline.PendingBytes());
    // The device's packets after the wake follow straight on: none is dropped
    // as late, and no more silence is filled than the longest gap.
    const int64_t before = timeline.Frames();
    for (int i = 0; i < 100; ++i, now += kPacket) {
        timeline.AddPacket(now, packet.data(), kPacket);
        timeline.FillTo(now + kPacket);
        EXPECT_LE(timeline.PendingBytes(), static_cast<size_t>((kLag + 2 * kPacket) * kFloatStereo)) << i;
        timeline.Consume(timeline.PendingBytes());
    }
    EXPECT_EQ(timeline.DroppedFrames(), 0);
    EXPECT_EQ(timeline.Frames() - before, 100 * kPacket);
    EXPECT_LE(timeline.SilentFrames(), kLongestGap + kLag);
}

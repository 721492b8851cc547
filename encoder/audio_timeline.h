// Sound captured by the adapter, laid on the recording's clock: the samples a
// segment's core receives, with silence where the device delivered nothing,
// and the choice of the capture endpoint that the program's microphone name
// means. Nothing here touches Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The samples of one segment from one sound source, by the clock. Each packet
// is placed where its time stamp says: a gap before it is filled with
// silence, samples that overlap what was already given are dropped, and
// jitter up to `toleranceFrames` is absorbed by joining packets end to end.
// When no packet comes at all (a loopback device delivers none while the
// computer is silent) `FillTo` adds silence by the clock, `lagFrames` behind
// it, so the sound never falls behind the picture and the core's mixer is
// never starved.
//
// A gap longer than `longestGapFrames` is no silence of the device's: the
// clock jumped while the computer slept. Only that much silence is given;
// the rest of the gap is cut, and what comes after it follows at once (the
// join cuts the picture's gap away likewise), so an hour's sleep costs no
// hour of silence in memory.
class PcmTimeline {
public:
    PcmTimeline(uint32_t frameBytes, int64_t toleranceFrames, int64_t lagFrames, int64_t longestGapFrames);

    // A packet of `frames` frames whose first frame belongs at `atFrame`,
    // counted from the segment's start (negative: before it). `data` null
    // means the packet is silent.
    void AddPacket(int64_t atFrame, const uint8_t* data, size_t frames);

    // The clock says `nowFrame`: what is more than the lag behind it and not
    // yet covered becomes silence. With a lag of 0 (at the end of a segment)
    // everything up to the clock is covered.
    void FillTo(int64_t nowFrame) { FillSilenceTo(nowFrame - m_cut - m_lag, m_lag); }
    void FillToNow(int64_t nowFrame) { FillSilenceTo(nowFrame - m_cut, 0); }

    // The bytes ready for the core, in order; `Consume` drops the first `count`.
    const uint8_t* Pending() const { return m_pending.data() + m_consumed; }
    size_t PendingBytes() const { return m_pending.size() - m_consumed; }
    void Consume(size_t count);

    // Frames given so far (real and silent), and of them the silent ones.
    int64_t Frames() const { return m_written; }
    int64_t SilentFrames() const { return m_silent; }
    int64_t DroppedFrames() const { return m_dropped; }
    // Frames of the clock cut out of gaps longer than the longest.
    int64_t CutFrames() const { return m_cut; }

private:
    // Silence up to `frame`, which lies `lag` behind the clock.
    void FillSilenceTo(int64_t frame, int64_t lag);
    void Append(const uint8_t* data, size_t frames);

    uint32_t m_frameBytes;
    int64_t m_tolerance;
    int64_t m_lag;
    int64_t m_longestGap;
    int64_t m_cut = 0;  // the clock's frames that were cut: every later position moves back by them
    int64_t m_written = 0;
    int64_t m_silent = 0;
    int64_t m_dropped = 0;
    std::vector<uint8_t> m_pending;
    size_t m_consumed = 0;
};

// Frames at `rate` in a span of 100-nanosecond units (the unit of the
// system's sound time stamps), rounded toward minus infinity.
int64_t FramesInSpan(int64_t span100ns, uint32_t rate);

// Which capture endpoint a microphone name means. The program names the
// microphone by its wave-in name, which the system cuts to 31 characters
// ("Microphone (High Definition Aud" for "Microphone (High Definition
// Audio Device)"), and which may hold a colon ("In: default"). An exact
// name wins, then an endpoint whose name begins with the given one when it
// was cut, then one whose name is contained in the given one, ignoring
// case. Returns the index in `endpoints`, or -1.
int MatchEndpointName(const std::wstring& wanted, const std::vector<std::wstring>& endpoints);

// The raw sample format the core is told for an endpoint's samples
// ("f32le", "s16le", ...), or empty when it has no such name.
std::wstring RawSampleFormat(bool isFloat, uint32_t bitsPerSample);

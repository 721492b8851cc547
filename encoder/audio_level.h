// The level of the sound the adapter hands on to a core, as the status
// channel reports it (protocol/status.h): the peak and the RMS in dBFS of
// the samples since the last report, in any of the raw formats the core is
// told. Nothing here touches Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class SampleKind { Unsigned8, Signed16, Signed24, Signed32, Float32, Float64 };

// The kind of samples behind a raw format name ("s16le", "f32le", ...; see
// RawSampleFormat); false when the name is none of them.
bool SampleKindOf(const std::wstring& rawFormat, SampleKind& kind);

// Decibels relative to full scale of a linear amplitude (1.0 is full
// scale); kSilenceDb for nothing at all.
double DecibelsOf(double amplitude);

class LevelMeter {
public:
    LevelMeter(SampleKind kind, uint32_t channels);

    // Interleaved frames as the endpoint delivered them; null `data` is silence.
    void Add(const uint8_t* data, size_t frames);

    struct Level {
        double peakDb;
        double rmsDb;
    };
    // The level of everything added since the last call, which starts a new
    // span; silence when nothing came (a device that delivers nothing is
    // silent for the core too).
    Level Take();

private:
    double SampleAt(const uint8_t* data, size_t index) const;

    SampleKind m_kind;
    uint32_t m_channels;
    size_t m_sampleBytes;
    double m_peak = 0;
    double m_sumOfSquares = 0;
    uint64_t m_samples = 0;
};

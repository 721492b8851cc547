#include "encoder/audio_level.h"

#include <cmath>
#include <cstring>

#include "protocol/status.h"

namespace {

size_t BytesOf(SampleKind kind) {
    switch (kind) {
    case SampleKind::Unsigned8: return 1;
    case SampleKind::Signed16: return 2;
    case SampleKind::Signed24: return 3;
    case SampleKind::Signed32: return 4;
    case SampleKind::Float32: return 4;
    case SampleKind::Float64: return 8;
    }
    return 1;
}

// Little-endian integers, whatever the machine.
uint32_t Unsigned(const uint8_t* p, size_t bytes) {
    uint32_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(p[i]) << (8 * i);
    return value;
}

}  // namespace

bool SampleKindOf(const std::wstring& rawFormat, SampleKind& kind) {
    static const struct {
        const wchar_t* name;
        SampleKind kind;
    } kKinds[] = {{L"u8", SampleKind::Unsigned8},    {L"s16le", SampleKind::Signed16},
                  {L"s24le", SampleKind::Signed24},  {L"s32le", SampleKind::Signed32},
                  {L"f32le", SampleKind::Float32},   {L"f64le", SampleKind::Float64}};
    for (const auto& entry : kKinds) {
        if (rawFormat == entry.name) {
            kind = entry.kind;
            return true;
        }
    }
    return false;
}

double DecibelsOf(double amplitude) {
    if (!(amplitude > 0)) return kSilenceDb;
    const double db = 20 * std::log10(amplitude);
    return db < kSilenceDb ? kSilenceDb : db;
}

LevelMeter::LevelMeter(SampleKind kind, uint32_t channels)
    : m_kind(kind), m_channels(channels == 0 ? 1 : channels), m_sampleBytes(BytesOf(kind)) {}

double LevelMeter::SampleAt(const uint8_t* data, size_t index) const {
    const uint8_t* p = data + index * m_sampleBytes;
    switch (m_kind) {
    case SampleKind::Unsigned8: return (static_cast<int>(p[0]) - 128) / 128.0;
    case SampleKind::Signed16: return static_cast<int16_t>(Unsigned(p, 2)) / 32768.0;
    case SampleKind::Signed24: {
        const uint32_t raw = Unsigned(p, 3);
        const int32_t value = static_cast<int32_t>(raw << 8) / 256;  // sign-extended
        return value / 8388608.0;
    }
    case SampleKind::Signed32: return static_cast<int32_t>(Unsigned(p, 4)) / 2147483648.0;
    case SampleKind::Float32: {
        float value;
        std::memcpy(&value, p, sizeof(value));
        return value;
    }
    case SampleKind::Float64: {
        double value;
        std::memcpy(&value, p, sizeof(value));
        return value;
    }
    }
    return 0;
}

void LevelMeter::Add(const uint8_t* data, size_t frames) {
    const size_t samples = frames * m_channels;
    m_samples += samples;
    if (data == nullptr) return;
    for (size_t i = 0; i < samples; ++i) {
        const double value = SampleAt(data, i);
        if (!std::isfinite(value)) continue;  // a broken float sample says nothing of the level
        const double magnitude = std::fabs(value);
        if (magnitude > m_peak) m_peak = magnitude;
        m_sumOfSquares += value * value;
    }
}

LevelMeter::Level LevelMeter::Take() {
    Level level{kSilenceDb, kSilenceDb};
    if (m_samples > 0) {
        level.peakDb = DecibelsOf(m_peak);
        level.rmsDb = DecibelsOf(std::sqrt(m_sumOfSquares / static_cast<double>(m_samples)));
    }
    m_peak = 0;
    m_sumOfSquares = 0;
    m_samples = 0;
    return level;
}

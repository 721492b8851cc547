#include "tests/fakes/avi_layout.h"


namespace {

class Bytes {
public:
    void Four(const char* code) { m_data.insert(m_data.end(), code, code + 4); }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) m_data.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void U16(uint16_t v) {
        m_data.push_back(static_cast<uint8_t>(v));
        m_data.push_back(static_cast<uint8_t>(v >> 8));
    }
    std::vector<uint8_t> Take() { return std::move(m_data); }
private:
    std::vector<uint8_t> m_data;
};

constexpr uint32_t kHeaderBytes = 224;  // up to and including the "movi" fourcc
constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAviifKeyframe = 0x10;

uint32_t MoviBytes(const AviFormat& f, uint32_t frames) { return 4 + frames * (8 + f.FrameBytes()); }

}  // namespace

std::vector<uint8_t> AviHeader(const AviFormat& f, uint32_t frames) {
    const uint32_t frameBytes = f.FrameBytes();
    const uint32_t riffBytes = 4 + (8 + 192) + (8 + MoviBytes(f, frames)) + (8 + 16 * frames);
    Bytes b;
    b.Four("RIFF"); b.U32(riffBytes); b.Four("AVI ");
    b.Four("LIST"); b.U32(192); b.Four("hdrl");
    b.Four("avih"); b.U32(56);
    b.U32(static_cast<uint32_t>(1000000 / f.rate));  // microseconds per frame
    b.U32(frameBytes * static_cast<uint32_t>(f.rate));
    b.U32(0);                                         // padding granularity
    b.U32(kAvifHasIndex);
    b.U32(frames);
    b.U32(0);                                         // initial frames
    b.U32(1);                                         // streams
    b.U32(frameBytes + 8);
    b.U32(static_cast<uint32_t>(f.width)); b.U32(static_cast<uint32_t>(f.height));
    for (int i = 0; i < 4; ++i) b.U32(0);
    b.Four("LIST"); b.U32(116); b.Four("strl");
    b.Four("strh"); b.U32(56);
    b.Four("vids"); b.Four("DIB ");
    b.U32(0); b.U16(0); b.U16(0); b.U32(0);           // flags, priority, language, initial frames
    b.U32(1); b.U32(static_cast<uint32_t>(f.rate));   // scale, rate
    b.U32(0); b.U32(frames);                          // start, length
    b.U32(frameBytes); b.U32(0xFFFFFFFFu); b.U32(0);  // buffer size, quality, sample size
    b.U16(0); b.U16(0); b.U16(static_cast<uint16_t>(f.width)); b.U16(static_cast<uint16_t>(f.height));
    b.Four("strf"); b.U32(40);
    b.U32(40); b.U32(static_cast<uint32_t>(f.width)); b.U32(static_cast<uint32_t>(f.height));
    b.U16(1); b.U16(24);                              // planes, bits per pixel
    b.U32(0); b.U32(frameBytes);                      // BI_RGB, image size
    for (int i = 0; i < 4; ++i) b.U32(0);
    b.Four("LIST"); b.U32(MoviBytes(f, frames)); b.Four("movi");
    std::vector<uint8_t> bytes = b.Take();
    return bytes.size() == kHeaderBytes ? bytes : std::vector<uint8_t>();
}

std::vector<uint8_t> AviFrameChunk(const std::vector<uint8_t>& pixels) {
    Bytes b;
    b.Four("00db");
    b.U32(static_cast<uint32_t>(pixels.size()));
    std::vector<uint8_t> chunk = b.Take();
    chunk.insert(chunk.end(), pixels.begin(), pixels.end());
    if (pixels.size() % 2 != 0) chunk.push_back(0);
    return chunk;
}

std::vector<uint8_t> AviIndex(const AviFormat& f, uint32_t frames) {
    Bytes b;
    b.Four("idx1"); b.U32(16 * frames);
    for (uint32_t i = 0; i < frames; ++i) {
        b.Four("00db"); b.U32(kAviifKeyframe);
        b.U32(4 + i * (8 + f.FrameBytes()));          // from the "movi" fourcc
        b.U32(f.FrameBytes());
    }
    return b.Take();
}

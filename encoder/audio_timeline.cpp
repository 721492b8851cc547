#include "encoder/audio_timeline.h"

#include <algorithm>
#include <cwctype>

PcmTimeline::PcmTimeline(uint32_t frameBytes, int64_t toleranceFrames, int64_t lagFrames, int64_t longestGapFrames)
    : m_frameBytes(frameBytes), m_tolerance(toleranceFrames), m_lag(lagFrames), m_longestGap(longestGapFrames) {}

void PcmTimeline::AddPacket(int64_t atFrame, const uint8_t* data, size_t frames) {
    // Captured before a cut gap's end: placed on the clock as it runs now.
    if (atFrame >= m_cut) atFrame -= m_cut;
    else if (atFrame >= 0) atFrame = 0;
    if (atFrame < 0) {  // captured before the segment began: only the rest belongs to it
        const int64_t before = std::min<int64_t>(-atFrame, static_cast<int64_t>(frames));
        if (data) data += before * m_frameBytes;
        frames -= static_cast<size_t>(before);
        atFrame = 0;
    }
    if (frames == 0) return;
    const int64_t count = static_cast<int64_t>(frames);
    if (atFrame + count <= m_written) {  // wholly covered already (or before the segment)
        m_dropped += count;
        return;
    }
    const int64_t gap = atFrame - m_written;
    int64_t skip = 0;
    if (gap > m_tolerance) {
        FillSilenceTo(atFrame, 0);  // nothing came for a while: silence in between
    } else if (gap < -m_tolerance) {
        skip = -gap;  // overlaps what was given (silence filled while it was late)
        m_dropped += skip;
    }
    Append(data ? data + skip * m_frameBytes : nullptr, static_cast<size_t>(count - skip));
}

void PcmTimeline::FillSilenceTo(int64_t frame, int64_t lag) {
    if (frame <= m_written) return;
    int64_t frames = frame - m_written;
    if (frames > m_longestGap) {
        // Cut so that the clock itself, not the lag behind it, meets the end
        // of the silence: the next packet follows without another gap.
        m_cut += frames - m_longestGap + lag;
        frames = m_longestGap;
    }
    m_silent += frames;
    Append(nullptr, static_cast<size_t>(frames));
}

void PcmTimeline::Append(const uint8_t* data, size_t frames) {
    const size_t bytes = frames * m_frameBytes;
    if (data)
        m_pending.insert(m_pending.end(), data, data + bytes);
    else
        m_pending.resize(m_pending.size() + bytes, 0);  // zero is silence in every raw format used
    m_written += static_cast<int64_t>(frames);
}

void PcmTimeline::Consume(size_t count) {
    m_consumed = std::min(m_consumed + count, m_pending.size());
    if (m_consumed == m_pending.size()) {
        m_pending.clear();
        m_consumed = 0;
    } else if (m_consumed > 65536 && m_consumed * 2 > m_pending.size()) {
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(m_consumed));
        m_consumed = 0;
    }
}

int64_t FramesInSpan(int64_t span100ns, uint32_t rate) {
    const int64_t scaled = span100ns * static_cast<int64_t>(rate);
    int64_t frames = scaled / 10000000;
    if (scaled % 10000000 != 0 && scaled < 0) --frames;
    return frames;
}

namespace {

std::wstring Folded(const std::wstring& text) {
    std::wstring folded = text;
    for (wchar_t& c : folded) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    // Trailing blanks are lost where a name is cut.
    while (!folded.empty() && folded.back() == L' ') folded.pop_back();
    return folded;
}

}  // namespace

int MatchEndpointName(const std::wstring& wanted, const std::vector<std::wstring>& endpoints) {
    if (wanted.empty()) return -1;
    for (size_t i = 0; i < endpoints.size(); ++i)
        if (endpoints[i] == wanted) return static_cast<int>(i);
    const std::wstring name = Folded(wanted);
    if (name.empty()) return -1;
    for (size_t i = 0; i < endpoints.size(); ++i)
        if (Folded(endpoints[i]) == name) return static_cast<int>(i);
    // A wave-in name is the endpoint's name cut to 31 characters.
    if (wanted.size() >= 31) {
        for (size_t i = 0; i < endpoints.size(); ++i)
            if (Folded(endpoints[i]).compare(0, name.size(), name) == 0) return static_cast<int>(i);
    }
    // A name that carries more than the endpoint's own: "In: default" for "default".
    int best = -1;
    size_t bestLength = 0;
    for (size_t i = 0; i < endpoints.size(); ++i) {
        const std::wstring endpoint = Folded(endpoints[i]);
        if (endpoint.size() > bestLength && name.find(endpoint) != std::wstring::npos) {
            best = static_cast<int>(i);
            bestLength = endpoint.size();
        }
    }
    return best;
}

std::wstring RawSampleFormat(bool isFloat, uint32_t bitsPerSample) {
    if (isFloat) return bitsPerSample == 32 ? L"f32le" : bitsPerSample == 64 ? L"f64le" : L"";
    switch (bitsPerSample) {
    case 8: return L"u8";
    case 16: return L"s16le";
    case 24: return L"s24le";
    case 32: return L"s32le";
    }
    return L"";
}

#include "support/matroska_scan.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint32_t kEbmlHeader = 0x1A45DFA3;
constexpr uint32_t kSegment = 0x18538067;
constexpr uint32_t kInfo = 0x1549A966;
constexpr uint32_t kTimecodeScale = 0x2AD7B1;
constexpr uint32_t kTracks = 0x1654AE6B;
constexpr uint32_t kTrackEntry = 0xAE;
constexpr uint32_t kTrackNumber = 0xD7;
constexpr uint32_t kTrackType = 0x83;
constexpr uint32_t kDefaultDuration = 0x23E383;
constexpr uint32_t kCluster = 0x1F43B675;
constexpr uint32_t kClusterTimecode = 0xE7;
constexpr uint32_t kSimpleBlock = 0xA3;
constexpr uint32_t kBlockGroup = 0xA0;
constexpr uint32_t kBlock = 0xA1;
constexpr uint64_t kUnknownSize = ~0ull;

// Elements that sit directly in the segment: one of them ends a cluster whose size is unknown.
bool IsTopLevel(uint32_t id) {
    switch (id) {
    case kCluster: case kInfo: case kTracks: case kSegment: case kEbmlHeader:
    case 0x114D9B74:  // SeekHead
    case 0x1C53BB6B:  // Cues
    case 0x1254C367:  // Tags
    case 0x1043A770:  // Chapters
    case 0x1941A469:  // Attachments
        return true;
    default:
        return false;
    }
}

struct Element {
    uint32_t id = 0;
    uint64_t size = 0;      // kUnknownSize when the writer left it open
    uint64_t dataStart = 0;
};

class Scanner {
public:
    Scanner(const ReadAt& read, uint64_t fileSize) : m_read(read), m_fileSize(fileSize) {}

    MatroskaSummary Run() {
        Element header;
        if (!ReadElement(0, header) || header.id != kEbmlHeader || header.size == kUnknownSize) return m_summary;
        uint64_t at = header.dataStart + header.size;
        Element segment;
        while (ReadElement(at, segment) && segment.id != kSegment) {
            if (segment.size == kUnknownSize) return m_summary;
            at = segment.dataStart + segment.size;
        }
        if (segment.id != kSegment) return m_summary;
        m_summary.readable = true;
        ScanSegment(segment.dataStart, EndOf(segment));
        return m_summary;
    }

private:
    uint64_t EndOf(const Element& e) const {
        if (e.size == kUnknownSize || e.size > m_fileSize - e.dataStart) return m_fileSize;
        return e.dataStart + e.size;
    }
    bool Whole(const Element& e) const { return e.size != kUnknownSize && e.size <= m_fileSize - e.dataStart; }

    bool ReadBytes(uint64_t at, uint8_t* buffer, size_t count) {
        if (at > m_fileSize || count > m_fileSize - at) return false;
        return m_read(at, buffer, count) == count;
    }

    // A variable-length number: its width from the first byte's leading zeros.
    bool ReadVint(uint64_t at, bool keepMarker, uint64_t& value, uint64_t& width) {
        uint8_t first = 0;
        if (!ReadBytes(at, &first, 1) || first == 0) return false;
        width = 1;
        while (!(first & (0x80 >> (width - 1)))) ++width;
        std::array<uint8_t, 8> bytes{};
        bytes[0] = first;
        if (width > 1 && !ReadBytes(at + 1, bytes.data() + 1, static_cast<size_t>(width - 1))) return false;
        uint64_t v = keepMarker ? first : (first & (0xFF >> width));
        bool allOnes = v == (0xFFu >> width);
        for (uint64_t i = 1; i < width; ++i) {
            v = (v << 8) | bytes[i];
            allOnes = allOnes && bytes[i] == 0xFF;
        }
        value = (!keepMarker && allOnes) ? kUnknownSize : v;
        return true;
    }

    bool ReadElement(uint64_t at, Element& e) {
        uint64_t id = 0, idWidth = 0, size = 0, sizeWidth = 0;
        if (!ReadVint(at, true, id, idWidth) || idWidth > 4) return false;
        if (!ReadVint(at + idWidth, false, size, sizeWidth)) return false;
        e.id = static_cast<uint32_t>(id);
        e.size = size;
        e.dataStart = at + idWidth + sizeWidth;
        return true;
    }

    bool ReadUnsigned(const Element& e, uint64_t& value) {
        if (!Whole(e) || e.size > 8) return false;
        std::array<uint8_t, 8> bytes{};
        if (!ReadBytes(e.dataStart, bytes.data(), static_cast<size_t>(e.size))) return false;
        value = 0;
        for (uint64_t i = 0; i < e.size; ++i) value = (value << 8) | bytes[i];
        return true;
    }

    void ScanSegment(uint64_t at, uint64_t end) {
        Element e;
        while (at < end && ReadElement(at, e)) {
            if (e.id == kInfo) ScanInfo(e);
            else if (e.id == kTracks) ScanTracks(e);
            if (e.id == kCluster) {
                ++m_summary.clusters;
                at = ScanCluster(e);
                continue;
            }
            if (!Whole(e)) return;
            at = e.dataStart + e.size;
        }
    }

    void ScanInfo(const Element& info) {
        Element e;
        for (uint64_t at = info.dataStart; at < EndOf(info) && ReadElement(at, e) && Whole(e); at = e.dataStart + e.size) {
            uint64_t scale = 0;
            if (e.id == kTimecodeScale && ReadUnsigned(e, scale) && scale > 0) m_scaleNs = scale;
        }
    }

    void ScanTracks(const Element& tracks) {
        Element entry;
        for (uint64_t at = tracks.dataStart; at < EndOf(tracks) && ReadElement(at, entry) && Whole(entry);
             at = entry.dataStart + entry.size) {
            if (entry.id != kTrackEntry) continue;
            TrackSpan track;
            Element e;
            for (uint64_t in = entry.dataStart; in < EndOf(entry) && ReadElement(in, e) && Whole(e);
                 in = e.dataStart + e.size) {
                uint64_t v = 0;
                if (!ReadUnsigned(e, v)) continue;
                if (e.id == kTrackNumber) track.number = v;
                else if (e.id == kTrackType) track.kind = v == 1 ? TrackKind::Video : v == 2 ? TrackKind::Audio : TrackKind::Other;
                else if (e.id == kDefaultDuration) track.defaultDurationNs = v;
            }
            if (track.number != 0) m_summary.tracks.push_back(track);
        }
    }

    // Returns where the scan goes on after the cluster.
    uint64_t ScanCluster(const Element& cluster) {
        const uint64_t end = EndOf(cluster);
        int64_t clusterTime = 0;
        Element e;
        uint64_t at = cluster.dataStart;
        while (at < end && ReadElement(at, e)) {
            if (cluster.size == kUnknownSize && IsTopLevel(e.id)) return at;
            if (!Whole(e)) return m_fileSize;  // cut short by a crash: nothing whole follows
            if (e.id == kClusterTimecode) {
                uint64_t t = 0;
                if (ReadUnsigned(e, t)) clusterTime = static_cast<int64_t>(t);
            } else if (e.id == kSimpleBlock) {
                CountBlock(e, clusterTime);
            } else if (e.id == kBlockGroup) {
                Element inner;
                for (uint64_t in = e.dataStart; in < EndOf(e) && ReadElement(in, inner) && Whole(inner);
                     in = inner.dataStart + inner.size)
                    if (inner.id == kBlock) CountBlock(inner, clusterTime);
            }
            at = e.dataStart + e.size;
        }
        return end;
    }

    void CountBlock(const Element& block, int64_t clusterTime) {
        uint64_t number = 0, width = 0;
        if (!ReadVint(block.dataStart, false, number, width)) return;
        std::array<uint8_t, 2> relative{};
        if (!ReadBytes(block.dataStart + width, relative.data(), 2)) return;
        const int16_t offset = static_cast<int16_t>((relative[0] << 8) | relative[1]);
        const int64_t timeNs = (clusterTime + offset) * static_cast<int64_t>(m_scaleNs);
        for (TrackSpan& track : m_summary.tracks) {
            if (track.number != number) continue;
            if (track.blocks == 0 || timeNs < track.firstNs) track.firstNs = timeNs;
            if (track.blocks == 0 || timeNs > track.lastNs) track.lastNs = timeNs;
            ++track.blocks;
            return;
        }
    }

    const ReadAt& m_read;
    uint64_t m_fileSize;
    uint64_t m_scaleNs = 1000000;
    MatroskaSummary m_summary;
};

}  // namespace

MatroskaSummary ScanMatroska(const ReadAt& read, uint64_t fileSize) {
    return Scanner(read, fileSize).Run();
}

int64_t TrackEndNs(const TrackSpan& track) {
    if (track.blocks == 0) return 0;
    int64_t frame = static_cast<int64_t>(track.defaultDurationNs);
    if (frame == 0 && track.blocks > 1)
        frame = (track.lastNs - track.firstNs) / static_cast<int64_t>(track.blocks - 1);
    return track.lastNs + frame;
}

bool HasVideo(const MatroskaSummary& summary) {
    for (const TrackSpan& track : summary.tracks)
        if (track.kind == TrackKind::Video && track.blocks > 0) return true;
    return false;
}

bool HasContent(const MatroskaSummary& summary) {
    for (const TrackSpan& track : summary.tracks)
        if (track.blocks > 0) return true;
    return false;
}

bool HoldsNoMedia(const MatroskaSummary& summary, uint64_t fileSize) {
    return fileSize == 0 || (summary.readable && summary.clusters == 0);
}

int64_t PictureEndNs(const MatroskaSummary& summary) {
    int64_t end = 0;
    for (const TrackSpan& track : summary.tracks)
        if (track.kind == TrackKind::Video) end = std::max(end, TrackEndNs(track));
    return end;
}

#include "encoder/audio_recovery.h"

void SourceRecovery::Opened(const std::wstring& device, bool wanted, int64_t nowMs) {
    m_current = device;
    m_lost = false;
    m_onWanted = wanted;
    m_defaultMoved = false;
    m_nextTryMs = nowMs + kWantedCheckMs;
}

void SourceRecovery::Lost(int64_t nowMs) {
    m_lost = true;
    m_nextTryMs = nowMs;
}

void SourceRecovery::DefaultChanged(int64_t nowMs) {
    if (!m_movesWithDefault && !m_lost) return;  // it keeps to its device while that one works
    m_defaultMoved = true;
    m_nextTryMs = nowMs;
}

void SourceRecovery::Failed(int64_t nowMs) {
    m_defaultMoved = false;
    m_nextTryMs = nowMs + (m_lost ? kRetryMs : kWantedCheckMs);
}

bool SourceRecovery::Due(int64_t nowMs) const {
    if (m_lost || m_defaultMoved) return nowMs >= m_nextTryMs;
    return !m_onWanted && nowMs >= m_nextTryMs;
}

std::vector<std::wstring> SourceRecovery::Candidates(const std::wstring& wantedDevice,
                                                     const std::wstring& defaultDevice) const {
    std::vector<std::wstring> candidates;
    auto add = [&](const std::wstring& device) {
        if (device.empty()) return;
        for (const std::wstring& listed : candidates)
            if (listed == device) return;
        // A source that records is never moved onto the device it has.
        if (!m_lost && device == m_current) return;
        candidates.push_back(device);
    };
    if (m_lost) {
        // The same device when it has come back (the system may not have
        // noticed yet that it went, or that it returned), else the default.
        if (!m_followsDefault) add(wantedDevice);
        add(m_current);
        add(defaultDevice);
    } else if (m_defaultMoved) {
        add(defaultDevice);
    } else if (!m_onWanted) {
        add(wantedDevice);
    }
    return candidates;
}

// When a sound source whose device went away opens again, and on which
// device: the same one when it returns, else the new default device of its
// role (a projector's HDMI plugged in changes the default playback device,
// a USB headset the default microphone). Nothing here touches Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SourceRecovery {
public:
    // Tries while lost, and looks for the wanted device again while
    // recording from another one, at these intervals.
    static constexpr int64_t kRetryMs = 300;
    static constexpr int64_t kWantedCheckMs = 1000;

    // `followsDefault`: the source records the default device of its role,
    // and moves when the default changes; otherwise it keeps to the device it
    // was opened on, and takes the default only while that one is gone.
    explicit SourceRecovery(bool followsDefault) : m_followsDefault(followsDefault) {}

    // The source records from `device` now; `wanted` unless it is a stand-in
    // for the device a source that keeps to its device wants.
    void Opened(const std::wstring& device, bool wanted, int64_t nowMs);
    // The device stopped delivering: the first try is due at once.
    void Lost(int64_t nowMs);
    // The system's default device of the source's role changed.
    void DefaultChanged(int64_t nowMs);
    // None of the candidates opened: the next try waits a while.
    void Failed(int64_t nowMs);

    // Whether a (re)open is due now.
    bool Due(int64_t nowMs) const;
    // The devices to try, in order. `wantedDevice` is the device a source
    // that keeps to its device wants, as the system has it now (empty: not
    // there); `defaultDevice` the role's default now (empty: none).
    std::vector<std::wstring> Candidates(const std::wstring& wantedDevice, const std::wstring& defaultDevice) const;

    bool IsLost() const { return m_lost; }
    // Recording from a stand-in while the wanted device is gone.
    bool OnStandIn() const { return !m_lost && !m_onWanted; }
    const std::wstring& Current() const { return m_current; }

private:
    bool m_followsDefault;
    bool m_lost = false;
    bool m_onWanted = true;
    bool m_defaultMoved = false;
    std::wstring m_current;
    int64_t m_nextTryMs = 0;
};

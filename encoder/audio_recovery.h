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

    // `followsDefault`: the source records whatever is the default device of
    // its role; otherwise it keeps to its own device, takes the default only
    // while that one is gone and goes back to it when it returns.
    // `movesWithDefault`: a new default device becomes its own (a USB headset
    // plugged in is the microphone a teacher means).
    SourceRecovery(bool followsDefault, bool movesWithDefault)
        : m_followsDefault(followsDefault), m_movesWithDefault(movesWithDefault || followsDefault) {}

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
    // Opening one of them makes it the source's own when the default moved
    // (MovingToDefault) or it is the wanted one.
    std::vector<std::wstring> Candidates(const std::wstring& wantedDevice, const std::wstring& defaultDevice) const;

    bool IsLost() const { return m_lost; }
    // A default that changed is due to become the source's device.
    bool MovingToDefault() const { return !m_lost && m_defaultMoved; }
    // Recording from a stand-in while the wanted device is gone.
    bool OnStandIn() const { return !m_lost && !m_onWanted; }
    const std::wstring& Current() const { return m_current; }

private:
    bool m_followsDefault;
    bool m_movesWithDefault;
    bool m_lost = false;
    bool m_onWanted = true;
    bool m_defaultMoved = false;
    std::wstring m_current;
    int64_t m_nextTryMs = 0;
};

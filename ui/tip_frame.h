// The tip window shown before the countdown: OK or close continue to the
// countdown; the option "OptTip" keeps the tip away at later starts.
#pragma once

#include <windows.h>

#include "ui/skinned_frame.h"

class CReadyFrameWnd;
class COptionUI;

class RecTSFrame : public SkinnedFrame {
public:
    RecTSFrame() = default;
    // Discards the countdown window it owns first; no native window of
    // either outlives its object.
    ~RecTSFrame() override;

    // Hides the tip and brings up the countdown window.
    void ContinueToCountdown();

    // The countdown window of this start (null before it is made).
    CReadyFrameWnd* Countdown() const { return m_ready; }

protected:
    const FrameDescription& Description() const override;
    void OnSkinReady() override;
    LRESULT HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void Notify(TNotifyUI& msg) override;

private:
    COptionUI* m_optTip = nullptr;
    CReadyFrameWnd* m_ready = nullptr;
};

// The recording status bar: the elapsed time, counted on timer 60 while the
// encoder runs, and the stop, close and minimise buttons; stop, close and the
// pause key (F10, through hookDLL.dll) pause the recording.
#pragma once

#include <windows.h>

#include "ui/elapsed_time.h"
#include "ui/skinned_frame.h"

class CRecProcessFrameWnd;

class RecStatusFrame : public SkinnedFrame {
public:
    RecStatusFrame() = default;
    ~RecStatusFrame() override;

    // Pauses the encoder, hides the bar and brings the after-recording window
    // to the front.
    void PauseRecording();

    // The after-recording window made with the bar (null when it could not be
    // made or its window is gone, which deletes it).
    CRecProcessFrameWnd* AfterRecordingWindow() const;

protected:
    const FrameDescription& Description() const override;
    void OnSkinReady() override;
    LRESULT HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void Notify(TNotifyUI& msg) override;

private:
    LRESULT OnTick();
    LRESULT OnHotKey();
    // Stop, close and the pause key: only while the bar is up, so a second
    // press while the after-recording window is shown does nothing.
    void PauseIfShown();

    CControlUI* m_timeText = nullptr;
    // Made with the bar's window; it deletes itself when its window goes.
    CRecProcessFrameWnd* m_process = nullptr;
};

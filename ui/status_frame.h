// The recording status bar: the recorded time, shown on timer 60, and the
// stop, close and minimise buttons; stop, close, the system's close (Alt+F4,
// the task bar) and the pause key (F10, through hookDLL.dll) pause the
// recording. Its timer also watches the encoder and the free disk space.
// Its pen button and F9 switch drawing on the lesson (ui/ink_session_win.h).
// Beside the time, a level meter for each chosen sound source; under the
// bar, a warning while a source is missing, lost or (the microphone) silent.
#pragma once

#include <windows.h>

#include "ui/elapsed_time.h"
#include "ui/pen_palette.h"
#include "ui/skinned_frame.h"
#include "ui/sound_view.h"

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
    // The encoder ended by itself: told once, the recording kept and offered.
    LRESULT OnEncoderLost(DWORD exitCode);
    // Too little room left on the disk: paused, and the teacher told why.
    void CheckFreeSpace();
    // Stop, close and the pause key: only while the bar is up, so a second
    // press while the after-recording window is shown does nothing.
    void PauseIfShown();

    // The recording's sound: what the encoder said, shown at most every
    // kSoundShowIntervalMs (a rise at once, after a quiet spell).
    void ShowSound();
    // The warning's row came or went: the bar grows or shrinks to show it.
    void FitSoundWarning();

    CControlUI* m_timeText = nullptr;
    // The pen button's presses leave the keyboard with the presented program.
    ClicksWithoutFocus m_penClicks;
    SoundView m_sound;
    int64_t m_soundShownMs = 0;
    int m_ticksSinceSpaceCheck = 0;
    bool m_handlingLoss = false;
    // Made with the bar's window; it deletes itself when its window goes.
    CRecProcessFrameWnd* m_process = nullptr;
};

// The countdown window: "3", "2", "1" a second apart while the encoder gets
// ready, held; then it starts recording and the status bar comes up; its
// back button abandons the start and discards the waiting encoder. It shows
// the microphone's level meanwhile, and asks before the picture starts when
// a chosen sound source could not be opened.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/skinned_frame.h"
#include "ui/sound_view.h"

class RecStatusFrame;

// The number the countdown shows next; 3 whenever no countdown runs.
extern int32_t CountdownValue;

// The countdown's one-second timer on its own window.
constexpr UINT_PTR kCountdownTimerId = 20;
constexpr UINT kCountdownTimerPeriodMs = 1000;

// Style of the countdown and tip windows: popup, visible, caption, system
// menu, clipping its children and siblings.
constexpr DWORD kFlowWindowStyle = 0x96C80000;

class CReadyFrameWnd : public SkinnedFrame {
public:
    CReadyFrameWnd() = default;
    ~CReadyFrameWnd() override;

    // The owner's pointer to this object; cleared when the object deletes
    // itself after its window is gone, so the owner never deletes it twice.
    void SetOwnerSlot(CReadyFrameWnd** slot) { m_ownerSlot = slot; }

    // The status bar this countdown made (null when it reused the one an
    // earlier countdown made, or has not got that far).
    RecStatusFrame* StatusBar() const { return m_status; }

protected:
    const FrameDescription& Description() const override;
    void OnBeforeSkin() override;
    void OnSkinReady() override;
    LRESULT HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void Notify(TNotifyUI& msg) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    LRESULT OnTick();
    void BackToStartup();
    // Back to "3" with the timer stopped.
    void ResetCount();
    // Shows the status bar of the recording that has just started, making it
    // the first time. False when it could not be made.
    bool BringUpStatusBar();
    // The encoder runs but no status bar can stop it: end the recording.
    void AbandonRecording();
    // What the waiting encoder said of its sound, on the microphone's meter.
    void ShowSound();
    // At zero: false when a chosen sound source could not be opened and the
    // teacher would rather not start without it.
    bool SoundCanStart();

    CControlUI* m_numText = nullptr;
    CControlUI* m_backBtn = nullptr;
    SoundView m_sound;
    // Made once, never deleted: it lives for the rest of the run.
    RecStatusFrame* m_status = nullptr;
    CReadyFrameWnd** m_ownerSlot = nullptr;
};

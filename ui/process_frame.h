// The after-recording window, shown while a recording is paused: resume (or
// close) goes on recording, discard ends and deletes it, done saves it.
#pragma once

#include <windows.h>

#include "ui/skinned_frame.h"

class CRecProcessFrameWnd : public SkinnedFrame, public IMessageFilterUI {
public:
    CRecProcessFrameWnd() = default;

    // Back to the status bar: the encoder resumes and the count goes on.
    void ResumeRecording();
    // Ends the encoder, deletes the recording and returns to the startup window.
    void DiscardRecording();

    // Seen before the paint manager: reports Enter and Escape key-downs,
    // never consumes a message.
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

protected:
    const FrameDescription& Description() const override;
    void OnBeforeSkin() override;
    void OnSkinReady() override;
    void Notify(TNotifyUI& msg) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    CControlUI* m_closeBtn = nullptr;
    CControlUI* m_resumeBtn = nullptr;
    CControlUI* m_discardBtn = nullptr;
    CControlUI* m_doneBtn = nullptr;
    bool m_discarding = false;
};

// The recording's sound as a window shows it (the status bar, the
// countdown): a meter for each chosen source whose level comes, red while its
// source has a problem, and the warning's text; controls a skin lacks are
// left out. Drawn from the recording's SoundWatch (recording/sound_watch.h).
#pragma once

#include <windows.h>

#include "recording/sound_watch.h"
#include "uilib/uilib.h"

// Posted to the window that shows the sound (SetSoundWindow) whenever the
// encoder said something on its status channel.
constexpr UINT kSoundNewsMessage = WM_APP + 31;

// The window that shows the recording's sound (the countdown, then the
// status bar) gets kSoundNewsMessage posted whenever the encoder said
// something; it then calls TakeRecordingSound. Null: nobody listens.
void SetSoundWindow(HWND window);
HWND SoundWindow();

class SoundView {
public:
    // Looks the controls up by name: "soundMeters" (all meters),
    // "speakersRow" and "microphoneRow" (a meter and its label),
    // "meterSpeakers", "meterMicrophone" and the warning text "soundWarning".
    void Attach(CPaintManagerUI& pm);

    // Shows `watch` now. True when anything on screen changed: a meter's
    // fill or colour, a row, the warning.
    bool Show(const SoundWatch& watch);
    // Whether the warning's row is up.
    bool WarningShown() const { return m_warning != nullptr && m_warning->IsVisible(); }

private:
    struct Row {
        CControlUI* row = nullptr;
        CMeterUI* meter = nullptr;
    };
    // True when the row changed on screen.
    static bool ShowRow(const Row& row, const SoundWatch& watch, SoundSource source);

    CControlUI* m_meters = nullptr;
    Row m_speakers;
    Row m_microphone;
    CControlUI* m_warning = nullptr;
};

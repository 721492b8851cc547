// The drawing of one recording: the overlay over the recorded area, the
// palette beside the status bar, the click rings (a low-level mouse hook
// sees the clicks given to other programs), and the drawing keys the
// keyboard hook delivers, all following one InkState (ui/ink.h). The status
// bar, the after-recording window and the saving tell it how the recording
// goes; the bar shows the pen button as it says. UI thread only.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/ink.h"

class InkOverlay;
class PenPalette;

class InkSession {
public:
    static InkSession& Instance();

    // The status bar came up: a recording starts, with nothing drawn, or
    // goes on after a pause with everything kept.
    void BarShown(HWND statusBar);
    // Paused: drawing goes off, the strokes stay on the screen.
    void Paused();
    // Discarded, saved or lost: the drawing's windows and hooks go, leaving
    // the screen as it was.
    void Ended();

    // The status bar moved (the teacher dragged it): the palette goes with it.
    void BarMoved();
    // The pen button on the status bar.
    void PenButton();
    // A hot key from the keyboard hook; false when it is not a drawing key.
    bool HotKey(WPARAM id);

    const InkState& State() const { return m_state; }
    // The overlay of the current recording (null between recordings or
    // when it could not be made).
    InkOverlay* Overlay() const;
    PenPalette* Palette() const { return m_palette; }

    // Set by the status bar: how the pen button shows the state, and where
    // the button is on the screen (the palette stands by it).
    std::function<void(const InkState&)> ShowPenButton;
    std::function<RECT()> PenButtonOnScreen;

private:
    InkSession() = default;
    void Start(HWND statusBar);
    void Apply(const InkState& next);
    void UpdateRingHook();
    void PlacePalette();
    static LRESULT CALLBACK MouseHookProc(int code, WPARAM message, LPARAM lParam) noexcept;

    InkState m_state;
    bool m_showClicks = true;
    HWND m_bar = nullptr;
    InkOverlay* m_overlay = nullptr;  // lives for the run; its window for a recording
    PenPalette* m_palette = nullptr;
    HHOOK m_mouseHook = nullptr;
};

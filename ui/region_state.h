// The region selector's state machine: what each mouse, key and button event
// does to the state and the rectangle, and what the window must do in turn.
// No Windows here; the Win32 side (region_selector.cpp) carries out the actions.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "support/rect.h"
#include "ui/region_geometry.h"

// What an event asks of the selector's windows.
struct SelectorAction {
    enum class Outcome { None, Cancelled, Confirmed };

    bool handled = true;               // false: leave the message to default processing
    bool invalidate = false;           // repaint the mask window (no erase)
    bool hideButtons = false;          // hide Cancel and OK now
    bool sendCancel = false;           // send the Cancel command to the receiving window
    std::optional<ZoneCursor> cursor;  // new class cursor of the receiving window
    Outcome outcome = Outcome::None;   // call back: with nothing, or with rect()
};

class SelectionModel {
public:
    void SetScreenSize(int32_t width, int32_t height);
    // The monitors, in the same coordinates as the mouse (the selector's
    // windows span all of them); the buttons stay on the rectangle's monitor.
    // None given: the whole area is one screen.
    void SetMonitors(std::vector<Rect> monitors) { m_monitors = std::move(monitors); }

    // Shown, ready for a new rectangle (also after a cancel or an OK).
    SelectorAction Show();
    // The hide command: hidden at the next paint.
    SelectorAction Hide();

    SelectorAction MouseMove(int32_t x, int32_t y);
    SelectorAction LeftButtonDown(int32_t x, int32_t y);
    SelectorAction LeftButtonUp(int32_t x, int32_t y);
    SelectorAction RightButtonUp(int32_t x, int32_t y);
    // Escape released: cancels in every state, through the Cancel command.
    SelectorAction EscapeUp();
    // The system's close (Alt+F4, the task bar): a cancel, never the end of the
    // program; nothing while hidden.
    SelectorAction CloseRequested();

    // The Cancel and OK commands; `notifyCode` is the high word of the command
    // (0 for a button click and for the Escape and right-click paths).
    SelectorAction Cancel(int32_t notifyCode);
    SelectorAction Confirm(int32_t notifyCode);

    int32_t state() const { return m_state; }
    const Rect& rect() const { return m_rect; }
    Point buttons() const { return m_buttons; }
    Point mouse() const { return m_mouse; }
    Point last() const { return m_last; }
    int32_t screenWidth() const { return m_screenWidth; }
    int32_t screenHeight() const { return m_screenHeight; }

    bool IsAdjusting() const { return m_state > StateAdjusting && m_state <= StateAdjusting + EdgeAll; }
    // Hidden and Waiting dim the whole screen; the other states cut the rectangle out.
    bool ShowsRectangle() const { return m_state != StateHidden && m_state != StateWaiting; }
    bool ButtonsShown() const { return m_state == StateChosen; }
    // The area the rectangle's outline and handles cover now, and the plain
    // see-through inside of it (both empty when no rectangle is drawn).
    Rect DrawnBounds() const;
    Rect DrawnInside() const;

private:
    SelectorAction FinishDrag();

    int32_t m_screenWidth = 0;
    int32_t m_screenHeight = 0;
    std::vector<Rect> m_monitors;
    int32_t m_state = StateHidden;
    Rect m_rect;
    Point m_last;
    Point m_mouse;
    Point m_buttons;
};

// The drawing's palette: a small skinned strip ("pen.xml") beside the status
// bar while drawing is on, with the four tools, undo and clear. Neither it
// nor the bar's pen button takes the keyboard from the presented program:
// their presses are taken before the skin's controls could focus the window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/ink.h"
#include "ui/skinned_frame.h"

extern const FrameDescription kPenPaletteFrame;

// Presses on chosen controls of a skinned window, taken without activating
// the window or focusing it: the window's own message handling asks Handle
// first. The controls look hot under the mouse as before.
class ClicksWithoutFocus {
public:
    void Add(CControlUI* control);
    // True when the message was taken (with its result). `clicked` is set to
    // the control a press was released over, for the one message that ends it.
    bool Handle(HWND window, UINT message, LPARAM lParam, LRESULT& result, CControlUI*& clicked);

private:
    CControlUI* ControlAt(POINT client) const;

    std::vector<CControlUI*> m_controls;
    CControlUI* m_pressed = nullptr;
};

// How the status bar's pen button shows the drawing switch: highlighted while
// drawing is on; disabled and saying so when drawing is not possible.
std::function<void(const InkState&)> PenButtonLook(CControlUI* button);

class PenPalette : public SkinnedFrame {
public:
    // Made owned by the status bar, topmost and never activated; hidden.
    bool Make(HWND statusBar);
    // Shows the tool chosen as selected.
    void ShowTool(InkTool tool);
    // Beside the status bar, above it where the bar's screen has room, below
    // it otherwise, its right edge under the pen button's.
    void PlaceBy(HWND statusBar, const RECT& penButtonOnScreen);

    std::function<void(InkTool)> OnTool;
    std::function<void()> OnUndo;
    std::function<void()> OnClear;

protected:
    const FrameDescription& Description() const override;
    void OnSkinReady() override;
    LRESULT HandleOwnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void Clicked(const std::wstring& name);

    ClicksWithoutFocus m_clicks;
};

// The drawing's window: a topmost layered window exactly over the recorded
// area, in physical pixels, showing the canvas with per-pixel opacity, so
// the screen grabber records the strokes and rings where the teacher sees
// them. It never takes the keyboard. While drawing is off it is see-through
// to the mouse (WS_EX_TRANSPARENT): every click goes to the programs below.
// While drawing is on it takes the mouse over the whole area and draws.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "support/rect.h"
#include "support/unique_win.h"
#include "ui/ink_canvas.h"
#include "uilib/ui_base.h"

class InkOverlay : public CWindowWnd {
public:
    // Posted to the window for a click somewhere on the screens: wParam 1
    // for the right button, lParam the screen point (GET_X_LPARAM and
    // GET_Y_LPARAM). A ring shows when the click lies in the area, drawing is
    // off, and the click was not on one of the windows kept above it.
    static constexpr UINT kClickMessage = WM_APP + 40;

    InkOverlay() = default;
    ~InkOverlay() override;

    // Makes the window over `area` (screen pixels) at the monitor's `dpi`,
    // nothing drawn. False when the window or its pictures cannot be made;
    // nothing of it is left then.
    bool Open(const Rect& area, int dpi);
    // The window and its pictures go; the screen is left as it was.
    void Close();
    bool IsOpen() const { return m_hWnd != nullptr; }

    // Drawing on (with this tool) or off; a stroke being drawn is finished.
    void SetDrawing(bool drawing, InkTool tool);
    bool IsDrawing() const { return m_drawing; }
    void Undo();
    void Clear();
    // A ring around a click at a screen point (ignored outside the area).
    void ShowRing(POINT screenPoint, bool rightButton);

    // Windows of the program that must stay above the drawing (the status
    // bar, the palette, the after-recording window): topmost while the
    // drawing is there, brought above it whenever it shows, and back to
    // normal when it closes.
    void KeepAbove(HWND window);

    // The area the window stands over now (it follows the screens: a
    // smaller screen cuts it, and a new size starts it empty).
    Rect Area() const { return m_area; }
    int Dpi() const { return m_dpi; }
    const InkCanvas& Canvas() const { return m_canvas; }

    // A right click while drawing: the owner switches drawing off.
    std::function<void()> OnRightButton;
    // The window could not follow a change of the screens (no memory for the
    // new size): it has closed itself.
    std::function<void()> OnLost;

protected:
    const wchar_t* GetWindowClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    bool MakePicture(int32_t width, int32_t height);
    // Composes `dirty` and hands it to the window; a blank canvas hides it.
    void Present(const Rect& dirty);
    void PresentWhole();
    void RaiseAbove();
    void SetMouseThrough(bool through);
    void FollowScreens();

    LRESULT OnButtonDown(int x, int y);
    LRESULT OnMouseMove(int x, int y);
    LRESULT OnButtonUp(int x, int y);
    LRESULT OnRightButtonDown();
    LRESULT OnRingTick();
    LRESULT OnDpiChanged(int dpi);
    LRESULT OnClick(POINT screenPoint, bool rightButton);

    InkCanvas m_canvas;
    UniqueDC m_dc;
    UniqueBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    uint32_t* m_pixels = nullptr;
    Rect m_requested;  // the recorded area as asked for
    Rect m_area;       // where the window is: the requested area on the screens
    int m_dpi = 96;
    bool m_drawing = false;
    bool m_shown = false;
    bool m_presentedOnce = false;
    InkTool m_tool = InkTool::Pen;
    std::vector<HWND> m_above;
};

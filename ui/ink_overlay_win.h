// The drawing's windows over the recorded area, in physical pixels, topmost,
// never activated, recorded by the screen grabber where the teacher sees
// them:
//   - the tiles: layered windows with per-pixel opacity, 128 pixels square,
//     that show the canvas; a tile is made where something is drawn, so a
//     change costs the few tiles it touches, never the whole screen's
//     picture. They never take the mouse (WS_EX_TRANSPARENT).
//   - the catching windows, two bands over the area: shown only while drawing
//     is on, at an opacity of 1 of 255 that no eye sees and no recording
//     keeps, they take the mouse and draw. While drawing is off they are
//     hidden, and every click goes to the programs below. (Two halves, not
//     one window over the whole monitor: Wine takes a window over a whole
//     monitor for a managed full-screen one, and without a window manager
//     hiding it stops the program for two seconds.)
//   - this window, never shown: the rings' timer, the clicks the mouse hook
//     notes, and the screens' changes come here.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "support/rect.h"
#include "support/unique_win.h"
#include "ui/ink_canvas.h"
#include "uilib/ui_base.h"

class InkTile;
class InkCatch;

class InkOverlay : public CWindowWnd {
public:
    // Posted to the window for a click somewhere on the screens: wParam 1
    // for the right button, lParam the screen point (GET_X_LPARAM and
    // GET_Y_LPARAM). A ring shows when the click lies in the area, drawing is
    // off, and the click was not on one of the windows kept above it.
    static constexpr UINT kClickMessage = WM_APP + 40;
    // The tiles' size in pixels.
    static constexpr int32_t kTileSize = 128;

    InkOverlay();
    ~InkOverlay() override;

    // Makes the window over `area` (screen pixels) at the monitor's `dpi`,
    // nothing drawn. False when the window or its pictures cannot be made;
    // nothing of it is left then.
    bool Open(const Rect& area, int dpi);
    // Every window and picture goes; the screen is left as it was.
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
    // drawing is there, brought above it whenever a window of it comes up,
    // and back to normal when it closes.
    void KeepAbove(HWND window);

    // The area the windows stand over now (it follows the screens: a
    // smaller screen cuts it, and a new size starts it empty).
    Rect Area() const { return m_area; }
    int Dpi() const { return m_dpi; }
    const InkCanvas& Canvas() const { return m_canvas; }
    // How many tiles are on the screen, and the catching windows (for tests
    // and probes).
    size_t VisibleTiles() const;
    std::vector<HWND> CatchWindows() const;

    // A right click while drawing: the owner switches drawing off.
    std::function<void()> OnRightButton;
    // The drawing could not follow a change of the screens (no memory for
    // the new size): it has closed itself.
    std::function<void()> OnLost;

protected:
    const wchar_t* GetWindowClassName() const override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class InkCatch;

    bool MakeCanvas(int32_t width, int32_t height);
    bool MakeCatchWindows();
    // Shows the canvas's pixels of `dirty` on the tiles it touches. `adds`:
    // the change only added ink (a freehand stroke going on, a new ring),
    // so no tile can have become empty.
    void Present(const Rect& dirty, bool adds = false);
    void PresentWhole();
    void DropTiles();
    void RaiseAbove();
    void FollowScreens();

    // The mouse on a catching window, in canvas pixels; the window pressed
    // holds the capture until the release.
    void StrokeDown(Point p);
    void StrokeMove(Point p);
    void StrokeUp(Point p);
    void StrokeLost();
    void RightButtonDown();
    LRESULT OnRingTick();
    LRESULT OnDpiChanged(int dpi);
    LRESULT OnClick(POINT screenPoint, bool rightButton);

    InkCanvas m_canvas;
    // Row after row; null where nothing was drawn yet.
    std::vector<std::unique_ptr<InkTile>> m_tiles;
    std::vector<std::unique_ptr<InkCatch>> m_catch;
    int32_t m_columns = 0;
    int32_t m_rows = 0;
    Rect m_requested;  // the recorded area as asked for
    Rect m_area;       // where the windows are: the requested area on the screens
    int m_dpi = 96;
    bool m_drawing = false;
    InkTool m_tool = InkTool::Pen;
    std::vector<HWND> m_above;
};

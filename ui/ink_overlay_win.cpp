// The drawing's windows: the tiles that show it, the window that takes the
// mouse while drawing, and their place among the program's windows.
#include "ui/ink_overlay_win.h"

#include <windowsx.h>

#include <algorithm>

#include "support/log.h"
#include "ui/screens_win.h"

namespace {

constexpr wchar_t kInkClassName[] = L"TavrixInkWndClass";
constexpr wchar_t kTileClassName[] = L"TavrixInkTileWndClass";
constexpr wchar_t kCatchClassName[] = L"TavrixInkCatchWndClass";
constexpr UINT_PTR kRingTimerId = 1;
// About one frame of the screen: a ring fades in steps no eye sees.
constexpr UINT kRingTimerPeriodMs = 15;
constexpr DWORD kInkExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;
// The window that takes the mouse while drawing: black at 1 of 255.
constexpr BYTE kCatchOpacity = 1;

RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

// A freehand stroke only ever adds pixels; a shape is drawn anew at each move.
bool Freehand(InkTool tool) { return tool == InkTool::Pen || tool == InkTool::Highlighter; }

void PlaceTopmost(HWND window, HWND after) {
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

// The drawing's windows are never activated, however they are clicked or
// shown: the presented program keeps the keyboard. True when the message
// was answered (with `result`).
bool KeepInactive(UINT uMsg, LPARAM lParam, LRESULT& result) {
    if (uMsg == WM_MOUSEACTIVATE) {
        result = MA_NOACTIVATE;
        return true;
    }
    if (uMsg == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOACTIVATE;
    return false;
}

}  // namespace

// One square of the drawing: a layered window with per-pixel opacity and
// its own picture, shown while something is drawn on it.
class InkTile : public CWindowWnd {
public:
    ~InkTile() override {
        if (m_dc && m_oldBitmap != nullptr) SelectObject(m_dc.get(), m_oldBitmap);
    }

    bool Open(const Rect& onCanvas, const Rect& area) {
        m_rect = onCanvas;
        const int32_t width = onCanvas.right - onCanvas.left, height = onCanvas.bottom - onCanvas.top;
        m_screen = POINT{area.left + onCanvas.left, area.top + onCanvas.top};
        m_dc.reset(CreateCompatibleDC(nullptr));
        if (!m_dc) return false;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down, as the canvas's rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.reset(CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!m_bitmap || bits == nullptr) return false;
        m_pixels = static_cast<uint32_t*>(bits);
        std::fill(m_pixels, m_pixels + static_cast<size_t>(width) * height, 0u);
        m_oldBitmap = SelectObject(m_dc.get(), m_bitmap.get());
        return Create(nullptr, L"", WS_POPUP, kInkExStyle, m_screen.x, m_screen.y, width, height) != nullptr;
    }

    // Shows the canvas's pixels of `dirty` here; hides the tile when nothing
    // of the canvas shows on it (`adds`: the change only added ink, so a tile
    // on the screen stays). True when it came onto the screen now.
    bool Present(const InkCanvas& canvas, const Rect& dirty, bool adds) {
        const Rect area = IntersectRects(dirty, m_rect);
        if (IsEmptyRect(area)) return false;
        const int32_t width = m_rect.right - m_rect.left, height = m_rect.bottom - m_rect.top;
        canvas.Compose(area, m_pixels, width, m_rect);
        if (!(adds && m_shown) && !canvas.AnyInk(m_rect)) {
            if (m_shown) ::ShowWindow(m_hWnd, SW_HIDE);
            m_shown = false;
            return false;
        }
        POINT source{0, 0};
        SIZE size{width, height};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        const RECT changed = ToRECT(Offset(area, -m_rect.left, -m_rect.top));
        UPDATELAYEREDWINDOWINFO info = {};
        info.cbSize = sizeof(info);
        info.pptDst = &m_screen;
        info.psize = &size;
        info.hdcSrc = m_dc.get();
        info.pptSrc = &source;
        info.pblend = &blend;
        info.dwFlags = ULW_ALPHA;
        // Only the changed pixels travel once the window has its picture (a
        // hidden tile is given it whole again when it shows).
        info.prcDirty = m_shown ? &changed : nullptr;
        if (!UpdateLayeredWindowIndirect(m_hWnd, &info)) {
            const DWORD error = GetLastError();
            TAVRIX_LOG(LevelDebug) << "a tile of the drawing could not be shown, error " << error;
            return false;
        }
        if (m_shown) return false;
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        m_shown = true;
        return true;
    }

    bool Shown() const { return m_shown; }

protected:
    const wchar_t* GetWindowClassName() const override { return kTileClassName; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        if (uMsg == WM_NCHITTEST) return HTTRANSPARENT;
        LRESULT result = 0;
        if (KeepInactive(uMsg, lParam, result)) return result;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }

private:
    Rect m_rect;  // on the canvas
    POINT m_screen{};
    UniqueDC m_dc;
    UniqueBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    uint32_t* m_pixels = nullptr;
    bool m_shown = false;
};

// A band of the area that takes the mouse while drawing is on and hands it
// to the overlay in canvas pixels.
class InkCatch : public CWindowWnd {
public:
    InkCatch(InkOverlay& overlay, Point origin) : m_overlay(overlay), m_origin(origin) {}

    bool Open(const Rect& onScreen) {
        if (Create(nullptr, L"", WS_POPUP, kInkExStyle, onScreen.left, onScreen.top, onScreen.right - onScreen.left,
                   onScreen.bottom - onScreen.top) == nullptr) {
            return false;
        }
        return SetLayeredWindowAttributes(m_hWnd, 0, kCatchOpacity, LWA_ALPHA) != FALSE;
    }

    void SetCatching(bool catching) {
        LONG_PTR ex = GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
        ex = catching ? (ex & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT)) : (ex | WS_EX_TRANSPARENT);
        SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex);
        if (!catching) {
            if (GetCapture() == m_hWnd) ReleaseCapture();
            ::ShowWindow(m_hWnd, SW_HIDE);
            return;
        }
        SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    }

protected:
    const wchar_t* GetWindowClassName() const override { return kCatchClassName; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override {
        const Point p{GET_X_LPARAM(lParam) + m_origin.x, GET_Y_LPARAM(lParam) + m_origin.y};
        switch (uMsg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetCapture(m_hWnd);
            m_overlay.StrokeDown(p);
            return 0;
        case WM_MOUSEMOVE:
            m_overlay.StrokeMove(p);
            return 0;
        case WM_LBUTTONUP:
            m_overlay.StrokeUp(p);
            if (GetCapture() == m_hWnd) ReleaseCapture();
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != m_hWnd) m_overlay.StrokeLost();
            return 0;
        case WM_RBUTTONDOWN:
            if (GetCapture() == m_hWnd) ReleaseCapture();
            m_overlay.RightButtonDown();
            return 0;
        case WM_RBUTTONUP: return 0;
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_CROSS));
            return TRUE;
        case WM_ERASEBKGND: {
            RECT r = {};
            GetClientRect(m_hWnd, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            return 1;
        }
        default: {
            LRESULT result = 0;
            if (KeepInactive(uMsg, lParam, result)) return result;
            return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
        }
        }
    }

private:
    InkOverlay& m_overlay;
    Point m_origin;  // where its client area starts on the canvas
};

InkOverlay::InkOverlay() = default;

InkOverlay::~InkOverlay() { Close(); }

const wchar_t* InkOverlay::GetWindowClassName() const { return kInkClassName; }

bool InkOverlay::Open(const Rect& area, int dpi) {
    Close();
    m_requested = area;
    m_area = IntersectRects(area, VirtualScreenRect());
    m_dpi = dpi;
    if (IsEmptyRect(m_area)) return false;
    const int32_t width = m_area.right - m_area.left, height = m_area.bottom - m_area.top;
    if (Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, m_area.left, m_area.top, width,
               height) == nullptr) {
        const DWORD error = GetLastError();
        TAVRIX_LOG(LevelDebug) << "the drawing's window could not be made, error " << error;
        return false;
    }
    if (!MakeCatchWindows()) {
        const DWORD error = GetLastError();
        TAVRIX_LOG(LevelDebug) << "the drawing's catching windows could not be made, error " << error;
        Close();
        return false;
    }
    if (!MakeCanvas(width, height)) {
        TAVRIX_LOG(LevelDebug) << "no memory for the drawing at " << width << "x" << height;
        Close();
        return false;
    }
    return true;
}

void InkOverlay::Close() {
    for (HWND window : m_above)
        if (IsWindow(window)) PlaceTopmost(window, HWND_NOTOPMOST);
    m_above.clear();
    DropTiles();
    m_catch.clear();
    if (m_hWnd != nullptr) {
        KillTimer(m_hWnd, kRingTimerId);
        DestroyWindow(m_hWnd);  // the thunk clears m_hWnd
    }
    m_canvas.Resize(0, 0);
    m_tiles.clear();
    m_columns = m_rows = 0;
    m_drawing = false;
}

bool InkOverlay::MakeCanvas(int32_t width, int32_t height) {
    DropTiles();
    if (!m_canvas.Resize(width, height)) return false;
    m_canvas.SetRingSize(ScaleForDpi(kRingDiameter96, m_dpi), ScaleForDpi(kRingThickness96, m_dpi));
    m_columns = (width + kTileSize - 1) / kTileSize;
    m_rows = (height + kTileSize - 1) / kTileSize;
    m_tiles.clear();
    m_tiles.resize(static_cast<size_t>(m_columns) * m_rows);
    return true;
}

bool InkOverlay::MakeCatchWindows() {
    m_catch.clear();
    const int32_t middle = m_area.top + (m_area.bottom - m_area.top) / 2;
    std::vector<Rect> bands{Rect{m_area.left, m_area.top, m_area.right, middle},
                            Rect{m_area.left, middle, m_area.right, m_area.bottom}};
    for (const Rect& band : bands) {
        if (IsEmptyRect(band)) continue;
        auto window = std::make_unique<InkCatch>(*this, Point{band.left - m_area.left, band.top - m_area.top});
        if (!window->Open(band)) return false;
        if (m_drawing) window->SetCatching(true);
        m_catch.push_back(std::move(window));
    }
    return !m_catch.empty();
}

std::vector<HWND> InkOverlay::CatchWindows() const {
    std::vector<HWND> windows;
    for (const std::unique_ptr<InkCatch>& c : m_catch) windows.push_back(c->GetHWND());
    return windows;
}

void InkOverlay::DropTiles() {
    for (std::unique_ptr<InkTile>& tile : m_tiles) tile.reset();
}

size_t InkOverlay::VisibleTiles() const {
    return static_cast<size_t>(std::count_if(m_tiles.begin(), m_tiles.end(),
                                             [](const std::unique_ptr<InkTile>& t) { return t && t->Shown(); }));
}

void InkOverlay::PresentWhole() { Present(m_canvas.Bounds()); }

void InkOverlay::Present(const Rect& dirty, bool adds) {
    const Rect area = IntersectRects(dirty, m_canvas.Bounds());
    if (m_hWnd == nullptr || IsEmptyRect(area)) return;
    bool cameUp = false;
    for (int32_t row = area.top / kTileSize; row <= (area.bottom - 1) / kTileSize; ++row) {
        for (int32_t column = area.left / kTileSize; column <= (area.right - 1) / kTileSize; ++column) {
            const Rect onCanvas{column * kTileSize, row * kTileSize,
                                std::min(m_canvas.Width(), (column + 1) * kTileSize),
                                std::min(m_canvas.Height(), (row + 1) * kTileSize)};
            std::unique_ptr<InkTile>& tile = m_tiles[static_cast<size_t>(row) * m_columns + column];
            if (!tile) {
                // Made where something shows; nothing was shown here before.
                if (!m_canvas.AnyInk(IntersectRects(area, onCanvas))) continue;
                tile = std::make_unique<InkTile>();
                if (!tile->Open(onCanvas, m_area)) {
                    TAVRIX_LOG(LevelDebug) << "a tile of the drawing could not be made at " << onCanvas.left << ","
                                           << onCanvas.top;
                    tile.reset();
                    continue;
                }
                tile->Present(m_canvas, onCanvas, false);
                cameUp = true;
                continue;
            }
            cameUp = tile->Present(m_canvas, area, adds) || cameUp;
        }
    }
    if (cameUp) RaiseAbove();
}

void InkOverlay::KeepAbove(HWND window) {
    if (window == nullptr) return;
    for (HWND known : m_above)
        if (known == window) return;
    m_above.push_back(window);
    PlaceTopmost(window, HWND_TOPMOST);
}

void InkOverlay::RaiseAbove() {
    // Hidden ones too: shown later (the after-recording window at a pause),
    // they come up above the drawing.
    for (HWND window : m_above)
        if (IsWindow(window)) PlaceTopmost(window, HWND_TOPMOST);
}

void InkOverlay::SetDrawing(bool drawing, InkTool tool) {
    m_tool = tool;
    if (m_hWnd == nullptr || drawing == m_drawing) return;
    if (!drawing && m_canvas.Drawing()) m_canvas.EndStroke();
    m_drawing = drawing;
    for (std::unique_ptr<InkCatch>& c : m_catch) c->SetCatching(drawing);
    if (drawing) RaiseAbove();
}

void InkOverlay::Undo() {
    if (m_hWnd != nullptr) Present(m_canvas.Undo());
}

void InkOverlay::Clear() {
    if (m_hWnd != nullptr) Present(m_canvas.Clear());
}

void InkOverlay::ShowRing(POINT screenPoint, bool rightButton) {
    if (m_hWnd == nullptr) return;
    const Point at{screenPoint.x - m_area.left, screenPoint.y - m_area.top};
    if (at.x < 0 || at.y < 0 || at.x >= m_canvas.Width() || at.y >= m_canvas.Height()) return;
    Present(m_canvas.AddRing(at, rightButton, GetTickCount64()), true);
    SetTimer(m_hWnd, kRingTimerId, kRingTimerPeriodMs, nullptr);
}

LRESULT InkOverlay::OnRingTick() {
    Present(m_canvas.AdvanceRings(GetTickCount64()));
    if (!m_canvas.RingsAlive()) KillTimer(m_hWnd, kRingTimerId);
    return 0;
}

void InkOverlay::FollowScreens() {
    // The recorded area stays what the teacher chose (the grabber records
    // it); the drawing covers what of it is still on a screen.
    const Rect area = IntersectRects(m_requested, VirtualScreenRect());
    if (area == m_area) return;
    TAVRIX_LOG(LevelDebug) << "the screens changed; the drawing now covers " << area.left << "," << area.top << ","
                           << area.right << "," << area.bottom;
    DropTiles();
    m_area = area;
    const bool sameSize = area.right - area.left == m_canvas.Width() && area.bottom - area.top == m_canvas.Height();
    // The recorded screen gone, or no memory for the drawing at its new size:
    // nothing drawn can be kept; the recording goes on without drawing.
    if (IsEmptyRect(area) || (!sameSize && !MakeCanvas(area.right - area.left, area.bottom - area.top))) {
        TAVRIX_LOG(LevelDebug) << "the drawing cannot follow the screens; drawing is no longer possible";
        Close();
        if (OnLost) OnLost();
        return;
    }
    SetWindowPos(m_hWnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (!MakeCatchWindows()) {
        TAVRIX_LOG(LevelDebug) << "the drawing's catching windows could not follow the screens";
        Close();
        if (OnLost) OnLost();
        return;
    }
    if (m_drawing) RaiseAbove();
    PresentWhole();
}

void InkOverlay::StrokeDown(Point p) {
    if (m_drawing) Present(m_canvas.BeginStroke(m_tool, StyleForTool(m_tool, m_dpi), p), Freehand(m_tool));
}

void InkOverlay::StrokeMove(Point p) {
    if (m_canvas.Drawing()) Present(m_canvas.ExtendStroke(p), Freehand(m_canvas.LiveStroke().tool));
}

void InkOverlay::StrokeUp(Point p) {
    if (!m_canvas.Drawing()) return;
    Present(m_canvas.ExtendStroke(p), Freehand(m_canvas.LiveStroke().tool));
    m_canvas.EndStroke();
}

void InkOverlay::StrokeLost() {
    if (m_canvas.Drawing()) m_canvas.EndStroke();
}

void InkOverlay::RightButtonDown() {
    if (!m_drawing) return;
    StrokeLost();
    if (OnRightButton) OnRightButton();
}

LRESULT InkOverlay::OnClick(POINT screenPoint, bool rightButton) {
    if (m_drawing) return 0;
    // A click on the status bar, the palette or the after-recording window
    // is the teacher's, not the lesson's: those windows are kept out of the
    // recording too.
    for (HWND window : m_above) {
        RECT r = {};
        if (IsWindowVisible(window) && GetWindowRect(window, &r) && PtInRect(&r, screenPoint)) return 0;
    }
    ShowRing(screenPoint, rightButton);
    return 0;
}

LRESULT InkOverlay::OnDpiChanged(int dpi) {
    // The area stays in physical pixels where it is: only new strokes and
    // rings take the new density.
    m_dpi = dpi > 0 ? dpi : 96;
    m_canvas.SetRingSize(ScaleForDpi(kRingDiameter96, m_dpi), ScaleForDpi(kRingThickness96, m_dpi));
    return 0;
}

LRESULT InkOverlay::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_TIMER:         return wParam == kRingTimerId ? OnRingTick() : 0;
    case WM_DISPLAYCHANGE: FollowScreens(); return 0;
    case WM_DPICHANGED:    return OnDpiChanged(LOWORD(wParam));
    case kClickMessage:    return OnClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam != 0);
    default: {
        LRESULT result = 0;
        if (KeepInactive(uMsg, lParam, result)) return result;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
    }
}

// The drawing's layered window: its pictures, its input and its place among
// the program's windows.
#include "ui/ink_overlay_win.h"

#include <windowsx.h>

#include "support/log.h"
#include "ui/screens_win.h"

namespace {

constexpr wchar_t kInkClassName[] = L"TavrixInkWndClass";
constexpr UINT_PTR kRingTimerId = 1;
// About one frame of the screen: a ring fades in steps no eye sees.
constexpr UINT kRingTimerPeriodMs = 15;
constexpr DWORD kInkExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT;

RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void PlaceTopmost(HWND window, HWND after) {
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

}  // namespace

InkOverlay::~InkOverlay() { Close(); }

const wchar_t* InkOverlay::GetWindowClassName() const { return kInkClassName; }

bool InkOverlay::Open(const Rect& area, int dpi) {
    Close();
    m_requested = area;
    m_area = IntersectRects(area, VirtualScreenRect());
    m_dpi = dpi;
    if (IsEmptyRect(m_area)) return false;
    const int32_t width = m_area.right - m_area.left, height = m_area.bottom - m_area.top;
    if (Create(nullptr, L"", WS_POPUP, kInkExStyle, m_area.left, m_area.top, width, height) == nullptr) {
        const DWORD error = GetLastError();
        TAVRIX_LOG(LevelDebug) << "the drawing's window could not be made, error " << error;
        return false;
    }
    if (!MakePicture(width, height)) {
        TAVRIX_LOG(LevelDebug) << "no memory for the drawing's pictures at " << width << "x" << height;
        Close();
        return false;
    }
    m_canvas.SetRingSize(ScaleForDpi(kRingDiameter96, m_dpi), ScaleForDpi(kRingThickness96, m_dpi));
    PresentWhole();
    return true;
}

void InkOverlay::Close() {
    for (HWND window : m_above)
        if (IsWindow(window)) PlaceTopmost(window, HWND_NOTOPMOST);
    m_above.clear();
    if (m_hWnd != nullptr) {
        KillTimer(m_hWnd, kRingTimerId);
        DestroyWindow(m_hWnd);  // the thunk clears m_hWnd
    }
    if (m_dc && m_oldBitmap != nullptr) SelectObject(m_dc.get(), m_oldBitmap);
    m_oldBitmap = nullptr;
    m_bitmap.reset();
    m_dc.reset();
    m_pixels = nullptr;
    m_canvas.Resize(0, 0);
    m_drawing = false;
    m_shown = false;
    m_presentedOnce = false;
}

bool InkOverlay::MakePicture(int32_t width, int32_t height) {
    if (m_dc && m_oldBitmap != nullptr) SelectObject(m_dc.get(), m_oldBitmap);
    m_oldBitmap = nullptr;
    m_bitmap.reset();
    m_pixels = nullptr;
    if (!m_dc) m_dc.reset(CreateCompatibleDC(nullptr));
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
    if (!m_bitmap || bits == nullptr) {
        m_bitmap.reset();
        return false;
    }
    m_pixels = static_cast<uint32_t*>(bits);
    m_oldBitmap = SelectObject(m_dc.get(), m_bitmap.get());
    if (!m_canvas.Resize(width, height)) return false;
    m_canvas.SetCatchesMouse(m_drawing);
    m_presentedOnce = false;
    return true;
}

void InkOverlay::PresentWhole() {
    m_presentedOnce = false;
    Present(m_canvas.Bounds());
}

void InkOverlay::Present(const Rect& dirty) {
    if (m_hWnd == nullptr || m_pixels == nullptr || IsEmptyRect(dirty)) return;
    const Rect area = IntersectRects(dirty, m_canvas.Bounds());
    m_canvas.Compose(area, m_pixels, m_canvas.Width());
    // Nothing to show: the window goes off the screen, and costs the
    // screen and the grabber nothing.
    if (m_canvas.Blank()) {
        if (m_shown) ::ShowWindow(m_hWnd, SW_HIDE);
        m_shown = false;
        return;
    }
    POINT destination{m_area.left, m_area.top};
    SIZE size{m_canvas.Width(), m_canvas.Height()};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const RECT changed = ToRECT(area);
    UPDATELAYEREDWINDOWINFO info = {};
    info.cbSize = sizeof(info);
    info.pptDst = &destination;
    info.psize = &size;
    info.hdcSrc = m_dc.get();
    info.pptSrc = &source;
    info.pblend = &blend;
    info.dwFlags = ULW_ALPHA;
    // Only the changed pixels travel, once the window has its whole picture
    // (a hidden window is given it whole again when it shows).
    info.prcDirty = m_presentedOnce && m_shown ? &changed : nullptr;
    if (!UpdateLayeredWindowIndirect(m_hWnd, &info)) {
        const DWORD error = GetLastError();
        TAVRIX_LOG(LevelDebug) << "the drawing could not be shown, error " << error;
        return;
    }
    m_presentedOnce = true;
    if (!m_shown) {
        ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
        m_shown = true;
        RaiseAbove();
    }
}

void InkOverlay::KeepAbove(HWND window) {
    if (window == nullptr) return;
    for (HWND known : m_above)
        if (known == window) return;
    m_above.push_back(window);
    PlaceTopmost(window, HWND_TOPMOST);
}

void InkOverlay::RaiseAbove() {
    if (m_hWnd == nullptr) return;
    PlaceTopmost(m_hWnd, HWND_TOPMOST);
    // Hidden ones too: shown later (the after-recording window at a pause),
    // they come up above the drawing.
    for (HWND window : m_above)
        if (IsWindow(window)) PlaceTopmost(window, HWND_TOPMOST);
}

void InkOverlay::SetMouseThrough(bool through) {
    LONG_PTR ex = GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE);
    ex = through ? (ex | WS_EX_TRANSPARENT) : (ex & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT));
    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ex);
    SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void InkOverlay::SetDrawing(bool drawing, InkTool tool) {
    m_tool = tool;
    if (m_hWnd == nullptr || drawing == m_drawing) return;
    if (!drawing && m_canvas.Drawing()) {
        m_canvas.EndStroke();
        if (GetCapture() == m_hWnd) ReleaseCapture();
    }
    m_drawing = drawing;
    SetMouseThrough(!drawing);
    Present(m_canvas.SetCatchesMouse(drawing));
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
    Present(m_canvas.AddRing(at, rightButton, GetTickCount64()));
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
    if (IsEmptyRect(area)) {
        // The recorded screen is gone: nothing drawn can be seen or recorded.
        m_canvas.Clear();
        m_area = area;
        if (m_shown) ::ShowWindow(m_hWnd, SW_HIDE);
        m_shown = false;
        return;
    }
    const bool sameSize = area.right - area.left == m_canvas.Width() && area.bottom - area.top == m_canvas.Height();
    m_area = area;
    if (!sameSize && !MakePicture(area.right - area.left, area.bottom - area.top)) {
        TAVRIX_LOG(LevelDebug) << "no memory for the drawing at its new size; drawing is no longer possible";
        Close();
        if (OnLost) OnLost();
        return;
    }
    m_canvas.SetRingSize(ScaleForDpi(kRingDiameter96, m_dpi), ScaleForDpi(kRingThickness96, m_dpi));
    SetWindowPos(m_hWnd, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    PresentWhole();
}

LRESULT InkOverlay::OnButtonDown(int x, int y) {
    if (!m_drawing) return 0;
    SetCapture(m_hWnd);
    Present(m_canvas.BeginStroke(m_tool, StyleForTool(m_tool, m_dpi), Point{x, y}));
    return 0;
}

LRESULT InkOverlay::OnMouseMove(int x, int y) {
    if (m_canvas.Drawing()) Present(m_canvas.ExtendStroke(Point{x, y}));
    return 0;
}

LRESULT InkOverlay::OnButtonUp(int x, int y) {
    if (!m_canvas.Drawing()) return 0;
    Present(m_canvas.ExtendStroke(Point{x, y}));
    m_canvas.EndStroke();
    if (GetCapture() == m_hWnd) ReleaseCapture();
    return 0;
}

LRESULT InkOverlay::OnRightButtonDown() {
    if (!m_drawing) return 0;
    if (m_canvas.Drawing()) m_canvas.EndStroke();
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (OnRightButton) OnRightButton();
    return 0;
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
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return OnButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_MOUSEMOVE:     return OnMouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_LBUTTONUP:     return OnButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_RBUTTONDOWN:   return OnRightButtonDown();
    case WM_RBUTTONUP:     return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != m_hWnd && m_canvas.Drawing()) m_canvas.EndStroke();
        return 0;
    case WM_TIMER:         return wParam == kRingTimerId ? OnRingTick() : 0;
    case WM_DISPLAYCHANGE: FollowScreens(); return 0;
    case WM_DPICHANGED:    return OnDpiChanged(LOWORD(wParam));
    case kClickMessage:    return OnClick(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam != 0);
    case WM_NCHITTEST:     return m_drawing ? HTCLIENT : HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_SETCURSOR:
        if (!m_drawing) break;
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        return TRUE;
    case WM_WINDOWPOSCHANGING:
        // Never activated, however it is shown: the presented program keeps the keyboard.
        reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOACTIVATE;
        break;
    default:
        break;
    }
    return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

// The corner-marker window and its drawing.
#include "ui/corner_window.h"

#include <objidl.h>  // PROPID and IStream, left out by WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include "recording/record_options.h"
#include "support/unique_win.h"
#include "ui/region_geometry.h"
#include "ui/screens_win.h"
#include "ui/window_state.h"

using namespace Gdiplus::DllExports;

namespace {

// By design a class and procedure of its own, outside the skinned windows' thunk.
constexpr wchar_t kCornerClassName[] = L"RecCornerWndClass";
constexpr COLORREF kTransparentWhite = RGB(255, 255, 255);

LRESULT OnPaint(HWND hwnd) {
    const ScopedPaint paint(hwnd);
    const HDC dc = paint.dc();
    RECT client = {};
    GetClientRect(hwnd, &client);
    UniqueGdiObject white(CreateSolidBrush(kTransparentWhite));
    FillRect(dc, &client, static_cast<HBRUSH>(white.get()));
    white.reset();
    const RecordOptions* options = RecordOptions::Instance();
    if (options->customArea != 0) {
        // The window covers the virtual screen from its top-left corner: a
        // screen pixel is that far into the window (on one screen, the same).
        POINT origin = {0, 0};
        ClientToScreen(hwnd, &origin);
        const Rect r = Offset(options->captureRect, -origin.x, -origin.y);
        DrawCornerMarkers(dc, 1.0f, kCornerMarkerColor, r.left, r.top, r.right, r.bottom);
    }
    return 0;
}

LRESULT CALLBACK CornerWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_CREATE:
        return 0;
    case WM_PAINT:
        return OnPaint(hwnd);
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING:
        // Shown with SW_SHOW by the other windows too: it never takes the
        // activation, so the keyboard stays where the teacher was typing.
        reinterpret_cast<WINDOWPOS*>(lParam)->flags |= SWP_NOACTIVATE;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

void CreateCornerWindow() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // Already there when an earlier attempt registered it.
    RegisterWindowClassOnce(instance, kCornerClassName, CornerWindowProc, CS_VREDRAW | CS_HREDRAW, IDC_ARROW,
                            reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));

    // Over every monitor, so the markers show wherever the region lies.
    const Rect all = VirtualScreenRect();
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kCornerClassName, L"",
                                WS_POPUP, all.left, all.top, all.right - all.left, all.bottom - all.top, nullptr,
                                nullptr, instance, nullptr);
    if (hwnd == nullptr) return;
    CornerHwnd = hwnd;

    // White is fully see-through, and the mouse passes through it.
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(hwnd, kTransparentWhite, 0, LWA_COLORKEY);
    // Seen by the teacher, not by the class: left out of the recording where
    // Windows can.
    ExcludeFromCapture(hwnd);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd);
}

void DrawCornerMarkers(HDC dc, float penWidth, uint32_t colour, int32_t left, int32_t top, int32_t right,
                       int32_t bottom) {
    Gdiplus::GpGraphics* graphics = nullptr;
    if (GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok || graphics == nullptr) return;
    Gdiplus::GpPen* pen = nullptr;
    if (GdipCreatePen1(colour, penWidth, Gdiplus::UnitWorld, &pen) == Gdiplus::Ok && pen != nullptr) {
        GdipSetPenMode(pen, Gdiplus::PenAlignmentCenter);
        const int32_t n = kCornerStrokeLength;
        GdipDrawLineI(graphics, pen, left, top, left + n, top);
        GdipDrawLineI(graphics, pen, left, top, left, top + n);
        GdipDrawLineI(graphics, pen, right, top, right - n, top);
        GdipDrawLineI(graphics, pen, right, top, right, top + n);
        GdipDrawLineI(graphics, pen, left, bottom, left + n, bottom);
        GdipDrawLineI(graphics, pen, left, bottom, left, bottom - n);
        GdipDrawLineI(graphics, pen, right, bottom, right - n, bottom);
        GdipDrawLineI(graphics, pen, right, bottom, right, bottom - n);
        GdipDeletePen(pen);
    }
    GdipDeleteGraphics(graphics);
}

void ShowCornerWindow() {
    if (CornerHwnd == nullptr) {
        CreateCornerWindow();
        return;
    }
    ShowWindow(CornerHwnd, SW_SHOWNOACTIVATE);
    InvalidateRect(CornerHwnd, nullptr, TRUE);
}

void HideCornerWindow() {
    if (CornerHwnd != nullptr) ShowWindow(CornerHwnd, SW_HIDE);
}

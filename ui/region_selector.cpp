// Win32 side of the region selector: windows, painting, buttons, cursors, and
// the messages turned into SelectionModel events.
#include "ui/region_selector.h"

#include <windowsx.h>
#include <objidl.h>  // PROPID and IStream, left out by WIN32_LEAN_AND_MEAN
#include <gdiplus.h>

#include <cwchar>
#include <vector>

#include "support/text_win.h"
#include "ui/screens_win.h"

using namespace Gdiplus::DllExports;

namespace {

// The one selector of the process; the shared window procedure finds it here.
// By design this window does not go through the skinned windows' GWLP_USERDATA thunk.
RegionSelector* g_selector = nullptr;

constexpr COLORREF kDarkColor = RGB(30, 30, 30);
constexpr COLORREF kKeyColor = RGB(254, 254, 254);  // see-through on the mask window
constexpr COLORREF kOutlineColor = RGB(0, 186, 255);
constexpr BYTE kMaskOpacity = 200;
constexpr BYTE kBackgroundOpacity = 1;  // invisible, yet still catches the mouse
constexpr int kBackgroundOverhang = 200;
constexpr Gdiplus::ARGB kImageBackground = 0x001E1E1E;

RECT ToRECT(const Rect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}

const wchar_t* CursorName(ZoneCursor cursor) {
    switch (cursor) {
    case ZoneCursor::Cross: return IDC_CROSS;
    case ZoneCursor::SizeWE: return IDC_SIZEWE;
    case ZoneCursor::SizeNS: return IDC_SIZENS;
    case ZoneCursor::SizeNWSE: return IDC_SIZENWSE;
    case ZoneCursor::SizeNESW: return IDC_SIZENESW;
    case ZoneCursor::SizeAll: return IDC_SIZEALL;
    case ZoneCursor::Arrow: break;
    }
    return IDC_ARROW;
}

void SetClassCursor(HWND hwnd, const wchar_t* name) {
    SetClassLongPtrW(hwnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, name)));
}

// One picture as a bitmap handle; null when it cannot be loaded or converted.
HBITMAP LoadPicture(const std::wstring& path) {
    Gdiplus::GpBitmap* picture = nullptr;
    if (GdipCreateBitmapFromFile(path.c_str(), &picture) != Gdiplus::Ok || picture == nullptr) return nullptr;
    HBITMAP bitmap = nullptr;
    if (GdipCreateHBITMAPFromBitmap(picture, &bitmap, kImageBackground) != Gdiplus::Ok) bitmap = nullptr;
    // The decoded picture is only needed for the conversion.
    GdipDisposeImage(picture);
    return bitmap;
}

HGDIOBJ RegionOf(const Rect& r) {
    if (IsEmptyRect(r)) return CreateRectRgn(0, 0, 0, 0);
    return CreateRectRgn(r.left, r.top, r.right, r.bottom);
}

// Adds the ring between `bounds` and `inside` to `target`; `scratch` is reused.
void AddFrame(HGDIOBJ target, HGDIOBJ scratch, const Rect& bounds, const Rect& inside) {
    if (IsEmptyRect(bounds)) return;
    UniqueGdiObject outer(RegionOf(bounds));
    UniqueGdiObject inner(RegionOf(inside));
    CombineRgn(static_cast<HRGN>(scratch), static_cast<HRGN>(outer.get()), static_cast<HRGN>(inner.get()), RGN_DIFF);
    CombineRgn(static_cast<HRGN>(target), static_cast<HRGN>(target), static_cast<HRGN>(scratch), RGN_OR);
}

}  // namespace

ButtonImages LoadButtonImages(const std::wstring& folder) {
    ButtonImages images;
    images.ok.reset(LoadPicture(folder + L"skin\\tick_nor.png"));
    if (images.ok) images.cancel.reset(LoadPicture(folder + L"skin\\crose_nor.png"));
    images.loaded = images.ok && images.cancel;
    return images;
}

RegionSelector::RegionSelector() {
    wcscpy(m_className, L"SelectWnd");
    wcscpy(m_backgroundText, L"BackGround");
    wcscpy(m_maskText, L"Select");
}

RegionSelector::~RegionSelector() {
    Destroy();
}

int RegionSelector::Create(HINSTANCE instance, void* userData, RegionSelectedCallback callback) {
    SetLastError(ERROR_SUCCESS);
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kRegionSelectorMutexName));
    if (GetLastError() == ERROR_ALREADY_EXISTS) return -1;
    m_mutex = std::move(mutex);

    m_instance = instance;
    g_selector = this;
    m_callback = callback;
    m_userData = userData;

    m_images = LoadButtonImages(ProgramFolder(instance));

    MeasureScreens();
    const int width = m_model.screenWidth();
    const int height = m_model.screenHeight();

    m_darkBrush.reset(CreateSolidBrush(kDarkColor));
    m_keyBrush.reset(CreateSolidBrush(kKeyColor));
    m_outlinePen.reset(CreatePen(PS_SOLID, 1, kOutlineColor));

    // Already there when a selector was made before.
    RegisterWindowClassOnce(instance, m_className, WindowProc, CS_HREDRAW | CS_VREDRAW, IDC_CROSS,
                            static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    const DWORD exStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    m_background = CreateWindowExW(exStyle, m_className, m_backgroundText, WS_POPUP, m_origin.x, m_origin.y,
                                   width + kBackgroundOverhang, height + kBackgroundOverhang, nullptr,
                                   nullptr, instance, nullptr);
    if (m_background == nullptr) return -1;
    SetLayeredWindowAttributes(m_background, 0, kBackgroundOpacity, LWA_ALPHA);

    m_mask = CreateWindowExW(exStyle, m_className, m_maskText, WS_POPUP, m_origin.x, m_origin.y, width, height,
                             nullptr, nullptr, instance, nullptr);
    if (m_mask == nullptr) return -1;
    SetLayeredWindowAttributes(m_mask, kKeyColor, kMaskOpacity, LWA_COLORKEY | LWA_ALPHA);

    // The hand goes on the shared "Button" class, so every plain button of
    // the process shows it from now on.
    m_cancelButton = CreateWindowExW(0, L"Button", L"Cancel", WS_CHILD | BS_OWNERDRAW, 0, 0, kButtonWidth,
                                     kButtonHeight, m_mask, reinterpret_cast<HMENU>(INT_PTR{kSelectorCancelId}),
                                     instance, nullptr);
    if (m_cancelButton == nullptr) return -1;
    SetClassCursor(m_cancelButton, IDC_HAND);
    m_okButton = CreateWindowExW(0, L"Button", L"OK", WS_CHILD | BS_OWNERDRAW, kButtonWidth, 0, kButtonWidth,
                                 kButtonHeight, m_mask, reinterpret_cast<HMENU>(INT_PTR{kSelectorOkId}), instance,
                                 nullptr);
    if (m_okButton == nullptr) return -1;
    SetClassCursor(m_okButton, IDC_HAND);

    UpdateWindow(m_background);
    UpdateWindow(m_mask);
    return 0;
}

int RegionSelector::Show(bool show) {
    if (m_mask == nullptr || m_background == nullptr) return 0;
    if (!show) {
        m_model.Hide();
        InvalidateMask(true);
        SetClassCursor(m_mask, IDC_CROSS);
        return 0;
    }
    // A projector plugged in since the last time: the windows follow the screens.
    const bool moved = MeasureScreens();
    m_model.Show();
    InvalidateMask(true);
    SetClassCursor(m_mask, IDC_CROSS);
    // Without SWP_NOACTIVATE the mask window ends up active and gets the keyboard.
    const UINT place = moved ? 0 : SWP_NOSIZE | SWP_NOMOVE;
    SetWindowPos(m_background, HWND_TOPMOST, m_origin.x, m_origin.y, m_model.screenWidth() + kBackgroundOverhang,
                 m_model.screenHeight() + kBackgroundOverhang, place | SWP_SHOWWINDOW);
    SetWindowPos(m_mask, HWND_TOPMOST, m_origin.x, m_origin.y, m_model.screenWidth(), m_model.screenHeight(),
                 place | SWP_SHOWWINDOW);
    return 0;
}

bool RegionSelector::MeasureScreens() {
    // The windows span the virtual screen, every monitor: the model works in
    // their client pixels, which are screen pixels less the origin.
    const Rect all = VirtualScreenRect();
    std::vector<Rect> monitors = MonitorRects();
    for (Rect& m : monitors) m = Offset(m, -all.left, -all.top);
    m_model.SetMonitors(std::move(monitors));
    const bool changed = all.left != m_origin.x || all.top != m_origin.y ||
                         all.right - all.left != m_model.screenWidth() ||
                         all.bottom - all.top != m_model.screenHeight();
    if (!changed) return false;
    m_origin = POINT{all.left, all.top};
    m_model.SetScreenSize(all.right - all.left, all.bottom - all.top);
    // The off-screen picture is made anew at the new size.
    m_surfaceSelect.reset();
    m_surfaceDc.reset();
    m_surfaceBitmap.reset();
    return true;
}

void RegionSelector::Destroy() {
    // Cleared first, so the windows' last messages (WM_DESTROY among them) get
    // default processing and post no quit message.
    if (g_selector == this) g_selector = nullptr;
    m_mutex.reset();
    if (m_mask != nullptr) DestroyWindow(m_mask);  // the buttons go with it
    if (m_background != nullptr) DestroyWindow(m_background);
    m_mask = m_background = m_okButton = m_cancelButton = nullptr;
    m_surfaceSelect.reset();
    m_surfaceDc.reset();
    m_surfaceBitmap.reset();
    m_images = ButtonImages{};
    m_callback = nullptr;
}

LRESULT CALLBACK RegionSelector::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (g_selector == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    return g_selector->HandleMessage(hwnd, message, wParam, lParam);
}

LRESULT RegionSelector::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_PAINT:
        return OnPaint(hwnd);
    case WM_MOUSEACTIVATE:
        if (hwnd == m_background) return MA_NOACTIVATE;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_DRAWITEM:
        return OnDrawItem(hwnd, message, wParam, lParam);
    case WM_KEYUP:
        if (wParam != VK_ESCAPE) return DefWindowProcW(hwnd, message, wParam, lParam);
        return Apply(m_mask, message, wParam, lParam, m_model.EscapeUp());
    case WM_COMMAND:
        return OnCommand(hwnd, message, wParam, lParam);
    case WM_CLOSE:
        // Default handling would destroy the window, and its WM_DESTROY ends
        // the program: Alt+F4 on the dimmed screen only cancels the selection.
        return Apply(m_mask, message, wParam, lParam, m_model.CloseRequested());
    case WM_MOUSEMOVE:
        return Apply(hwnd, message, wParam, lParam, m_model.MouseMove(x, y));
    case WM_LBUTTONDOWN:
        return Apply(hwnd, message, wParam, lParam, m_model.LeftButtonDown(x, y));
    case WM_LBUTTONUP:
        return Apply(hwnd, message, wParam, lParam, m_model.LeftButtonUp(x, y));
    case WM_RBUTTONUP:
        return Apply(hwnd, message, wParam, lParam, m_model.RightButtonUp(x, y));
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT RegionSelector::Apply(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              const SelectorAction& action) {
    if (!action.handled) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (action.cursor) SetClassCursor(hwnd, CursorName(*action.cursor));
    if (action.hideButtons) ShowButtons(SW_HIDE);
    if (action.invalidate) InvalidateMask(m_model.state() == StateHidden);
    if (action.sendCancel) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kSelectorCancelId, 0), 0);
    if (action.outcome == SelectorAction::Outcome::Cancelled) {
        if (m_callback != nullptr) m_callback(nullptr, m_userData);
    } else if (action.outcome == SelectorAction::Outcome::Confirmed) {
        const RECT chosen = ToRECT(Offset(m_model.rect(), m_origin.x, m_origin.y));
        if (m_callback != nullptr) m_callback(&chosen, m_userData);
    }
    // Hidden now as well as at the next paint: under Wine, layered windows
    // hidden from a WM_PAINT that follows the owner's topmost corner markers
    // stayed on the X screen and swallowed the clicks outside the cut-out.
    if (m_model.state() == StateHidden) {
        ShowWindow(m_background, SW_HIDE);
        ShowWindow(m_mask, SW_HIDE);
    }
    return 0;
}

LRESULT RegionSelector::OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const int notifyCode = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case kSelectorHideCommand:
        return Apply(hwnd, message, wParam, lParam, m_model.Hide());
    case kSelectorCancelId:
        return Apply(hwnd, message, wParam, lParam, m_model.Cancel(notifyCode));
    case kSelectorOkId:
        return Apply(hwnd, message, wParam, lParam, m_model.Confirm(notifyCode));
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void RegionSelector::InvalidateMask(bool whole) {
    if (m_mask == nullptr) return;
    // Outside the outline and its handles the picture is dark, inside them it
    // is see-through, in every state. So a change repaints both outlines and
    // the strips where the inside moved, and nothing else: moving a large
    // rectangle by a pixel touches a few thin bands, not the whole screen.
    const Rect bounds = m_model.DrawnBounds();
    const Rect inside = m_model.DrawnInside();
    UniqueGdiObject changed(CreateRectRgn(0, 0, 0, 0));
    UniqueGdiObject part(CreateRectRgn(0, 0, 0, 0));
    const bool regions = changed && part;
    if (regions) {
        AddFrame(changed.get(), part.get(), m_drawnBounds, m_drawnInside);
        AddFrame(changed.get(), part.get(), bounds, inside);
        UniqueGdiObject before(RegionOf(m_drawnInside));
        UniqueGdiObject after(RegionOf(inside));
        CombineRgn(static_cast<HRGN>(part.get()), static_cast<HRGN>(before.get()), static_cast<HRGN>(after.get()),
                   RGN_XOR);
        CombineRgn(static_cast<HRGN>(changed.get()), static_cast<HRGN>(changed.get()),
                   static_cast<HRGN>(part.get()), RGN_OR);
    }
    const bool nothing = IsEmptyRect(UnionRect(m_drawnBounds, bounds));
    m_drawnBounds = bounds;
    m_drawnInside = inside;
    if (whole || nothing || !regions) {
        InvalidateRgn(m_mask, nullptr, FALSE);
        return;
    }
    InvalidateRgn(m_mask, static_cast<HRGN>(changed.get()), FALSE);
}

bool RegionSelector::MakeSurface() {
    if (m_surfaceDc) return true;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = m_model.screenWidth();
    info.bmiHeader.biHeight = -m_model.screenHeight();  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return false;
    UniqueDC dc(CreateCompatibleDC(nullptr));
    if (!dc) return false;
    m_surfaceBitmap = std::move(bitmap);
    m_surfaceDc = std::move(dc);
    m_surfaceSelect.emplace(m_surfaceDc.get(), m_surfaceBitmap.get());
    return true;
}

void RegionSelector::Compose(const RECT& area) {
    HDC dc = m_surfaceDc.get();
    if (!m_model.ShowsRectangle()) {
        FillRect(dc, &area, static_cast<HBRUSH>(m_darkBrush.get()));
        return;
    }

    // The dark fill leaves out the plain inside, which the rectangle's own
    // key-coloured fill covers next: on a large screen that saves a pass over
    // most of the picture.
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    const Rect inside = m_model.DrawnInside();
    if (!IsEmptyRect(inside)) ExcludeClipRect(dc, inside.left, inside.top, inside.right, inside.bottom);
    FillRect(dc, &area, static_cast<HBRUSH>(m_darkBrush.get()));
    SelectClipRgn(dc, nullptr);

    // The key-coloured inside of the rectangle and of each handle is what the
    // mask window leaves see-through.
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    {
        ScopedSelect brush(dc, m_keyBrush.get());
        ScopedSelect pen(dc, m_outlinePen.get());
        // Mid-resize the edges may have crossed; the outline is the same either way.
        Rect r = m_model.rect();
        NormalizeRect(r);
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        for (const Point& p : HandleCentres(r))
            Rectangle(dc, p.x - kHandleHalf, p.y - kHandleHalf, p.x + kHandleHalf, p.y + kHandleHalf);
    }
    SelectClipRgn(dc, nullptr);
}

void RegionSelector::PaintMask(HDC dc, const RECT& area) {
    if (!MakeSurface()) {
        FillRect(dc, &area, static_cast<HBRUSH>(m_darkBrush.get()));
        return;
    }
    Compose(area);
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, m_surfaceDc.get(), area.left,
           area.top, SRCCOPY);
}

void RegionSelector::PaintMaskRegion(HDC dc, const RECT& area, HRGN update) {
    // A region of many pieces is painted by its bounding box instead.
    constexpr DWORD kMostPieces = 64;
    std::vector<unsigned char> buffer;
    const DWORD size = update != nullptr ? GetRegionData(update, 0, nullptr) : 0;
    if (size >= sizeof(RGNDATAHEADER)) {
        buffer.resize(size);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (GetRegionData(update, size, data) == size && data->rdh.nCount <= kMostPieces) {
            const auto* pieces = reinterpret_cast<const RECT*>(data->Buffer);
            for (DWORD i = 0; i < data->rdh.nCount; ++i) PaintMask(dc, pieces[i]);
            return;
        }
    }
    PaintMask(dc, area);
}

LRESULT RegionSelector::OnPaint(HWND hwnd) {
    // The update region is read before BeginPaint validates it.
    UniqueGdiObject update(CreateRectRgn(0, 0, 0, 0));
    const bool complex = update && hwnd == m_mask &&
                         GetUpdateRgn(hwnd, static_cast<HRGN>(update.get()), FALSE) == COMPLEXREGION;
    {
        const ScopedPaint paint(hwnd);
        if (hwnd != m_mask) {
            const RECT screen{0, 0, m_model.screenWidth(), m_model.screenHeight()};
            FillRect(paint.dc(), &screen, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            return 0;
        }
        PaintMaskRegion(paint.dc(), paint.area(), complex ? static_cast<HRGN>(update.get()) : nullptr);
        if (m_model.ShowsRectangle()) {
            const Point p = m_model.buttons();
            MoveButton(m_cancelButton, p.x, p.y);
            MoveButton(m_okButton, p.x + kButtonWidth, p.y);
        }
    }

    ShowButtons(m_model.ButtonsShown() ? SW_SHOWNORMAL : SW_HIDE);
    if (m_model.state() == StateHidden) {
        ShowWindow(m_background, SW_HIDE);
        ShowWindow(m_mask, SW_HIDE);
    }
    return 0;
}

// Every mouse step of a drag paints; buttons already where they belong, or
// already shown or hidden, are left alone rather than asked again.
void RegionSelector::ShowButtons(int command) {
    const bool visible = command != SW_HIDE;
    for (HWND button : {m_cancelButton, m_okButton})
        if ((IsWindowVisible(button) != FALSE) != visible) ShowWindow(button, command);
}

void RegionSelector::MoveButton(HWND button, int x, int y) {
    RECT r = {};
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, m_mask, reinterpret_cast<POINT*>(&r), 1);
    if (r.left == x && r.top == y) return;
    SetWindowPos(button, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT RegionSelector::OnDrawItem(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    HGDIOBJ image = nullptr;
    if (item != nullptr && item->CtlID == kSelectorCancelId) image = m_images.cancel.get();
    if (item != nullptr && item->CtlID == kSelectorOkId) image = m_images.ok.get();
    // A picture that did not load leaves its button without an image; it still works.
    if (image != nullptr) {
        UniqueDC memory(CreateCompatibleDC(item->hDC));
        if (memory) {
            ScopedSelect select(memory.get(), image);
            BitBlt(item->hDC, 0, 0, kButtonWidth, kButtonHeight, memory.get(), 0, 0, SRCCOPY | CAPTUREBLT);
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

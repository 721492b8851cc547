// The region selector: two layered windows over the live screen (every
// monitor: the whole virtual screen, in physical pixels), a
// dark one with the chosen rectangle cut out and an almost invisible one under
// it that catches the mouse in the cut-out, plus the Cancel and OK buttons. The
// decisions are SelectionModel's (region_state.h); this class does the Win32.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "support/unique_win.h"
#include "ui/region_state.h"

// The owner's result handler: the chosen rectangle on OK, null on cancel.
using RegionSelectedCallback = void (*)(const RECT* rect, void* userData);

// Marks that a selector exists in the system; never waited on.
constexpr wchar_t kRegionSelectorMutexName[] = L"SelectWnd_AA0F41E6-86E9-7DA6-62E5-B9C733C60615";

// Commands of the mask window, and the buttons' control identifiers.
constexpr int kSelectorHideCommand = 1025;
constexpr int kSelectorCancelId = 1026;
constexpr int kSelectorOkId = 1027;

// The two button pictures as bitmaps; `loaded` only when both converted.
struct ButtonImages {
    UniqueGdiObject ok;
    UniqueGdiObject cancel;
    bool loaded = false;
};

// Loads folder + "skin\tick_nor.png" (OK) and folder + "skin\crose_nor.png"
// (Cancel) with GDI+, on the dark background 0x1E1E1E. GDI+ must be started.
ButtonImages LoadButtonImages(const std::wstring& folder);

class RegionSelector {
public:
    RegionSelector();
    ~RegionSelector();
    RegionSelector(const RegionSelector&) = delete;
    RegionSelector& operator=(const RegionSelector&) = delete;

    // Makes the hidden windows; 0 on success, -1 when a selector already exists
    // in the system or a window cannot be made. One selector per process.
    int Create(HINSTANCE instance, void* userData, RegionSelectedCallback callback);
    // true: shown topmost, ready for a new rectangle; false: hidden at the next paint.
    int Show(bool show);
    // The owner's release: no more messages reach this object, the mutex is
    // closed and the windows and pictures go. Safe to call more than once.
    void Destroy();

    // Composes `area` of the mask window's picture off-screen and copies it to
    // `dc`: what every paint of the mask window does (public for measuring).
    void PaintMask(HDC dc, const RECT& area);
    // The same for each rectangle of `update` (the bounding `area` when null).
    void PaintMaskRegion(HDC dc, const RECT& area, HRGN update);

    HWND BackgroundWindow() const { return m_background; }
    HWND MaskWindow() const { return m_mask; }
    HWND OkButton() const { return m_okButton; }
    HWND CancelButton() const { return m_cancelButton; }
    const SelectionModel& Model() const { return m_model; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Apply(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const SelectorAction& action);
    LRESULT OnPaint(HWND hwnd);
    LRESULT OnDrawItem(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void InvalidateMask(bool whole);
    void Compose(const RECT& area);
    bool MakeSurface();
    void ShowButtons(int command);
    // Takes the virtual screen and the monitors anew; true when the windows
    // must move or change size.
    bool MeasureScreens();
    void MoveButton(HWND button, int x, int y);

    UniqueHandle m_mutex;
    HINSTANCE m_instance = nullptr;
    HWND m_background = nullptr;
    HWND m_mask = nullptr;
    HWND m_okButton = nullptr;
    HWND m_cancelButton = nullptr;
    wchar_t m_className[16] = {};
    wchar_t m_backgroundText[16] = {};
    wchar_t m_maskText[16] = {};
    SelectionModel m_model;
    // The virtual screen's top-left corner: the windows' client (0, 0).
    POINT m_origin{};
    RegionSelectedCallback m_callback = nullptr;
    void* m_userData = nullptr;
    ButtonImages m_images;

    // Painting tools, made once: every mouse move while dragging repaints.
    UniqueGdiObject m_darkBrush;
    UniqueGdiObject m_keyBrush;
    UniqueGdiObject m_outlinePen;
    // Screen-sized off-screen picture, kept between paints; each paint composes
    // only its update area in it and copies that area to the window.
    UniqueGdiObject m_surfaceBitmap;
    UniqueDC m_surfaceDc;
    std::optional<ScopedSelect> m_surfaceSelect;  // the bitmap in the DC; undone before either goes
    // What the last invalidation asked to be drawn, so the next one covers
    // only where the picture changes: both outlines and what the move of the
    // inside uncovered or covered.
    Rect m_drawnBounds;
    Rect m_drawnInside;
};

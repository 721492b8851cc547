// The drawing's palette and the presses that never take the keyboard.
#include "ui/pen_palette.h"

#include <windowsx.h>

#include "ui/screens_win.h"

namespace {

const std::vector<std::wstring> kPaletteClientClasses{L"ButtonUI", L"OptionUI"};

struct ToolControl {
    const wchar_t* name;
    InkTool tool;
};
constexpr ToolControl kTools[] = {
    {L"optPen", InkTool::Pen},
    {L"optHighlighter", InkTool::Highlighter},
    {L"optArrow", InkTool::Arrow},
    {L"optRectangle", InkTool::Rectangle},
};

constexpr DWORD kPaletteExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
constexpr UiColor kPenOnColour = 0xFF2563EB;
const wchar_t kPenUnavailableText[] = L"画笔不可用";

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

}  // namespace

const FrameDescription kPenPaletteFrame{
    L"TavrixPenPaletteWndClass", CS_DBLCLKS, L"pen.xml", kPaletteClientClasses,
    FrameHandlers::CreationAndHitTest, CloseAction::Default, DestroyAction::Default,
    SystemCloseAction::Default, ObjectLifetime::KeptByOwner,
    {
        {L"optPen", L"Option"},
        {L"optHighlighter", L"Option"},
        {L"optArrow", L"Option"},
        {L"optRectangle", L"Option"},
        {L"btnUndo", L"Button"},
        {L"btnClear", L"Button"},
    },
};

std::function<void(const InkState&)> PenButtonLook(CControlUI* button) {
    // The skin's own look is the button's look while drawing is off.
    const UiColor off = button->GetBkColor();
    const std::wstring text = button->GetText();
    return [button, off, text](const InkState& state) {
        button->SetEnabled(state.available);
        button->SetText(state.available ? text : std::wstring(kPenUnavailableText));
        button->SetBkColor(state.available && state.drawing ? kPenOnColour : off);
    };
}

void ClicksWithoutFocus::Add(CControlUI* control) {
    if (control != nullptr) m_controls.push_back(control);
}

CControlUI* ClicksWithoutFocus::ControlAt(POINT client) const {
    for (CControlUI* control : m_controls)
        if (control->IsReallyVisible() && control->IsEnabled() && Contains(control->GetPos(), client)) return control;
    return nullptr;
}

bool ClicksWithoutFocus::Handle(HWND window, UINT message, LPARAM lParam, LRESULT& result, CControlUI*& clicked) {
    clicked = nullptr;
    switch (message) {
    case WM_MOUSEACTIVATE: {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(window, &p);
        if (ControlAt(p) == nullptr) return false;
        result = MA_NOACTIVATE;
        return true;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        CControlUI* control = ControlAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (control == nullptr) return false;
        m_pressed = control;
        SetCapture(window);
        result = 0;
        return true;
    }
    case WM_LBUTTONUP: {
        if (m_pressed == nullptr) return false;
        CControlUI* pressed = m_pressed;
        m_pressed = nullptr;
        if (GetCapture() == window) ReleaseCapture();
        if (ControlAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) == pressed) clicked = pressed;
        result = 0;
        return true;
    }
    case WM_CAPTURECHANGED:
        m_pressed = nullptr;
        return false;
    default:
        return false;
    }
}

const FrameDescription& PenPalette::Description() const { return kPenPaletteFrame; }

bool PenPalette::Make(HWND statusBar) {
    if (GetHWND() == nullptr) Create(statusBar, L"", WS_POPUP, kPaletteExStyle, 0, 0, 0, 0);
    if (GetHWND() == nullptr || !SkinReady()) return false;
    const SIZE size = m_pm.GetInitSize();
    SetWindowPos(GetHWND(), HWND_TOPMOST, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOACTIVATE);
    return true;
}

void PenPalette::OnSkinReady() {
    // The teacher's tool, not the lesson: left out of the recording where Windows can.
    ExcludeFromCapture(m_hWnd);
    for (const ToolControl& t : kTools) m_clicks.Add(m_pm.FindControl(t.name));
    m_clicks.Add(m_pm.FindControl(L"btnUndo"));
    m_clicks.Add(m_pm.FindControl(L"btnClear"));
    ShowTool(InkTool::Pen);
}

void PenPalette::ShowTool(InkTool tool) {
    if (!SkinReady()) return;
    for (const ToolControl& t : kTools)
        if (t.tool == tool) static_cast<COptionUI*>(m_pm.FindControl(t.name))->Selected(true, false);
}

void PenPalette::PlaceBy(HWND statusBar, const RECT& penButtonOnScreen) {
    RECT bar = {};
    if (GetHWND() == nullptr || !GetWindowRect(statusBar, &bar)) return;
    const SIZE size = m_pm.GetInitSize();
    const Rect work = MonitorOfWindow(statusBar).work;
    const Point p = PalettePlace(size.cx, size.cy, Rect{bar.left, bar.top, bar.right, bar.bottom},
                                 Rect{penButtonOnScreen.left, penButtonOnScreen.top, penButtonOnScreen.right,
                                      penButtonOnScreen.bottom},
                                 work, m_pm.Scale(8));
    SetWindowPos(GetHWND(), HWND_TOPMOST, p.x, p.y, size.cx, size.cy, SWP_NOACTIVATE);
}

LRESULT PenPalette::HandleOwnMessage(UINT uMsg, WPARAM, LPARAM lParam, bool& handled) {
    LRESULT result = 0;
    CControlUI* clicked = nullptr;
    handled = m_clicks.Handle(m_hWnd, uMsg, lParam, result, clicked);
    if (uMsg == WM_MOUSEACTIVATE) {
        // Nowhere on the palette takes the activation.
        handled = true;
        result = MA_NOACTIVATE;
    }
    if (clicked != nullptr) Clicked(clicked->GetName());
    return result;
}

void PenPalette::Clicked(const std::wstring& name) {
    for (const ToolControl& t : kTools) {
        if (name != t.name) continue;
        ShowTool(t.tool);
        if (OnTool) OnTool(t.tool);
        return;
    }
    if (name == L"btnUndo" && OnUndo) OnUndo();
    if (name == L"btnClear" && OnClear) OnClear();
}

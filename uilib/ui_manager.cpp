// The paint manager: layout, double-buffered painting, input routing, focus
// and notifications for one skinned window.
#include "uilib/ui_manager.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "support/text_win.h"
#include "support/unique_win.h"
#include "uilib/ui_dpi.h"
#include "uilib/ui_fonts.h"
#include "uilib/ui_option.h"
#include "uilib/ui_render.h"
#include "uilib/ui_values.h"

namespace {

HINSTANCE g_instance = nullptr;
std::wstring g_resourcePath;

bool IsAbsolutePath(const std::wstring& path) {
    return (path.size() > 1 && path[1] == L':') || (!path.empty() && (path[0] == L'\\' || path[0] == L'/'));
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() : m_alive(std::make_shared<bool>(true)) {}

CPaintManagerUI::~CPaintManagerUI() {
    m_alive.reset();
    m_root.reset();
    for (auto& entry : m_images) UiRender::FreeImage(entry.second);
    for (auto& entry : m_doubleImages) UiRender::FreeImage(entry.second);
}

void CPaintManagerUI::SetInstance(HINSTANCE hInst) { g_instance = hInst; }

HINSTANCE CPaintManagerUI::GetInstance() {
    return g_instance != nullptr ? g_instance : ::GetModuleHandleW(nullptr);
}

std::wstring CPaintManagerUI::GetInstancePath() { return ProgramFolder(GetInstance()); }

void CPaintManagerUI::SetResourcePath(const wchar_t* pStrPath) {
    g_resourcePath = pStrPath != nullptr ? pStrPath : L"";
    if (!g_resourcePath.empty() && !IsAbsolutePath(g_resourcePath)) g_resourcePath = GetInstancePath() + g_resourcePath;
    if (!g_resourcePath.empty() && g_resourcePath.back() != L'\\' && g_resourcePath.back() != L'/') {
        g_resourcePath += L'\\';
    }
}

const std::wstring& CPaintManagerUI::GetResourcePath() {
    if (g_resourcePath.empty()) g_resourcePath = GetInstancePath();
    return g_resourcePath;
}

void CPaintManagerUI::Init(HWND hWnd) {
    m_hWndPaint = hWnd;
    if (hWnd != nullptr) m_dpi = UiDpi::ForWindow(hWnd);
}

void CPaintManagerUI::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == m_dpi) return;
    m_dpi = dpi;
    for (FontEntry& f : m_fonts) {
        HFONT font = MakeScaledFont(f);
        if (font == nullptr) continue;
        if (m_defaultFont == f.font.get()) m_defaultFont = font;
        f.font.reset(font);
    }
    // Made again at the new density when next asked for.
    m_fallbackFont.reset();
    if (m_hWndPaint != nullptr) {
        SIZE size = GetInitSize();
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    NeedUpdate();
}

int CPaintManagerUI::Scale(int value) const { return ScaleUiValue(value, m_dpi); }

RECT CPaintManagerUI::Scale(const RECT& rc) const {
    return RECT{Scale(rc.left), Scale(rc.top), Scale(rc.right), Scale(rc.bottom)};
}

bool CPaintManagerUI::AttachDialog(CControlUI* pControl) {
    if (pControl == nullptr) return false;
    m_focus = m_hot = m_pressed = nullptr;
    m_root.reset(pControl);
    pControl->SetManager(this, nullptr);
    NeedUpdate();
    return true;
}

bool CPaintManagerUI::AddNotifier(INotifyUI* pControl) {
    if (pControl == nullptr) return false;
    if (std::find(m_notifiers.begin(), m_notifiers.end(), pControl) != m_notifiers.end()) return false;
    m_notifiers.push_back(pControl);
    return true;
}

bool CPaintManagerUI::RemoveNotifier(INotifyUI* pControl) {
    auto it = std::find(m_notifiers.begin(), m_notifiers.end(), pControl);
    if (it == m_notifiers.end()) return false;
    m_notifiers.erase(it);
    return true;
}

bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* pFilter) {
    if (pFilter == nullptr) return false;
    if (std::find(m_preFilters.begin(), m_preFilters.end(), pFilter) != m_preFilters.end()) return false;
    m_preFilters.push_back(pFilter);
    return true;
}

bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* pFilter) {
    auto it = std::find(m_preFilters.begin(), m_preFilters.end(), pFilter);
    if (it == m_preFilters.end()) return false;
    m_preFilters.erase(it);
    return true;
}

CControlUI* CPaintManagerUI::FindControl(const wchar_t* pstrName) const {
    if (m_root == nullptr || pstrName == nullptr || *pstrName == L'\0') return nullptr;
    CControlUI* found = nullptr;
    m_root->ForEach([&](CControlUI* c) {
        if (found == nullptr && c->GetName() == pstrName) found = c;
    });
    return found;
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) {
    if (m_root == nullptr) return nullptr;
    UpdateLayout();
    return m_root->FindControlAt(pt);
}

void CPaintManagerUI::SetInitSize(int cx, int cy) {
    if (cx < 0 || cy < 0) return;
    m_initSize = SIZE{cx, cy};
    if (m_hWndPaint != nullptr) {
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, Scale(cx), Scale(cy), SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    NeedUpdate();
}

void CPaintManagerUI::UpdateLayout() {
    if (!m_layoutNeeded || m_root == nullptr) return;
    const SIZE size = GetInitSize();
    RECT rc{0, 0, size.cx, size.cy};
    if (m_hWndPaint != nullptr) ::GetClientRect(m_hWndPaint, &rc);
    m_layoutNeeded = false;
    m_root->SetPos(rc);
}

void CPaintManagerUI::NeedUpdate() {
    m_layoutNeeded = true;
    if (m_hWndPaint != nullptr) ::InvalidateRect(m_hWndPaint, nullptr, FALSE);
}

void CPaintManagerUI::Invalidate(const RECT& rc) {
    if (m_hWndPaint != nullptr) ::InvalidateRect(m_hWndPaint, &rc, FALSE);
}

HFONT CPaintManagerUI::MakeScaledFont(const FontEntry& entry) const {
    return MakeFont(entry.face, Scale(entry.size), entry.bold, entry.underline, entry.italic);
}

void CPaintManagerUI::AddFont(int id, const std::wstring& faceNames, int size, bool bold, bool underline,
                              bool italic, bool isDefault) {
    FontEntry entry{id, ChooseFace(faceNames), size > 0 ? size : 14, bold, underline, italic, UniqueFont()};
    HFONT font = MakeScaledFont(entry);
    if (font == nullptr) return;
    entry.font.reset(font);
    auto same = std::find_if(m_fonts.begin(), m_fonts.end(), [id](const FontEntry& f) { return f.id == id; });
    if (same != m_fonts.end()) {
        if (m_defaultFont == same->font.get()) m_defaultFont = nullptr;
        *same = std::move(entry);
    } else {
        m_fonts.push_back(std::move(entry));
    }
    if (isDefault) {
        m_fallbackFont.reset();
        m_defaultFont = font;
    }
}

HFONT CPaintManagerUI::GetFont(int id) const {
    for (const FontEntry& f : m_fonts) {
        if (f.id == id) return f.font.get();
    }
    if (m_defaultFont != nullptr) return m_defaultFont;
    if (!m_fallbackFont) m_fallbackFont.reset(MakeFont(ChooseFace(L""), Scale(14), false, false, false));
    return m_fallbackFont.get();
}

const UiImage* CPaintManagerUI::GetImage(const std::wstring& file) {
    if (m_dpi > kUiBaseDpi) {
        // Enlarged, a 96-dpi picture blurs: the twice-as-dense one is drawn
        // down to size instead.
        auto twice = m_doubleImages.find(file);
        if (twice == m_doubleImages.end()) {
            std::wstring name = UiDoubleImageName(file);
            UiImage image = UiRender::LoadImageFile(IsAbsolutePath(name) ? name : GetResourcePath() + name);
            image.density = 2;
            twice = m_doubleImages.emplace(file, image).first;
        }
        if (twice->second.bitmap != nullptr) return &twice->second;
    }
    auto it = m_images.find(file);
    if (it != m_images.end()) return &it->second;
    std::wstring path = IsAbsolutePath(file) ? file : GetResourcePath() + file;
    // Unreadable pictures are remembered too, so they are not tried at every paint.
    return &m_images.emplace(file, UiRender::LoadImageFile(path)).first->second;
}

void CPaintManagerUI::RegisterOption(COptionUI* option) {
    if (std::find(m_options.begin(), m_options.end(), option) == m_options.end()) m_options.push_back(option);
}

void CPaintManagerUI::UnregisterOption(COptionUI* option) {
    m_options.erase(std::remove(m_options.begin(), m_options.end(), option), m_options.end());
}

std::vector<COptionUI*> CPaintManagerUI::GetOptionGroup(const std::wstring& group) const {
    std::vector<COptionUI*> members;
    for (COptionUI* option : m_options) {
        if (!group.empty() && option->GetGroup() == group) members.push_back(option);
    }
    return members;
}

void CPaintManagerUI::ReapControl(CControlUI* pControl) {
    if (m_focus == pControl) m_focus = nullptr;
    if (m_hot == pControl) m_hot = nullptr;
    if (m_pressed == pControl) m_pressed = nullptr;
}

void CPaintManagerUI::SendNotify(CControlUI* pControl, const wchar_t* pstrMessage, WPARAM wParam,
                                 LPARAM lParam) {
    TNotifyUI msg;
    msg.sType = pstrMessage;
    msg.pSender = pControl;
    msg.dwTimestamp = ::GetTickCount();
    msg.wParam = wParam;
    msg.lParam = lParam;
    ::GetCursorPos(&msg.ptMouse);
    if (m_hWndPaint != nullptr) ::ScreenToClient(m_hWndPaint, &msg.ptMouse);
    std::weak_ptr<bool> alive = m_alive;
    std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers) {
        notifier->Notify(msg);
        if (alive.expired()) return;
    }
}

void CPaintManagerUI::SendEvent(CControlUI* control, UiEvent type, POINT pt, WPARAM wParam) {
    TEventUI event;
    event.type = type;
    event.ptMouse = pt;
    event.wParam = wParam;
    event.dwTimestamp = ::GetTickCount();
    control->DoEvent(event);
}

void CPaintManagerUI::SetFocus(CControlUI* pControl) {
    if (pControl == m_focus) return;
    // The window itself needs the keyboard for Tab, Space and Enter; a hidden
    // window is not given it (that would take it from the visible one).
    if (pControl != nullptr && m_hWndPaint != nullptr && ::IsWindowVisible(m_hWndPaint) &&
        ::GetFocus() != m_hWndPaint) {
        ::SetFocus(m_hWndPaint);
    }
    std::weak_ptr<bool> alive = m_alive;
    CControlUI* old = m_focus;
    m_focus = pControl;
    if (old != nullptr) {
        SendEvent(old, UiEvent::KillFocus, POINT{}, 0);
        SendNotify(old, L"killfocus");
        if (alive.expired()) return;
    }
    // A killfocus notifier may have moved the focus on already.
    if (pControl != nullptr && m_focus == pControl) {
        SendEvent(pControl, UiEvent::SetFocus, POINT{}, 0);
        SendNotify(pControl, L"setfocus");
    }
}

bool CPaintManagerUI::SetNextTabControl(bool bForward) {
    if (m_root == nullptr) return false;
    std::vector<CControlUI*> stops;
    m_root->ForEach([&](CControlUI* c) {
        if (c->IsTabStop() && c->IsEnabled() && c->IsReallyVisible()) stops.push_back(c);
    });
    if (stops.empty()) return false;
    auto it = std::find(stops.begin(), stops.end(), m_focus);
    size_t n = stops.size();
    size_t next = 0;
    if (it == stops.end()) {
        next = bForward ? 0 : n - 1;
    } else {
        size_t i = static_cast<size_t>(it - stops.begin());
        next = bForward ? (i + 1) % n : (i + n - 1) % n;
    }
    SetFocus(stops[next]);
    return true;
}

void CPaintManagerUI::SetHot(CControlUI* control) {
    if (control == m_hot) return;
    CControlUI* old = m_hot;
    m_hot = control;
    if (old != nullptr) SendEvent(old, UiEvent::MouseLeave, POINT{}, 0);
    if (control != nullptr) SendEvent(control, UiEvent::MouseEnter, POINT{}, 0);
}

void CPaintManagerUI::Paint() {
    const ScopedPaint paint(m_hWndPaint);
    const HDC hdc = paint.dc();
    if (hdc == nullptr) return;
    const RECT& area = paint.area();
    UpdateLayout();
    RECT client{};
    ::GetClientRect(m_hWndPaint, &client);
    int w = client.right - client.left;
    int h = client.bottom - client.top;
    if (w > 0 && h > 0 && !::IsRectEmpty(&area)) {
        // Drawn into a memory bitmap first and copied at once: no flicker.
        const UniqueDC buffer(::CreateCompatibleDC(hdc));
        const UniqueBitmap bitmap(::CreateCompatibleBitmap(hdc, w, h));
        if (buffer && bitmap) {
            const ScopedSelect selectBitmap(buffer.get(), bitmap.get());
            HBRUSH white = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
            ::FillRect(buffer.get(), &area, white);
            if (m_root != nullptr && m_root->IsVisible()) m_root->DoPaint(buffer.get(), area);
            ::BitBlt(hdc, area.left, area.top, area.right - area.left, area.bottom - area.top, buffer.get(),
                     area.left, area.top, SRCCOPY);
        }
    }
}

bool CPaintManagerUI::HandleMouse(UINT uMsg, WPARAM, LPARAM lParam) {
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (uMsg) {
    case WM_MOUSEMOVE: OnMouseMove(pt); return true;
    case WM_MOUSELEAVE:
        m_mouseTracking = false;
        if (m_pressed == nullptr) SetHot(nullptr);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnButtonDown(pt); return true;
    case WM_LBUTTONUP: OnButtonUp(pt); return true;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-press (a message box, another window): the
        // press is abandoned without a click.
        if (m_pressed != nullptr && reinterpret_cast<HWND>(lParam) != m_hWndPaint) {
            CControlUI* pressed = m_pressed;
            m_pressed = nullptr;
            SendEvent(pressed, UiEvent::ButtonUp, POINT{INT_MIN, INT_MIN}, 0);
        }
        return false;
    default:
        return false;
    }
}

void CPaintManagerUI::OnMouseMove(POINT pt) {
    if (!m_mouseTracking) {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = m_hWndPaint;
        m_mouseTracking = ::TrackMouseEvent(&tme) != FALSE;
    }
    CControlUI* under = FindControl(pt);
    // While a control is pressed only it can be hot.
    if (m_pressed != nullptr && under != m_pressed) under = nullptr;
    SetHot(under);
}

void CPaintManagerUI::OnButtonDown(POINT pt) {
    std::weak_ptr<bool> alive = m_alive;
    m_focusVisible = false;
    CControlUI* under = FindControl(pt);
    if (under == nullptr || !under->IsTabStop() || !under->IsEnabled()) return;
    under->SetFocus();
    if (alive.expired()) return;
    // The focus notification may have hidden or removed the control.
    under = FindControl(pt);
    if (under == nullptr || !under->IsTabStop() || !under->IsEnabled()) return;
    m_pressed = under;
    ::SetCapture(m_hWndPaint);
    SetHot(under);
    SendEvent(under, UiEvent::ButtonDown, pt, 0);
}

void CPaintManagerUI::OnButtonUp(POINT pt) {
    std::weak_ptr<bool> alive = m_alive;
    CControlUI* pressed = m_pressed;
    m_pressed = nullptr;
    if (::GetCapture() == m_hWndPaint) ::ReleaseCapture();
    if (pressed == nullptr) return;
    SendEvent(pressed, UiEvent::ButtonUp, pt, 0);
    if (alive.expired()) return;
    SetHot(FindControl(pt));
}

bool CPaintManagerUI::HandleKey(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg != WM_KEYDOWN) return false;
    if (wParam == VK_TAB) {
        m_focusVisible = true;
        SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    if (wParam == VK_SPACE || wParam == VK_RETURN) {
        // One press per key stroke, not one per auto-repeat.
        if ((lParam & 0x40000000) != 0 || m_focus == nullptr) return m_focus != nullptr;
        if (!m_focus->IsEnabled() || !m_focus->IsReallyVisible()) return true;
        SendEvent(m_focus, UiEvent::KeyDown, POINT{}, wParam);
        return true;
    }
    return false;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
    if (m_hWndPaint == nullptr) return false;
    std::weak_ptr<bool> alive = m_alive;
    std::vector<IMessageFilterUI*> filters = m_preFilters;
    for (IMessageFilterUI* filter : filters) {
        bool handled = false;
        LRESULT result = filter->MessageHandler(uMsg, wParam, lParam, handled);
        if (alive.expired()) return true;
        if (handled) {
            lRes = result;
            return true;
        }
    }
    lRes = 0;
    switch (uMsg) {
    case WM_ERASEBKGND:
        lRes = 1;
        return true;
    case WM_PAINT:
        Paint();
        return true;
    case WM_SIZE:
        NeedUpdate();
        return false;
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        return HandleMouse(uMsg, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
        return HandleKey(uMsg, wParam, lParam);
    default:
        return false;
    }
}

void CPaintManagerUI::MessageLoop() {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

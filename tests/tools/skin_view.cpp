// Shows one skin in a skinned frame, as the program's windows show theirs,
// for screenshots and for looking at a skin by hand.
//
//   skin_view <skin file> [--hide a,b] [--select a,b] [--unselect a,b] [--disable a,b]
//             [--focus name] [--text name=value] [--seconds n]
//
// The window's title is the skin file's name; it ends after n seconds
// (default 30) or when closed.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/unique_win.h"
#include "tests/tools/split_names.h"
#include "ui/skinned_frame.h"
#include "uilib/ui_dpi.h"

namespace {

struct ViewChoices {
    std::vector<std::wstring> hide;
    std::vector<std::wstring> select;
    std::vector<std::wstring> unselect;
    std::vector<std::wstring> disable;
    std::wstring focus;
    std::vector<std::pair<std::wstring, std::wstring>> texts;
};

class SkinView : public SkinnedFrame {
public:
    SkinView(const std::wstring& skin, ViewChoices choices) : m_choices(std::move(choices)) {
        m_description.windowClassName = L"SkinViewWndClass";
        m_description.classStyle = CS_DBLCLKS;
        m_skin = skin;
        m_description.skinFile = m_skin.c_str();
        m_description.clientClasses = {L"ButtonUI", L"OptionUI", L"TextUI"};
        m_description.handlers = FrameHandlers::All;
        m_description.close = CloseAction::Default;
        m_description.destroy = DestroyAction::PostQuit;
        m_description.systemClose = SystemCloseAction::Default;
        m_description.lifetime = ObjectLifetime::KeptByOwner;
    }

protected:
    const FrameDescription& Description() const override { return m_description; }

    void OnSkinReady() override {
        for (const auto& name : m_choices.hide) {
            if (CControlUI* c = m_pm.FindControl(name.c_str())) c->SetVisible(false);
        }
        for (const auto& name : m_choices.disable) {
            if (CControlUI* c = m_pm.FindControl(name.c_str())) c->SetEnabled(false);
        }
        for (const auto& name : m_choices.select) {
            CControlUI* c = m_pm.FindControl(name.c_str());
            if (auto* option = c != nullptr ? static_cast<COptionUI*>(c->GetInterface(L"Option")) : nullptr) {
                option->Selected(true);
            }
        }
        for (const auto& name : m_choices.unselect) {
            CControlUI* c = m_pm.FindControl(name.c_str());
            if (auto* option = c != nullptr ? static_cast<COptionUI*>(c->GetInterface(L"Option")) : nullptr) {
                option->Selected(false);
            }
        }
        for (const auto& text : m_choices.texts) {
            if (CControlUI* c = m_pm.FindControl(text.first.c_str())) c->SetText(text.second);
        }
        if (CControlUI* c = m_pm.FindControl(m_choices.focus.c_str())) c->SetFocus();
    }

private:
    FrameDescription m_description{};
    std::wstring m_skin;
    ViewChoices m_choices;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring skin;
    ViewChoices choices;
    int seconds = 30;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool more = i + 1 < argc;
        if (arg == L"--hide" && more) {
            choices.hide = SplitNames(argv[++i]);
        } else if (arg == L"--select" && more) {
            choices.select = SplitNames(argv[++i]);
        } else if (arg == L"--unselect" && more) {
            choices.unselect = SplitNames(argv[++i]);
        } else if (arg == L"--disable" && more) {
            choices.disable = SplitNames(argv[++i]);
        } else if (arg == L"--focus" && more) {
            choices.focus = argv[++i];
        } else if (arg == L"--text" && more) {
            std::wstring pair = argv[++i];
            size_t eq = pair.find(L'=');
            if (eq != std::wstring::npos) choices.texts.emplace_back(pair.substr(0, eq), pair.substr(eq + 1));
        } else if (arg == L"--seconds" && more) {
            seconds = _wtoi(argv[++i]);
        } else {
            skin = arg;
        }
    }
    ::LocalFree(argv);
    if (skin.empty()) return 1;

    // As the program's manifest makes it: drawn at the monitor's density.
    UiDpi::MakeProcessPerMonitorAware();
    const ScopedGdiplus gdiplus;  // the library draws with it; the program starts it in wWinMain
    CPaintManagerUI::SetInstance(instance);
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"skin").c_str());
    SkinFailureReporter = nullptr;
    SkinView view(skin, choices);
    if (view.Create(nullptr, skin.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 0) == nullptr) return 1;
    if (!view.SkinReady()) return 2;
    view.CenterWindow();
    view.ShowWindow(true, true);
    ::SetTimer(view.GetHWND(), 1, static_cast<UINT>(seconds) * 1000, nullptr);
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == view.GetHWND() && msg.wParam == 1) break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

// Lays a skin out at its declared size and prints the rectangle of every
// named control, so that end-to-end tests find controls by name.
//
//   skin_layout <skin file> [--hide name,name...] [--show name,name...] [--grow n] [--dpi n]
//
// With --dpi the layout is the one a window on a monitor of that density
// shows (default 96: the skin's own sizes). --show shows controls the skin
// hides until the window shows them, and --grow makes the window n skin
// units taller, as a window that grows to hold them does.
// The file is a name under the folder given by --skin-dir (default: the
// "skin" folder beside this tool) or a full path. Output, one line each:
//   window <width> <height>
//   caption <left> <top> <right> <bottom>
//   control <name> <class> <left> <top> <right> <bottom> <visible 0|1>
// Exit code 0, or 1 with the problem on standard error.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/text_win.h"
#include "support/unique_win.h"
#include "tests/tools/split_names.h"
#include "uilib/uilib.h"

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring file;
    std::wstring skinDir = CPaintManagerUI::GetInstancePath() + L"skin";
    std::vector<std::wstring> hidden;
    std::vector<std::wstring> shown;
    int grow = 0;
    int dpi = 96;
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--hide" && i + 1 < argc) {
            for (const std::wstring& name : SplitNames(argv[++i])) hidden.push_back(name);
        } else if (arg == L"--show" && i + 1 < argc) {
            for (const std::wstring& name : SplitNames(argv[++i])) shown.push_back(name);
        } else if (arg == L"--grow" && i + 1 < argc) {
            grow = _wtoi(argv[++i]);
        } else if (arg == L"--dpi" && i + 1 < argc) {
            dpi = _wtoi(argv[++i]);
        } else if (arg == L"--skin-dir" && i + 1 < argc) {
            skinDir = argv[++i];
        } else {
            file = arg;
        }
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: skin_layout <skin file> [--skin-dir dir] [--hide name,name] [--show name,name] "
                             "[--grow n] [--dpi n]\n");
        return 1;
    }
    CPaintManagerUI::SetResourcePath(skinDir.c_str());

    const ScopedGdiplus gdiplus;  // pictures are read with it, as in the program
    CPaintManagerUI pm;
    pm.SetDpi(dpi);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(file.c_str(), nullptr, nullptr, &pm);
    if (root == nullptr) {
        std::fprintf(stderr, "%s: %s\n", NarrowText(builder.GetErrorFile(), CP_UTF8).c_str(),
                     NarrowText(builder.GetError(), CP_UTF8).c_str());
        return 1;
    }
    pm.AttachDialog(root);
    for (const std::wstring& name : hidden) {
        if (CControlUI* c = pm.FindControl(name.c_str())) c->SetVisible(false);
    }
    for (const std::wstring& name : shown) {
        if (CControlUI* c = pm.FindControl(name.c_str())) c->SetVisible(true);
    }
    if (grow != 0) {
        const SIZE skin = pm.GetInitSize();
        pm.SetInitSize(MulDiv(skin.cx, 96, dpi), MulDiv(skin.cy, 96, dpi) + grow);
    }
    pm.UpdateLayout();

    SIZE size = pm.GetInitSize();
    const RECT caption = pm.GetCaptionRect();
    std::printf("window %ld %ld\n", static_cast<long>(size.cx), static_cast<long>(size.cy));
    std::printf("caption %ld %ld %ld %ld\n", static_cast<long>(caption.left), static_cast<long>(caption.top),
                static_cast<long>(caption.right), static_cast<long>(caption.bottom));
    root->ForEach([](CControlUI* c) {
        if (c->GetName().empty()) return;
        const RECT& r = c->GetPos();
        std::printf("control %s %s %ld %ld %ld %ld %d\n", NarrowText(c->GetName(), CP_UTF8).c_str(),
                    NarrowText(c->GetClass(), CP_UTF8).c_str(), static_cast<long>(r.left),
                    static_cast<long>(r.top), static_cast<long>(r.right), static_cast<long>(r.bottom),
                    c->IsReallyVisible() ? 1 : 0);
    });
    ::LocalFree(argv);
    return 0;
}

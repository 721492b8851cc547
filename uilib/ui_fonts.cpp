// The skins' fonts: the first face of a skin's list that is installed.
#include "uilib/ui_fonts.h"

#include <cwchar>
#include <map>

#include "support/unique_win.h"

namespace {

// Faces tried in order when a skin names none that is installed; the last
// ones are what Wine and older systems have for Chinese text.
const wchar_t kFallbackFaces[] = L"Microsoft YaHei;微软雅黑;WenQuanYi Micro Hei;SimSun;Tahoma";

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM param) {
    *reinterpret_cast<bool*>(param) = true;
    return 0;
}

bool FaceInstalled(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    // Asking the font system is slow; the answer does not change during a run.
    static std::map<std::wstring, bool> known;
    auto it = known.find(face);
    if (it != known.end()) return it->second;
    const ScopedWindowDC screen(nullptr);
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    ::EnumFontFamiliesExW(screen.get(), &lf, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    known[face] = found;
    return found;
}

}  // namespace

std::wstring ChooseFace(const std::wstring& candidates) {
    std::wstring all = candidates + L";" + kFallbackFaces;
    std::wstring first;
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(L';', start);
        if (end == std::wstring::npos) end = all.size();
        std::wstring face = all.substr(start, end - start);
        if (first.empty()) first = face;
        if (FaceInstalled(face)) return face;
        start = end + 1;
    }
    return first;
}

HFONT MakeFont(const std::wstring& face, int size, bool bold, bool underline, bool italic) {
    return ::CreateFontW(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

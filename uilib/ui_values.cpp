// Readers for skin attribute values.
#include "uilib/ui_values.h"

#include <cwctype>

namespace {

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::iswspace(text[begin])) ++begin;
    while (end > begin && std::iswspace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

bool ParseUiInt(const std::wstring& text, int32_t& out) {
    std::wstring t = Trim(text);
    size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == L'-' || t[i] == L'+')) negative = t[i++] == L'-';
    if (i == t.size()) return false;
    int64_t value = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < L'0' || t[i] > L'9') return false;
        value = value * 10 + (t[i] - L'0');
        if (value > 0x7FFFFFFFLL + (negative ? 1 : 0)) return false;
    }
    out = static_cast<int32_t>(negative ? -value : value);
    return true;
}

template <size_t N>
bool ParseUiInts(const std::wstring& text, std::array<int32_t, N>& out) {
    std::array<int32_t, N> values{};
    size_t start = 0;
    for (size_t k = 0; k < N; ++k) {
        size_t comma = text.find(L',', start);
        bool last = k + 1 == N;
        if (last != (comma == std::wstring::npos)) return false;  // too few or too many
        std::wstring part = text.substr(start, last ? std::wstring::npos : comma - start);
        if (!ParseUiInt(part, values[k])) return false;
        start = comma + 1;
    }
    out = values;
    return true;
}

template bool ParseUiInts<2>(const std::wstring&, std::array<int32_t, 2>&);
template bool ParseUiInts<4>(const std::wstring&, std::array<int32_t, 4>&);

bool ParseUiColor(const std::wstring& text, uint32_t& out) {
    std::wstring t = Trim(text);
    std::wstring digits;
    if (t.size() > 1 && t[0] == L'#') {
        digits = t.substr(1);
    } else if (t.size() > 2 && t[0] == L'0' && (t[1] == L'x' || t[1] == L'X')) {
        digits = t.substr(2);
    } else {
        return false;
    }
    if (digits.size() != 6 && digits.size() != 8) return false;
    uint32_t value = 0;
    for (wchar_t c : digits) {
        int d = HexDigit(c);
        if (d < 0) return false;
        value = value * 16 + static_cast<uint32_t>(d);
    }
    if (digits.size() == 6) value |= 0xFF000000u;
    out = value;
    return true;
}

bool ParseUiBool(const std::wstring& text, bool& out) {
    std::wstring t = Trim(text);
    if (t == L"true" || t == L"1") { out = true; return true; }
    if (t == L"false" || t == L"0") { out = false; return true; }
    return false;
}

bool ParseUiImageDesc(const std::wstring& text, UiImageDesc& out) {
    std::wstring t = Trim(text);
    if (t.empty()) return false;
    UiImageDesc desc;
    if (t.find(L'=') == std::wstring::npos) {
        desc.file = t;
        out = desc;
        return true;
    }
    // key='value' pairs separated by blanks.
    size_t i = 0;
    while (i < t.size()) {
        while (i < t.size() && std::iswspace(t[i])) ++i;
        if (i == t.size()) break;
        size_t eq = t.find(L'=', i);
        if (eq == std::wstring::npos || eq + 1 >= t.size() || t[eq + 1] != L'\'') return false;
        std::wstring key = Trim(t.substr(i, eq - i));
        size_t close = t.find(L'\'', eq + 2);
        if (close == std::wstring::npos) return false;
        std::wstring value = t.substr(eq + 2, close - eq - 2);
        if (key == L"file") {
            desc.file = value;
        } else if (key == L"dest") {
            if (!ParseUiInts(value, desc.dest)) return false;
            desc.hasDest = true;
        } else if (key == L"source") {
            if (!ParseUiInts(value, desc.source)) return false;
            desc.hasSource = true;
        }  // other keys are not ours: ignored
        i = close + 1;
    }
    if (desc.file.empty()) return false;
    out = desc;
    return true;
}

int32_t ScaleUiValue(int32_t value, int32_t dpi) {
    if (dpi <= 0 || dpi == kUiBaseDpi) return value;
    const int64_t scaled = static_cast<int64_t>(value) * dpi;
    const int64_t half = kUiBaseDpi / 2;
    return static_cast<int32_t>(scaled >= 0 ? (scaled + half) / kUiBaseDpi : -((-scaled + half) / kUiBaseDpi));
}

std::wstring UiDoubleImageName(const std::wstring& file) {
    const size_t slash = file.find_last_of(L"\\/");
    const size_t dot = file.find_last_of(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return file + L"@2x";
    return file.substr(0, dot) + L"@2x" + file.substr(dot);
}

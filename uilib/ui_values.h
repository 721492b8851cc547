// How skin attribute values are read: numbers, number lists, colours,
// booleans and picture descriptions. Windows-free, so the host tests it too.
// Every reader answers false for a malformed value and leaves its output
// alone, so the attribute keeps its default.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// A whole decimal number, optionally signed, with surrounding blanks allowed.
bool ParseUiInt(const std::wstring& text, int32_t& out);

// Exactly `count` comma-separated numbers ("10,0,10,0").
template <size_t N>
bool ParseUiInts(const std::wstring& text, std::array<int32_t, N>& out);

// "#AARRGGBB", "#RRGGBB" (opaque) or "0xAARRGGBB", as 0xAARRGGBB.
bool ParseUiColor(const std::wstring& text, uint32_t& out);

// "true" / "false" (also "1" / "0").
bool ParseUiBool(const std::wstring& text, bool& out);

// A picture: a bare file name, or "file='a.png' dest='l,t,r,b' source='l,t,r,b'"
// where dest is relative to the control and source a part of the picture.
struct UiImageDesc {
    std::wstring file;
    bool hasDest = false;
    std::array<int32_t, 4> dest{};
    bool hasSource = false;
    std::array<int32_t, 4> source{};
};
bool ParseUiImageDesc(const std::wstring& text, UiImageDesc& out);

// Display scaling. Skin values are written for 96 dots per inch; a window on
// a monitor of another density draws them at that density.
constexpr int32_t kUiBaseDpi = 96;

// `value` skin units in pixels at `dpi`, to the nearest pixel (halves away
// from zero). Exactly `value` at 96 dpi, and for a dpi that is not positive.
int32_t ScaleUiValue(int32_t value, int32_t dpi);

// The sharper variant of a picture, drawn above 96 dpi when the skin has it:
// "icon.png" -> "icon@2x.png" (the name gets "@2x" before its extension).
std::wstring UiDoubleImageName(const std::wstring& file);

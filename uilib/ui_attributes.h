// The skin file as read (a tree of elements with their attributes), the table
// of attribute names the controls know, and the readers of the window and font
// elements. Windows-free, tested on the host; the controls turn what these
// give into their own state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/rect.h"

// An element's attributes in the order the file gives them.
using UiAttributes = std::vector<std::pair<std::wstring, std::wstring>>;

// One element of a skin file: its name, attributes and child elements.
struct UiSkinNode {
    std::wstring name;
    UiAttributes attributes;
    std::vector<UiSkinNode> children;
};

// The value of the named attribute, "" when the element has none.
std::wstring FindUiAttribute(const UiAttributes& attributes, const wchar_t* name);

// Every attribute a control reads. Each control kind handles its own and
// passes the rest to the kind it derives from; Unknown is ignored by all.
enum class UiAttribute {
    Unknown,
    // every control
    Name, Text, Width, Height, Padding, Float, Pos, Visible, Enabled,
    BkColor, DisabledBkColor, BorderColor, BorderSize, BorderRound, BkImage,
    // containers and layouts
    Inset, ChildPadding,
    // labels, texts, buttons, options
    Font, TextColor, DisabledTextColor, TextPadding, Align, VAlign, WordBreak,
    // buttons and options
    HotBkColor, PushedBkColor, HotTextColor, PushedTextColor, HotBorderColor, FocusBorderColor,
    NormalImage, HotImage, PushedImage, FocusedImage, DisabledImage, ForeImage,
    // options and check boxes
    Group, Selected, SelectedBkColor, SelectedTextColor, SelectedBorderColor,
    SelectedImage, SelectedHotImage, SelectedDisabledImage,
    // level meters
    ForeColor, WarnColor,
};

// The attribute of that name as the skin writes it (lower case, exact), or Unknown.
UiAttribute UiAttributeNamed(const std::wstring& name);

// A text attribute's value: "\n" written in the skin starts a new line (some
// XML readers turn a character reference for a line feed into a blank).
std::wstring UiSkinText(const std::wstring& value);

// Text alignment along one axis.
enum class UiAlign { Start, Center, End };
// "left", "center", "right".
bool ParseUiAlign(const std::wstring& text, UiAlign& out);
// "top", "vcenter" or "center", "bottom".
bool ParseUiVAlign(const std::wstring& text, UiAlign& out);

// The Window element: each value present only when given and well formed
// (sizes and corners not negative). Values are in skin units.
struct UiWindowAttributes {
    std::optional<Rect> caption;                    // insets from the left and right edges, top and bottom y
    std::optional<std::array<int32_t, 2>> roundCorner;
    std::optional<uint32_t> defaultTextColor;
    std::optional<std::array<int32_t, 2>> size;
};
UiWindowAttributes ReadUiWindowAttributes(const UiAttributes& attributes);

// A Font element; a missing or malformed value keeps its default.
struct UiFontAttributes {
    int32_t id = -1;
    std::wstring name;  // faces tried in order, separated by ';'
    int32_t size = 14;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool isDefault = false;
};
UiFontAttributes ReadUiFontAttributes(const UiAttributes& attributes);

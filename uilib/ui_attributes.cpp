// The attribute name table and the window and font element readers.
#include "uilib/ui_attributes.h"

#include "uilib/ui_values.h"

namespace {

struct NamedAttribute {
    const wchar_t* name;
    UiAttribute attribute;
};

const NamedAttribute kAttributes[] = {
    {L"name", UiAttribute::Name},
    {L"text", UiAttribute::Text},
    {L"width", UiAttribute::Width},
    {L"height", UiAttribute::Height},
    {L"padding", UiAttribute::Padding},
    {L"float", UiAttribute::Float},
    {L"pos", UiAttribute::Pos},
    {L"visible", UiAttribute::Visible},
    {L"enabled", UiAttribute::Enabled},
    {L"bkcolor", UiAttribute::BkColor},
    {L"disabledbkcolor", UiAttribute::DisabledBkColor},
    {L"bordercolor", UiAttribute::BorderColor},
    {L"bordersize", UiAttribute::BorderSize},
    {L"borderround", UiAttribute::BorderRound},
    {L"bkimage", UiAttribute::BkImage},
    {L"inset", UiAttribute::Inset},
    {L"childpadding", UiAttribute::ChildPadding},
    {L"font", UiAttribute::Font},
    {L"textcolor", UiAttribute::TextColor},
    {L"disabledtextcolor", UiAttribute::DisabledTextColor},
    {L"textpadding", UiAttribute::TextPadding},
    {L"align", UiAttribute::Align},
    {L"valign", UiAttribute::VAlign},
    {L"wordbreak", UiAttribute::WordBreak},
    {L"multiline", UiAttribute::WordBreak},
    {L"hotbkcolor", UiAttribute::HotBkColor},
    {L"pushedbkcolor", UiAttribute::PushedBkColor},
    {L"hottextcolor", UiAttribute::HotTextColor},
    {L"pushedtextcolor", UiAttribute::PushedTextColor},
    {L"hotbordercolor", UiAttribute::HotBorderColor},
    {L"focusbordercolor", UiAttribute::FocusBorderColor},
    {L"normalimage", UiAttribute::NormalImage},
    {L"hotimage", UiAttribute::HotImage},
    {L"pushedimage", UiAttribute::PushedImage},
    {L"focusedimage", UiAttribute::FocusedImage},
    {L"disabledimage", UiAttribute::DisabledImage},
    {L"foreimage", UiAttribute::ForeImage},
    {L"group", UiAttribute::Group},
    {L"selected", UiAttribute::Selected},
    {L"selectedbkcolor", UiAttribute::SelectedBkColor},
    {L"selectedtextcolor", UiAttribute::SelectedTextColor},
    {L"selectedbordercolor", UiAttribute::SelectedBorderColor},
    {L"selectedimage", UiAttribute::SelectedImage},
    {L"selectedhotimage", UiAttribute::SelectedHotImage},
    {L"selecteddisabledimage", UiAttribute::SelectedDisabledImage},
    {L"forecolor", UiAttribute::ForeColor},
    {L"warncolor", UiAttribute::WarnColor},
};

template <size_t N>
std::optional<std::array<int32_t, N>> NotNegative(const std::wstring& text) {
    std::array<int32_t, N> values{};
    if (!ParseUiInts(text, values)) return std::nullopt;
    for (int32_t v : values) {
        if (v < 0) return std::nullopt;
    }
    return values;
}

}  // namespace

std::wstring FindUiAttribute(const UiAttributes& attributes, const wchar_t* name) {
    for (const auto& a : attributes) {
        if (a.first == name) return a.second;
    }
    return L"";
}

UiAttribute UiAttributeNamed(const std::wstring& name) {
    for (const NamedAttribute& a : kAttributes) {
        if (name == a.name) return a.attribute;
    }
    return UiAttribute::Unknown;
}

std::wstring UiSkinText(const std::wstring& value) {
    std::wstring text = value;
    for (size_t at = text.find(L"\\n"); at != std::wstring::npos; at = text.find(L"\\n", at + 1)) {
        text.replace(at, 2, L"\n");
    }
    return text;
}

bool ParseUiAlign(const std::wstring& text, UiAlign& out) {
    if (text == L"left") out = UiAlign::Start;
    else if (text == L"center") out = UiAlign::Center;
    else if (text == L"right") out = UiAlign::End;
    else return false;
    return true;
}

bool ParseUiVAlign(const std::wstring& text, UiAlign& out) {
    if (text == L"top") out = UiAlign::Start;
    else if (text == L"vcenter" || text == L"center") out = UiAlign::Center;
    else if (text == L"bottom") out = UiAlign::End;
    else return false;
    return true;
}

UiWindowAttributes ReadUiWindowAttributes(const UiAttributes& attributes) {
    UiWindowAttributes window;
    std::array<int32_t, 4> quad{};
    if (ParseUiInts(FindUiAttribute(attributes, L"caption"), quad)) {
        window.caption = Rect{quad[0], quad[1], quad[2], quad[3]};
    }
    window.roundCorner = NotNegative<2>(FindUiAttribute(attributes, L"roundcorner"));
    uint32_t color = 0;
    if (ParseUiColor(FindUiAttribute(attributes, L"defaulttextcolor"), color)) window.defaultTextColor = color;
    window.size = NotNegative<2>(FindUiAttribute(attributes, L"size"));
    return window;
}

UiFontAttributes ReadUiFontAttributes(const UiAttributes& attributes) {
    UiFontAttributes font;
    ParseUiInt(FindUiAttribute(attributes, L"id"), font.id);
    font.name = FindUiAttribute(attributes, L"name");
    ParseUiInt(FindUiAttribute(attributes, L"size"), font.size);
    ParseUiBool(FindUiAttribute(attributes, L"bold"), font.bold);
    ParseUiBool(FindUiAttribute(attributes, L"underline"), font.underline);
    ParseUiBool(FindUiAttribute(attributes, L"italic"), font.italic);
    ParseUiBool(FindUiAttribute(attributes, L"default"), font.isDefault);
    return font;
}

// A layout's length shared among its children, and the skin's attribute
// names and window and font elements: what a skin author relies on.
#include <gtest/gtest.h>

#include <numeric>

#include "uilib/ui_attributes.h"
#include "uilib/ui_layout.h"

namespace {

int32_t Sum(const std::vector<int32_t>& v) { return std::accumulate(v.begin(), v.end(), 0); }

TEST(UiLayout, StretchingChildrenShareExactlyWhatIsLeft) {
    struct Case {
        const char* what;
        std::vector<UiAxisItem> items;
        int32_t length;
        int32_t gap;
        std::vector<int32_t> sizes;
    };
    const Case cases[] = {
        {"one stretching child takes everything", {{0, 0, 0}}, 100, 5, {100}},
        {"fixed sizes stay, the rest is shared", {{30, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 100, 0, {30, 35, 35}},
        {"the last stretching child takes the remainder", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, 100, 0, {33, 33, 34}},
        {"paddings and gaps come off first", {{0, 2, 3}, {0, 5, 0}}, 100, 10, {40, 40}},
        {"too little room: stretching children get 0", {{80, 0, 0}, {0, 0, 0}, {40, 0, 0}}, 100, 0, {80, 0, 40}},
        {"no children", {}, 100, 10, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShareLength(c.items, c.length, c.gap), c.sizes) << c.what;
    }
}

TEST(UiLayout, SharesAddUpToTheLengthForEveryCount) {
    // The children must fill the layout to the last pixel whatever the
    // division leaves over, or a gap shows at the end.
    for (int32_t length = 0; length < 60; ++length) {
        for (size_t count = 1; count <= 7; ++count) {
            const std::vector<UiAxisItem> items(count);
            const std::vector<int32_t> sizes = ShareLength(items, length, 1);
            ASSERT_EQ(sizes.size(), count);
            const int32_t room = std::max<int32_t>(0, length - static_cast<int32_t>(count - 1));
            EXPECT_EQ(Sum(sizes), room) << length << " over " << count;
            for (int32_t s : sizes) EXPECT_LE(s - sizes.front(), static_cast<int32_t>(count)) << "shares stay even";
        }
    }
}

TEST(UiAttributes, NamesAreExactAndUnknownOnesAreIgnored) {
    EXPECT_EQ(UiAttributeNamed(L"bkcolor"), UiAttribute::BkColor);
    EXPECT_EQ(UiAttributeNamed(L"selecteddisabledimage"), UiAttribute::SelectedDisabledImage);
    // Two spellings of the same switch.
    EXPECT_EQ(UiAttributeNamed(L"multiline"), UiAttribute::WordBreak);
    EXPECT_EQ(UiAttributeNamed(L"wordbreak"), UiAttribute::WordBreak);
    for (const wchar_t* unknown : {L"", L"bkColor", L"Name", L"shadow", L"text ", L"selectedimage2"}) {
        EXPECT_EQ(UiAttributeNamed(unknown), UiAttribute::Unknown);
    }
}

TEST(UiAttributes, TextAlignmentAndLineBreaks) {
    UiAlign align = UiAlign::End;
    EXPECT_TRUE(ParseUiAlign(L"center", align));
    EXPECT_EQ(align, UiAlign::Center);
    EXPECT_FALSE(ParseUiAlign(L"vcenter", align)) << "vcenter is vertical only";
    EXPECT_FALSE(ParseUiAlign(L"Center", align));
    EXPECT_EQ(align, UiAlign::Center) << "a refused value leaves the alignment alone";
    EXPECT_TRUE(ParseUiVAlign(L"vcenter", align));
    EXPECT_EQ(align, UiAlign::Center);
    EXPECT_TRUE(ParseUiVAlign(L"bottom", align));
    EXPECT_EQ(align, UiAlign::End);
    EXPECT_FALSE(ParseUiVAlign(L"right", align));

    EXPECT_EQ(UiSkinText(L"第一行\\n第二行"), L"第一行\n第二行");
    EXPECT_EQ(UiSkinText(L"\\n\\n"), L"\n\n");
    EXPECT_EQ(UiSkinText(L"C:\\new"), L"C:\new") << "a backslash and n always break the line";
    EXPECT_EQ(UiSkinText(L"no break\\"), L"no break\\");
}

TEST(UiAttributes, WindowValuesOnlyWhenWellFormed) {
    const UiWindowAttributes good = ReadUiWindowAttributes(
        {{L"size", L"400,300"}, {L"caption", L"0,0,-1,40"}, {L"roundcorner", L"6,6"}, {L"defaulttextcolor", L"#FF112233"}});
    ASSERT_TRUE(good.size && good.caption && good.roundCorner && good.defaultTextColor);
    EXPECT_EQ(*good.size, (std::array<int32_t, 2>{400, 300}));
    EXPECT_EQ(*good.caption, (Rect{0, 0, -1, 40})) << "caption insets may be negative";
    EXPECT_EQ(*good.defaultTextColor, 0xFF112233u);

    const UiWindowAttributes bad = ReadUiWindowAttributes(
        {{L"size", L"-1,300"}, {L"caption", L"0,0,40"}, {L"roundcorner", L"6,-6"}, {L"defaulttextcolor", L"red"}});
    EXPECT_FALSE(bad.size);
    EXPECT_FALSE(bad.caption);
    EXPECT_FALSE(bad.roundCorner);
    EXPECT_FALSE(bad.defaultTextColor);
    EXPECT_FALSE(ReadUiWindowAttributes({}).size);
}

TEST(UiAttributes, FontKeepsDefaultsForMissingOrMalformedValues) {
    const UiFontAttributes font = ReadUiFontAttributes(
        {{L"id", L"2"}, {L"name", L"Tahoma;SimSun"}, {L"size", L"abc"}, {L"bold", L"true"}, {L"default", L"yes"}});
    EXPECT_EQ(font.id, 2);
    EXPECT_EQ(font.name, L"Tahoma;SimSun");
    EXPECT_EQ(font.size, 14);
    EXPECT_TRUE(font.bold);
    EXPECT_FALSE(font.isDefault) << "only true/false/1/0 are booleans";
    EXPECT_EQ(ReadUiFontAttributes({}).id, -1) << "no id: the default font";
    EXPECT_EQ(FindUiAttribute({{L"a", L"1"}, {L"a", L"2"}}, L"a"), L"1") << "the first of a name counts";
}

}  // namespace

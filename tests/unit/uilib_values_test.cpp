// Skin attribute values: a malformed value must be refused (so the attribute
// keeps its default), never half-read.
#include <gtest/gtest.h>

#include "uilib/ui_values.h"

namespace {

TEST(UiValues, WholeNumbersOnly) {
    struct Case {
        const wchar_t* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {L"0", true, 0},          {L"42", true, 42},        {L"-7", true, -7},
        {L" +12 ", true, 12},     {L"2147483647", true, 2147483647},
        {L"-2147483648", true, INT32_MIN},
        {L"2147483648", false, 0}, {L"12px", false, 0},     {L"", false, 0},
        {L"-", false, 0},         {L"1 2", false, 0},       {L"0x10", false, 0},
    };
    for (const Case& c : cases) {
        int32_t out = 99;
        EXPECT_EQ(ParseUiInt(c.text, out), c.ok) << std::string(c.text, c.text + wcslen(c.text));
        EXPECT_EQ(out, c.ok ? c.value : 99) << "a refused value leaves the output alone";
    }
}

TEST(UiValues, NumberListsNeedExactlyTheirCount) {
    std::array<int32_t, 4> four{1, 2, 3, 4};
    EXPECT_TRUE(ParseUiInts(std::wstring(L"10, 0,-5,20"), four));
    EXPECT_EQ(four, (std::array<int32_t, 4>{10, 0, -5, 20}));
    for (const wchar_t* bad : {L"1,2,3", L"1,2,3,4,5", L"1,,3,4", L"a,b,c,d", L"", L"1,2,3,4,"}) {
        std::array<int32_t, 4> kept{7, 7, 7, 7};
        EXPECT_FALSE(ParseUiInts(std::wstring(bad), kept));
        EXPECT_EQ(kept, (std::array<int32_t, 4>{7, 7, 7, 7})) << "no partial update";
    }
    std::array<int32_t, 2> two{};
    EXPECT_TRUE(ParseUiInts(std::wstring(L"8,8"), two));
    EXPECT_EQ(two, (std::array<int32_t, 2>{8, 8}));
}

TEST(UiValues, ColorsWithAndWithoutAlpha) {
    uint32_t c = 0;
    EXPECT_TRUE(ParseUiColor(L"#FF2563EB", c));
    EXPECT_EQ(c, 0xFF2563EBu);
    EXPECT_TRUE(ParseUiColor(L"#2563eb", c));
    EXPECT_EQ(c, 0xFF2563EBu) << "six digits are opaque";
    EXPECT_TRUE(ParseUiColor(L"0x33FFFFFF", c));
    EXPECT_EQ(c, 0x33FFFFFFu);
    for (const wchar_t* bad : {L"red", L"#12345", L"#1234567", L"#GG0000", L"FF0000", L"#", L"0x"}) {
        uint32_t kept = 5;
        EXPECT_FALSE(ParseUiColor(bad, kept));
        EXPECT_EQ(kept, 5u);
    }
}

TEST(UiValues, Booleans) {
    bool b = false;
    EXPECT_TRUE(ParseUiBool(L"true", b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(ParseUiBool(L"0", b));
    EXPECT_FALSE(b);
    b = true;
    EXPECT_FALSE(ParseUiBool(L"yes", b));
    EXPECT_TRUE(b);
}

TEST(UiValues, PictureDescriptions) {
    UiImageDesc desc;
    EXPECT_TRUE(ParseUiImageDesc(L"tick_nor.png", desc));
    EXPECT_EQ(desc.file, L"tick_nor.png");
    EXPECT_FALSE(desc.hasDest);

    EXPECT_TRUE(ParseUiImageDesc(L"file='check_on.png' dest='0,5,18,23' corner='2,2,2,2'", desc));
    EXPECT_EQ(desc.file, L"check_on.png");
    EXPECT_TRUE(desc.hasDest);
    EXPECT_EQ(desc.dest, (std::array<int32_t, 4>{0, 5, 18, 23}));
    EXPECT_FALSE(desc.hasSource) << "unknown keys are ignored";

    EXPECT_TRUE(ParseUiImageDesc(L"file='a.png' source='0,0,10,10'", desc));
    EXPECT_TRUE(desc.hasSource);

    for (const wchar_t* bad : {L"", L"   ", L"file='a.png' dest='1,2'", L"file='a.png", L"dest='0,0,1,1'",
                               L"file=a.png"}) {
        UiImageDesc kept;
        kept.file = L"kept";
        EXPECT_FALSE(ParseUiImageDesc(bad, kept));
        EXPECT_EQ(kept.file, L"kept");
    }
}

}  // namespace

// Display scaling: identical at 96 dpi (the windows must not move by a
// pixel there), to the nearest pixel elsewhere, negative offsets mirrored.
TEST(UiValues, ScalingIsIdentityAtNinetySixAndRoundsElsewhere) {
    for (int32_t v : {-7, -1, 0, 1, 2, 5, 13, 44, 500, 2147483647}) EXPECT_EQ(ScaleUiValue(v, 96), v);
    EXPECT_EQ(ScaleUiValue(13, 0), 13);
    const struct {
        int32_t value, dpi, pixels;
    } cases[] = {
        {500, 144, 750}, {13, 144, 20}, {1, 144, 2}, {3, 144, 5}, {-3, 144, -5}, {430, 144, 645},
        {44, 120, 55},   {1, 120, 1},   {14, 120, 18}, {35, 192, 70}, {-5, 192, -10}, {12, 168, 21},
    };
    for (const auto& c : cases) EXPECT_EQ(ScaleUiValue(c.value, c.dpi), c.pixels) << c.value << " at " << c.dpi;
}

TEST(UiValues, DoubleImageNames) {
    EXPECT_EQ(UiDoubleImageName(L"icon_min.png"), L"icon_min@2x.png");
    EXPECT_EQ(UiDoubleImageName(L"dir.v1\\logo.png"), L"dir.v1\\logo@2x.png");
    EXPECT_EQ(UiDoubleImageName(L"dir.v1/logo"), L"dir.v1/logo@2x");
    EXPECT_EQ(UiDoubleImageName(L"a.b.png"), L"a.b@2x.png");
}

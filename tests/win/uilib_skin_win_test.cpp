// Skin files into control trees: structure, layout rectangles, lookups by
// name and point, every kind of broken file, and the shipped skins.
#include <gtest/gtest.h>

#include <objidl.h>

#include <gdiplus.h>

#include <fstream>
#include <sstream>

#include "support/text_win.h"
#include "support/unique_win.h"
#include "tests/win/ui_test_support.h"
#include "uilib/ui_render.h"

namespace {

const bool kGdiplus = StartGdiplusForTests();

const char kTreeSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="300,200" caption="4,0,4,30" roundcorner="6,8" shadow="true">
  <Font id="0" name="Tahoma" size="13" default="true"/>
  <Font id="1" name="Tahoma" size="abc"/>
  <Image name="ignored" file="nothing.png"/>
  <VerticalLayout name="root" inset="10,10,10,10" childpadding="5">
    <HorizontalLayout name="bar" height="30">
      <Label name="title" text="标题"/>
      <Button name="ok" width="40" text="确定"/>
      <Button name="bad" width="abc"/>
    </HorizontalLayout>
    <Frobnicator name="alien"><Button name="insideAlien"/></Frobnicator>
    <Option name="a1" group="g" height="20" padding="5,0,5,0" selected="true"/>
    <Option name="a2" group="g" height="20" selected="true" sparkle="3"/>
    <Text name="note" height="xx" text="说明\n第二行"/>
    <Control name="spacer" height="20" visible="maybe"/>
    <Button name="floating" float="true" pos="200,150,260,180"/>
  </VerticalLayout>
  <Label name="secondRoot"/>
</Window>
)";

RECT Rc(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

struct BuiltSkin {
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root = nullptr;
};

TEST(SkinBuilder, TreeWindowAttributesAndLayout) {
    SkinFolder folder;
    folder.Write(L"tree.xml", kTreeSkin);
    BuiltSkin s;
    s.root = s.builder.Create(L"tree.xml", nullptr, nullptr, &s.pm);
    ASSERT_NE(s.root, nullptr) << NarrowText(s.builder.GetError(), CP_UTF8);
    EXPECT_TRUE(s.builder.GetError().empty());
    ASSERT_TRUE(s.pm.AttachDialog(s.root));

    // Window attributes.
    EXPECT_EQ(s.pm.GetInitSize().cx, 300);
    EXPECT_EQ(s.pm.GetInitSize().cy, 200);
    EXPECT_TRUE(SameRect(s.pm.GetCaptionRect(), Rc(4, 0, 4, 30)));
    EXPECT_EQ(s.pm.GetRoundCorner().cx, 6);
    EXPECT_EQ(s.pm.GetRoundCorner().cy, 8);

    // Tree: the first control is the root, unknown elements are skipped with
    // their content, a second root is ignored.
    EXPECT_STREQ(s.root->GetClass(), L"VerticalLayoutUI");
    auto* container = static_cast<CContainerUI*>(s.root->GetInterface(L"Container"));
    ASSERT_NE(container, nullptr);
    ASSERT_EQ(container->GetCount(), 6);
    const wchar_t* classes[] = {L"HorizontalLayoutUI", L"OptionUI", L"OptionUI", L"TextUI", L"ControlUI", L"ButtonUI"};
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(container->GetItemAt(i)->GetClass(), classes[i]) << i;
    EXPECT_EQ(s.pm.FindControl(L"alien"), nullptr);
    EXPECT_EQ(s.pm.FindControl(L"insideAlien"), nullptr);
    EXPECT_EQ(s.pm.FindControl(L"secondRoot"), nullptr);
    EXPECT_EQ(s.pm.FindControl(L"nope"), nullptr);
    EXPECT_EQ(s.pm.FindControl(L""), nullptr);
    ASSERT_NE(s.pm.FindControl(L"title"), nullptr);
    EXPECT_EQ(s.pm.FindControl(L"title")->GetText(), L"标题");
    EXPECT_EQ(s.pm.FindControl(L"note")->GetText(), L"说明\n第二行") << "a backslash-n starts a new line";
    EXPECT_EQ(s.pm.FindControl(L"ok")->GetParent(), s.pm.FindControl(L"bar"));

    // In a group the later selection wins; a malformed boolean keeps the default.
    auto* a1 = static_cast<COptionUI*>(s.pm.FindControl(L"a1")->GetInterface(L"Option"));
    auto* a2 = static_cast<COptionUI*>(s.pm.FindControl(L"a2")->GetInterface(L"Option"));
    EXPECT_FALSE(a1->IsSelected());
    EXPECT_TRUE(a2->IsSelected());
    EXPECT_TRUE(s.pm.FindControl(L"spacer")->IsVisible());

    // Layout at the declared size (no window): fixed sizes, stretching,
    // padding, inset, child padding and a floating control.
    s.pm.UpdateLayout();
    EXPECT_TRUE(SameRect(s.root->GetPos(), Rc(0, 0, 300, 200)));
    EXPECT_TRUE(SameRect(s.pm.FindControl(L"bar")->GetPos(), Rc(10, 10, 290, 40)));
    EXPECT_TRUE(SameRect(s.pm.FindControl(L"title")->GetPos(), Rc(10, 10, 130, 40)));
    EXPECT_TRUE(SameRect(s.pm.FindControl(L"ok")->GetPos(), Rc(130, 10, 170, 40)));
    EXPECT_TRUE(SameRect(s.pm.FindControl(L"bad")->GetPos(), Rc(170, 10, 290, 40))) << "bad width: stretches";
    EXPECT_TRUE(SameRect(a1->GetPos(), Rc(15, 45, 285, 65)));
    EXPECT_TRUE(SameRect(a2->GetPos(), Rc(10, 70, 290, 90)));
    EXPECT_TRUE(SameRect(s.pm.FindControl(L"note")->GetPos(), Rc(10, 95, 290, 165))) << "bad height: stretches";
    EXPECT_TRUE(SameRect(s.pm.FindControl(L"spacer")->GetPos(), Rc(10, 170, 290, 190)));
    EXPECT_TRUE(SameRect(s.pm.FindControl(L"floating")->GetPos(), Rc(200, 150, 260, 180)));

    // Lookup by point: the deepest control, floats over the flow, the layout
    // in its gaps, nothing outside (right and bottom are exclusive).
    EXPECT_EQ(s.pm.FindControl(POINT{20, 20}), s.pm.FindControl(L"title"));
    EXPECT_EQ(s.pm.FindControl(POINT{169, 39}), s.pm.FindControl(L"ok"));
    EXPECT_EQ(s.pm.FindControl(POINT{170, 39}), s.pm.FindControl(L"bad"));
    EXPECT_EQ(s.pm.FindControl(POINT{12, 67}), s.root);
    EXPECT_EQ(s.pm.FindControl(POINT{12, 50}), s.root) << "the option's left padding";
    EXPECT_EQ(s.pm.FindControl(POINT{205, 155}), s.pm.FindControl(L"floating"));
    EXPECT_EQ(s.pm.FindControl(POINT{5, 5}), s.root);
    EXPECT_EQ(s.pm.FindControl(POINT{300, 100}), nullptr);
    EXPECT_EQ(s.pm.FindControl(POINT{-1, 100}), nullptr);

    // A hidden control gives its place to the others and is not found.
    a1->SetVisible(false);
    s.pm.UpdateLayout();
    EXPECT_TRUE(SameRect(a2->GetPos(), Rc(10, 45, 290, 65)));
    EXPECT_TRUE(SameRect(s.pm.FindControl(L"spacer")->GetPos(), Rc(10, 170, 290, 190)));
    EXPECT_EQ(s.pm.FindControl(POINT{20, 50}), a2);
    s.pm.FindControl(L"bar")->SetVisible(false);
    CControlUI* found = s.pm.FindControl(POINT{20, 20});
    EXPECT_NE(found, s.pm.FindControl(L"title")) << "children of a hidden layout are not found";
    EXPECT_EQ(found, a2) << "the rest moved up";
}

TEST(SkinBuilder, FontsFallBackToDefaults) {
    SkinFolder folder;
    folder.Write(L"tree.xml", kTreeSkin);
    BuiltSkin s;
    s.root = s.builder.Create(L"tree.xml", nullptr, nullptr, &s.pm);
    ASSERT_NE(s.root, nullptr);
    s.pm.AttachDialog(s.root);
    LOGFONTW lf{};
    ASSERT_NE(::GetObjectW(s.pm.GetFont(0), sizeof(lf), &lf), 0);
    EXPECT_EQ(lf.lfHeight, -13);
    ASSERT_NE(::GetObjectW(s.pm.GetFont(1), sizeof(lf), &lf), 0);
    EXPECT_EQ(lf.lfHeight, -14) << "a malformed size gives the default size";
    EXPECT_EQ(s.pm.GetFont(77), s.pm.GetFont(0)) << "an unknown id gives the default font";
    EXPECT_EQ(s.pm.GetFont(-1), s.pm.GetFont(0));
}

TEST(SkinBuilder, BrokenFilesGiveNoTreeAndSayWhy) {
    SkinFolder folder;
    struct Case {
        const wchar_t* file;
        std::string bytes;
        const wchar_t* expected;  // a part of the problem text
    };
    const Case cases[] = {
        {L"unclosed.xml", "<?xml version=\"1.0\"?>\n<Window>\n  <VerticalLayout>\n</Window>\n", L"第 4 行"},
        {L"garbage.xml", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), L"Window"},
        {L"text.xml", "just some words", L"Window"},
        {L"twowindows.xml", "<Window><Label/></Window><Window/>", L"XML"},
        {L"wrongroot.xml", "<Skin><Button name=\"x\"/></Skin>", L"Window"},
        {L"nocontrols.xml", "<Window size=\"10,10\"><Font id=\"0\" size=\"12\"/></Window>", L"控件"},
        {L"empty.xml", "", L"空"},
        {L"doctype.xml", "<!DOCTYPE Window [<!ENTITY a \"b\">]><Window><Label/></Window>", L"XML"},
    };
    for (const Case& c : cases) {
        folder.Write(c.file, c.bytes);
        CPaintManagerUI pm;
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(c.file, nullptr, nullptr, &pm), nullptr) << NarrowText(c.file, CP_UTF8);
        EXPECT_NE(builder.GetError().find(c.expected), std::wstring::npos)
            << NarrowText(c.file, CP_UTF8) << ": " << NarrowText(builder.GetError(), CP_UTF8);
        EXPECT_EQ(builder.GetErrorFile(), folder.Path() + c.file);
        EXPECT_EQ(pm.GetRoot(), nullptr);
    }

    CPaintManagerUI pm;
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(L"missing.xml", nullptr, nullptr, &pm), nullptr);
    EXPECT_NE(builder.GetError().find(L"不存在"), std::wstring::npos);
    EXPECT_EQ(builder.GetErrorFile(), folder.Path() + L"missing.xml");

    // The same builder succeeds afterwards and forgets the old problem.
    folder.Write(L"good.xml", "<Window><Label name=\"x\"/></Window>");
    CControlUI* root = builder.Create(L"good.xml", nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(builder.GetError().empty());
    EXPECT_TRUE(builder.GetErrorFile().empty());
    pm.AttachDialog(root);
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(NarrowText(path, CP_ACP), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(SkinBuilder, TruncatedOrCorruptedSkinsNeverCrash) {
    std::string good = ReadBytes(CPaintManagerUI::GetInstancePath() + L"skin\\startup.xml");
    ASSERT_GT(good.size(), 1000u);
    SkinFolder folder;
    size_t closing = good.rfind("</Window>");
    ASSERT_NE(closing, std::string::npos);
    for (size_t length = 0; length < closing; length += 97) {
        folder.Write(L"cut.xml", good.substr(0, length));
        CPaintManagerUI pm;
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(L"cut.xml", nullptr, nullptr, &pm), nullptr) << "cut at " << length;
        EXPECT_FALSE(builder.GetError().empty());
    }
    for (size_t at = 0; at < good.size(); at += 53) {
        std::string bad = good;
        bad[at] = at % 2 == 0 ? '<' : '"';
        folder.Write(L"bad.xml", bad);
        CPaintManagerUI pm;
        CDialogBuilder builder;
        CControlUI* root = builder.Create(L"bad.xml", nullptr, nullptr, &pm);
        EXPECT_EQ(root == nullptr, !builder.GetError().empty()) << "corrupted at " << at;
        if (root != nullptr) pm.AttachDialog(root);
    }
}

TEST(SkinBuilder, ResourcePathGetsItsSeparator) {
    std::wstring before = CPaintManagerUI::GetResourcePath();
    CPaintManagerUI::SetResourcePath(L"C:\\somewhere\\skin");
    EXPECT_EQ(CPaintManagerUI::GetResourcePath(), L"C:\\somewhere\\skin\\");
    CPaintManagerUI::SetResourcePath(L"skin");
    EXPECT_EQ(CPaintManagerUI::GetResourcePath(), CPaintManagerUI::GetInstancePath() + L"skin\\")
        << "a relative folder is beside the program";
    std::wstring instance = CPaintManagerUI::GetInstancePath();
    ASSERT_FALSE(instance.empty());
    EXPECT_EQ(instance.back(), L'\\');
    CPaintManagerUI::SetResourcePath(before.c_str());
}

// The shipped skins: every control the windows look up, of the right kind,
// inside the window, and every text fits its control.
struct ShippedSkin {
    const wchar_t* file;
    std::vector<RequiredControl> controls;
};

const ShippedSkin kShipped[] = {
    {L"startup.xml",
     {{L"startBtn", L"Button"}, {L"closeBtn", L"Button"}, {L"minBtn", L"Button"},
      {L"optionAreaFull", L"Option"}, {L"optionAreaCustom", L"Option"},
      {L"optionAreaFullWithoutTaskbar", L"Option"}, {L"checkRecordAudio", L"Option"},
      {L"optionAudioMix", L"Option"}, {L"optionAudioSpeaker", L"Option"}, {L"optionAudioMicro", L"Option"},
      {L"btnSoundXP", L"Button"}, {L"txtAudioXP", L"Text"}, {L"optionVideoQualityNormal", L"Option"},
      {L"optionVideoQualityGood", L"Option"}, {L"checkShowClicks", L"Option"}}},
    {L"ready.xml", {{L"numText", L"Text"}, {L"backBtn", L"Button"}}},
    {L"status.xml",
     {{L"timeText", L"Label"}, {L"btnMin", L"Button"}, {L"btnClose", L"Button"}, {L"btnStop", L"Button"},
      {L"btnPen", L"Button"}}},
    {L"process.xml",
     {{L"closeBtn", L"Button"}, {L"resumeBtn", L"Button"}, {L"discardBtn", L"Button"}, {L"doneBtn", L"Button"}}},
    {L"TSSkin.xml", {{L"OptTip", L"Option"}, {L"btnOK", L"Button"}, {L"btnClose", L"Button"}}},
    {L"pen.xml",
     {{L"optPen", L"Option"}, {L"optHighlighter", L"Option"}, {L"optArrow", L"Option"}, {L"optRectangle", L"Option"},
      {L"btnUndo", L"Button"}, {L"btnClear", L"Button"}}},
};

// Whether the label's text (or `text` instead) fits inside it with its font.
::testing::AssertionResult TextFits(CPaintManagerUI& pm, CLabelUI* label, const std::wstring& text) {
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, pm.GetFont(label->GetFont()));
    const RECT& pos = label->GetPos();
    const RECT& pad = label->GetTextPadding();
    int width = (pos.right - pos.left) - pad.left - pad.right;
    int height = (pos.bottom - pos.top) - pad.top - pad.bottom;
    RECT need{0, 0, width, 0};
    UINT style = label->GetTextStyle() & (DT_SINGLELINE | DT_WORDBREAK);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, style | DT_CALCRECT | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    if (need.right - need.left <= width && need.bottom - need.top <= height) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << NarrowText(text, CP_UTF8) << "\" needs " << need.right - need.left
                                         << "x" << need.bottom - need.top << ", has " << width << "x" << height;
}

TEST(ShippedSkins, EveryControlTheWindowsUseFitsItsWindow) {
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"skin").c_str());
    for (const ShippedSkin& skin : kShipped) {
        SCOPED_TRACE(NarrowText(skin.file, CP_UTF8));
        CPaintManagerUI pm;
        CDialogBuilder builder;
        CControlUI* root = builder.Create(skin.file, nullptr, nullptr, &pm);
        ASSERT_NE(root, nullptr) << NarrowText(builder.GetError(), CP_UTF8);
        pm.AttachDialog(root);
        EXPECT_EQ(MissingControlProblem(pm, skin.controls), L"");
        SIZE size = pm.GetInitSize();
        EXPECT_GE(size.cx, 200);
        EXPECT_GE(size.cy, 50);
        EXPECT_GT(pm.GetCaptionRect().bottom, pm.GetCaptionRect().top) << "a caption band to drag by";
        pm.UpdateLayout();
        RECT window{0, 0, size.cx, size.cy};
        root->ForEach([&](CControlUI* c) {
            if (!c->IsReallyVisible()) return;
            RECT inside{};
            ::IntersectRect(&inside, &c->GetPos(), &window);
            EXPECT_TRUE(::EqualRect(&inside, &c->GetPos()))
                << NarrowText(c->GetClass(), CP_UTF8) << " " << NarrowText(c->GetName(), CP_UTF8) << " leaves the window";
            auto* label = static_cast<CLabelUI*>(c->GetInterface(L"Label"));
            if (label != nullptr && !label->GetText().empty()) {
                EXPECT_TRUE(TextFits(pm, label, label->GetText())) << NarrowText(c->GetName(), CP_UTF8);
            }
        });
        // The named buttons and options must not cover one another, except the
        // old-system sound controls, which share the sound choices' place.
        std::vector<CControlUI*> named;
        root->ForEach([&](CControlUI* c) {
            if (!c->GetName().empty() && c->GetInterface(L"Button") != nullptr && c->GetName() != L"btnSoundXP") {
                named.push_back(c);
            }
        });
        for (size_t i = 0; i < named.size(); ++i) {
            for (size_t j = i + 1; j < named.size(); ++j) {
                RECT overlap{};
                EXPECT_FALSE(::IntersectRect(&overlap, &named[i]->GetPos(), &named[j]->GetPos()))
                    << NarrowText(named[i]->GetName(), CP_UTF8) << " covers " << NarrowText(named[j]->GetName(), CP_UTF8);
            }
        }
    }
}

TEST(ShippedSkins, LongestTextsStillFit) {
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"skin").c_str());
    CPaintManagerUI pm;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(L"status.xml", nullptr, nullptr, &pm);
    ASSERT_NE(root, nullptr);
    pm.AttachDialog(root);
    pm.UpdateLayout();
    auto* time = static_cast<CLabelUI*>(pm.FindControl(L"timeText")->GetInterface(L"Label"));
    EXPECT_TRUE(TextFits(pm, time, L"100:00:00")) << "a hundred hours";
    EXPECT_TRUE(TextFits(pm, time, L"88:88:88"));
    // The pen button also says when drawing is not possible.
    auto* pen = static_cast<CLabelUI*>(pm.FindControl(L"btnPen")->GetInterface(L"Label"));
    EXPECT_TRUE(TextFits(pm, pen, L"画笔不可用"));
}

TEST(ShippedSkins, RegionPicturesAreThirtyFiveByTwentyWithAlpha) {
    CPaintManagerUI::SetResourcePath((CPaintManagerUI::GetInstancePath() + L"skin").c_str());
    CPaintManagerUI pm;
    for (const wchar_t* file : {L"tick_nor.png", L"crose_nor.png"}) {
        const UiImage* image = pm.GetImage(file);
        ASSERT_NE(image, nullptr);
        ASSERT_NE(image->bitmap, nullptr) << NarrowText(file, CP_UTF8);
        EXPECT_EQ(image->width, 35);
        EXPECT_EQ(image->height, 20);
        Gdiplus::ARGB corner = 0;
        Gdiplus::ARGB middle = 0;
        auto* bitmap = static_cast<Gdiplus::GpBitmap*>(image->bitmap);
        Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, 0, 0, &corner);
        Gdiplus::DllExports::GdipBitmapGetPixel(bitmap, 2, 10, &middle);
        EXPECT_LT(corner >> 24, 0x80u) << "rounded corners are transparent";
        EXPECT_EQ(middle >> 24, 0xFFu);
    }
    EXPECT_EQ(pm.GetImage(L"no_such.png")->bitmap, nullptr);
}

// The pictures are decoded by the PNG decoder directly: every pixel of every
// shipped picture must be what GDI+'s own loader makes of the file.
TEST(ShippedSkins, DirectlyDecodedPicturesMatchGdiplusPixelForPixel) {
    using namespace Gdiplus::DllExports;
    const ScopedCom com;
    ASSERT_TRUE(com.ok());
    const std::wstring folder = CPaintManagerUI::GetInstancePath() + L"skin\\";
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW((folder + L"*.png").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int pictures = 0;
    do {
        const std::wstring path = folder + found.cFileName;
        SCOPED_TRACE(NarrowText(found.cFileName, CP_UTF8));
        auto* direct = static_cast<Gdiplus::GpBitmap*>(UiRender::DecodePngFile(path));
        Gdiplus::GpBitmap* reference = nullptr;
        ASSERT_NE(direct, nullptr);
        ASSERT_EQ(GdipCreateBitmapFromFile(path.c_str(), &reference), Gdiplus::Ok);
        UINT width = 0, height = 0, referenceWidth = 0, referenceHeight = 0;
        GdipGetImageWidth(direct, &width);
        GdipGetImageHeight(direct, &height);
        GdipGetImageWidth(reference, &referenceWidth);
        GdipGetImageHeight(reference, &referenceHeight);
        EXPECT_EQ(width, referenceWidth);
        EXPECT_EQ(height, referenceHeight);
        int differing = 0;
        for (UINT y = 0; y < height && y < referenceHeight; ++y) {
            for (UINT x = 0; x < width && x < referenceWidth; ++x) {
                Gdiplus::ARGB a = 0, b = 0;
                GdipBitmapGetPixel(direct, static_cast<INT>(x), static_cast<INT>(y), &a);
                GdipBitmapGetPixel(reference, static_cast<INT>(x), static_cast<INT>(y), &b);
                if (a != b) ++differing;
            }
        }
        EXPECT_EQ(differing, 0);
        GdipDisposeImage(direct);
        GdipDisposeImage(reference);
        ++pictures;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_GE(pictures, 10);
    // Anything but a PNG is left to GDI+.
    EXPECT_EQ(UiRender::DecodePngFile(folder + L"startup.xml"), nullptr);
    EXPECT_EQ(UiRender::DecodePngFile(folder + L"no_such.png"), nullptr);
}

}  // namespace

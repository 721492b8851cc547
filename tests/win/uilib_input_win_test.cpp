// Mouse and keyboard on the controls of a real window: notification order
// for options, option groups and check boxes, focus notifications, Tab
// order, Space and Enter, presses that do not click, and visible states.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "support/text_win.h"
#include "tests/win/ui_test_support.h"

namespace {

const char kInputSkin[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="320,200" caption="0,0,0,30">
  <VerticalLayout bkcolor="#FFFFFFFF">
    <HorizontalLayout height="30">
      <Label name="title" text="t"/>
      <Button name="b1" width="40" bkcolor="#FFFF0000" hotbkcolor="#FF00FF00" pushedbkcolor="#FF0000FF"
              disabledbkcolor="#FF808080" focusbordercolor="#FF000000"/>
    </HorizontalLayout>
    <HorizontalLayout height="40">
      <Option name="o1" group="g" width="60" selected="true" bkcolor="#FFFF0000" selectedbkcolor="#FFFFFF00"/>
      <Option name="o2" group="g" width="60" bkcolor="#FFFF0000" selectedbkcolor="#FFFFFF00"/>
      <Option name="check" width="60"/>
      <Button name="disabled" width="40" enabled="false"/>
    </HorizontalLayout>
    <HorizontalLayout name="hiddenRow" height="30" visible="false">
      <Button name="hiddenChild" width="40"/>
    </HorizontalLayout>
    <HorizontalLayout height="40">
      <Button name="b2" width="60"/>
      <Option name="p1" group="h" width="60"/>
      <Label name="lbl"/>
    </HorizontalLayout>
  </VerticalLayout>
</Window>
)";

class ControlInput : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write(L"input.xml", kInputSkin);
        frame = std::make_unique<TestFrame>(PlainDescription(L"input.xml"));
        ASSERT_NE(frame->Create(nullptr, L"input", WS_POPUP, 0, 100, 100, 0, 0), nullptr);
        ASSERT_TRUE(frame->SkinReady()) << NarrowText(frame->SkinProblem(), CP_UTF8);
        frame->ShowWindow(true, false);
        PumpMessages();
        pm().UpdateLayout();
        frame->log.clear();
    }
    void TearDown() override {
        frame.reset();
        PumpMessages();
    }
    CPaintManagerUI& pm() { return frame->PaintManager(); }
    CControlUI* C(const wchar_t* name) { return pm().FindControl(name); }
    COptionUI* O(const wchar_t* name) { return static_cast<COptionUI*>(C(name)->GetInterface(L"Option")); }
    void Click(const wchar_t* name) { ClickAt(frame->GetHWND(), CenterOf(C(name))); }
    void Key(WPARAM vk, LPARAM flags = 0) { ::SendMessageW(frame->GetHWND(), WM_KEYDOWN, vk, 1 | flags); }
    size_t IndexOf(const std::wstring& entry) {
        auto it = std::find(frame->log.begin(), frame->log.end(), entry);
        return static_cast<size_t>(it - frame->log.begin());
    }
    size_t CountOf(const std::wstring& entry) {
        return static_cast<size_t>(std::count(frame->log.begin(), frame->log.end(), entry));
    }

    SkinFolder folder;
    std::unique_ptr<TestFrame> frame;
};

TEST_F(ControlInput, OptionClickIsNotifiedBeforeItsSelectionChanges) {
    Click(L"o2");
    ASSERT_EQ(frame->selectedAtClick.size(), 1u);
    EXPECT_FALSE(frame->selectedAtClick[0]) << "the click sees the state before the click";
    EXPECT_TRUE(O(L"o2")->IsSelected());
    EXPECT_FALSE(O(L"o1")->IsSelected()) << "one selection per group";
    EXPECT_LT(IndexOf(L"setfocus:o2"), IndexOf(L"click:o2"));
    EXPECT_LT(IndexOf(L"click:o2"), IndexOf(L"selectchanged:o2"));
    EXPECT_LT(IndexOf(L"click:o2"), IndexOf(L"selectchanged:o1"));

    // A selected option in a group stays selected when clicked again.
    frame->log.clear();
    Click(L"o2");
    ASSERT_EQ(frame->selectedAtClick.size(), 2u);
    EXPECT_TRUE(frame->selectedAtClick[1]);
    EXPECT_TRUE(O(L"o2")->IsSelected());
    EXPECT_EQ(CountOf(L"selectchanged:o2"), 0u);

    // Another group is not touched.
    Click(L"p1");
    EXPECT_TRUE(O(L"p1")->IsSelected());
    EXPECT_TRUE(O(L"o2")->IsSelected());
}

TEST_F(ControlInput, OptionWithoutGroupTogglesLikeACheckBox) {
    Click(L"check");
    Click(L"check");
    Click(L"check");
    ASSERT_EQ(frame->selectedAtClick.size(), 3u);
    EXPECT_FALSE(frame->selectedAtClick[0]);
    EXPECT_TRUE(frame->selectedAtClick[1]);
    EXPECT_FALSE(frame->selectedAtClick[2]);
    EXPECT_TRUE(O(L"check")->IsSelected());
    EXPECT_TRUE(O(L"o1")->IsSelected()) << "a check box is in no group";
}

TEST_F(ControlInput, FocusGivenToItsHolderRaisesNoNewSetFocus) {
    C(L"b1")->SetFocus();
    C(L"b1")->SetFocus();
    pm().SetFocus(C(L"b1"));
    EXPECT_EQ(CountOf(L"setfocus:b1"), 1u);
    EXPECT_EQ(pm().GetFocus(), C(L"b1"));

    // A window that pulls the focus back to one button whenever any control
    // takes it (as the after-recording window does) does not loop, and the
    // press on the other button still clicks.
    frame->onNotify = [this](TNotifyUI& msg) {
        if (msg.sType == L"setfocus") C(L"b1")->SetFocus();
    };
    frame->log.clear();
    Click(L"b2");
    EXPECT_EQ(pm().GetFocus(), C(L"b1"));
    EXPECT_EQ(CountOf(L"setfocus:b2"), 1u);
    EXPECT_EQ(CountOf(L"setfocus:b1"), 1u);
    EXPECT_EQ(CountOf(L"click:b2"), 1u);
    EXPECT_LT(frame->log.size(), 10u);
}

TEST_F(ControlInput, TabVisitsVisibleEnabledButtonsAndOptionsInOrder) {
    std::vector<std::wstring> order;
    for (int i = 0; i < 7; ++i) {
        Key(VK_TAB);
        order.push_back(pm().GetFocus() != nullptr ? pm().GetFocus()->GetName() : L"-");
    }
    EXPECT_EQ(order, (std::vector<std::wstring>{L"b1", L"o1", L"o2", L"check", L"b2", L"p1", L"b1"}));

    // Shift+Tab goes back (the key state is the thread's own).
    BYTE keys[256] = {};
    ASSERT_TRUE(::GetKeyboardState(keys));
    BYTE shifted[256];
    std::copy(std::begin(keys), std::end(keys), std::begin(shifted));
    shifted[VK_SHIFT] = 0x80;
    ::SetKeyboardState(shifted);
    Key(VK_TAB);
    EXPECT_EQ(pm().GetFocus(), C(L"p1"));
    Key(VK_TAB);
    EXPECT_EQ(pm().GetFocus(), C(L"b2"));
    ::SetKeyboardState(keys);

    // Shown and disabled controls join and leave the order.
    C(L"hiddenRow")->SetVisible(true);
    C(L"o2")->SetEnabled(false);
    pm().SetFocus(C(L"o1"));
    Key(VK_TAB);
    EXPECT_EQ(pm().GetFocus(), C(L"check"));
    Key(VK_TAB);
    EXPECT_EQ(pm().GetFocus(), C(L"hiddenChild"));
}

TEST_F(ControlInput, SpaceAndEnterPressTheFocusedControlOncePerStroke) {
    C(L"b2")->SetFocus();
    Key(VK_SPACE);
    Key(VK_RETURN);
    Key(VK_SPACE, 0x40000000);  // auto-repeat
    EXPECT_EQ(CountOf(L"click:b2"), 2u);

    C(L"o2")->SetFocus();
    Key(VK_SPACE);
    EXPECT_TRUE(O(L"o2")->IsSelected());
    ASSERT_EQ(frame->selectedAtClick.size(), 1u);
    EXPECT_FALSE(frame->selectedAtClick[0]);

    C(L"b2")->SetFocus();
    C(L"b2")->SetEnabled(false);
    frame->log.clear();
    Key(VK_SPACE);
    Key(VK_RETURN);
    EXPECT_EQ(CountOf(L"click:b2"), 0u) << "a disabled control is not pressed";
}

TEST_F(ControlInput, PressesThatDoNotEndOnTheControlDoNotClick) {
    HWND hwnd = frame->GetHWND();
    POINT b1 = CenterOf(C(L"b1"));
    POINT label = CenterOf(C(L"lbl"));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(b1));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON, PointParam(label));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(label));
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(label));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(b1));
    Click(L"disabled");
    Click(L"lbl");
    Click(L"title");
    EXPECT_EQ(CountOf(L"click:b1"), 0u);
    EXPECT_EQ(CountOf(L"click:disabled"), 0u);
    EXPECT_EQ(CountOf(L"setfocus:disabled"), 0u);
    EXPECT_EQ(std::count_if(frame->log.begin(), frame->log.end(),
                            [](const std::wstring& e) { return e.rfind(L"click:", 0) == 0; }),
              0);
    EXPECT_FALSE(static_cast<CButtonUI*>(C(L"b1")->GetInterface(L"Button"))->IsPushed());
}

// The colour the control tree paints at a client point.
COLORREF PaintedAt(CPaintManagerUI& pm, POINT pt) {
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 320, 200);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    RECT all{0, 0, 320, 200};
    pm.GetRoot()->DoPaint(dc, all);
    COLORREF color = ::GetPixel(dc, pt.x, pt.y);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return color;
}

TEST_F(ControlInput, HotPushedSelectedDisabledAndFocusedLookDifferent) {
    HWND hwnd = frame->GetHWND();
    POINT b1 = CenterOf(C(L"b1"));
    POINT away = CenterOf(C(L"lbl"));
    EXPECT_EQ(PaintedAt(pm(), b1), RGB(255, 0, 0)) << "normal";
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointParam(b1));
    EXPECT_EQ(PaintedAt(pm(), b1), RGB(0, 255, 0)) << "hot";
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(b1));
    EXPECT_EQ(PaintedAt(pm(), b1), RGB(0, 0, 255)) << "pushed";
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, PointParam(b1));
    ::SendMessageW(hwnd, WM_MOUSEMOVE, 0, PointParam(away));
    EXPECT_EQ(PaintedAt(pm(), b1), RGB(255, 0, 0)) << "normal again";

    // The focus ring shows after keyboard use, at the control's edge.
    pm().SetFocus(nullptr);
    Key(VK_TAB);
    ASSERT_EQ(pm().GetFocus(), C(L"b1"));
    const RECT& r = C(L"b1")->GetPos();
    EXPECT_EQ(PaintedAt(pm(), POINT{r.left, (r.top + r.bottom) / 2}), RGB(0, 0, 0)) << "focused";

    C(L"b1")->SetEnabled(false);
    EXPECT_EQ(PaintedAt(pm(), b1), RGB(128, 128, 128)) << "disabled";

    EXPECT_EQ(PaintedAt(pm(), CenterOf(C(L"o1"))), RGB(255, 255, 0)) << "selected";
    EXPECT_EQ(PaintedAt(pm(), CenterOf(C(L"o2"))), RGB(255, 0, 0)) << "not selected";
}

TEST_F(ControlInput, TheWindowShowsWhatTheTreePaints) {
    HWND hwnd = frame->GetHWND();
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::UpdateWindow(hwnd);
    PumpMessages();
    HDC dc = ::GetDC(hwnd);
    COLORREF option = ::GetPixel(dc, CenterOf(C(L"o1")).x, CenterOf(C(L"o1")).y);
    COLORREF background = ::GetPixel(dc, CenterOf(C(L"lbl")).x, CenterOf(C(L"lbl")).y);
    ::ReleaseDC(hwnd, dc);
    EXPECT_EQ(option, RGB(255, 255, 0));
    EXPECT_EQ(background, RGB(255, 255, 255));
}

}  // namespace

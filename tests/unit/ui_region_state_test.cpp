// The region selector's state machine: every mouse, key and button path, and
// what each asks of the windows.
#include <gtest/gtest.h>

#include "ui/region_state.h"

namespace {

using Outcome = SelectorAction::Outcome;

class SelectionModelTest : public testing::Test {
protected:
    void SetUp() override {
        model.SetScreenSize(1920, 1080);
        model.Show();
    }
    // Drags out a rectangle from (x0, y0) to (x1, y1) and lets go.
    void Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        model.LeftButtonDown(x0, y0);
        model.MouseMove((x0 + x1) / 2, (y0 + y1) / 2);
        model.LeftButtonUp(x1, y1);
    }
    // Cancel through the command the Escape key and the right click send.
    SelectorAction FollowCancel(const SelectorAction& a) {
        EXPECT_TRUE(a.sendCancel);
        return model.Cancel(0);
    }
    SelectionModel model;
};

TEST_F(SelectionModelTest, DragFromBottomRightToTopLeftGivesTheNormalizedRectangle) {
    EXPECT_EQ(model.state(), StateWaiting);
    SelectorAction a = model.LeftButtonDown(500, 400);
    EXPECT_TRUE(a.handled);
    EXPECT_EQ(model.state(), StateDragging);
    EXPECT_EQ(model.rect(), (Rect{500, 400, 500, 400}));

    a = model.MouseMove(300, 200);
    EXPECT_TRUE(a.invalidate);
    EXPECT_EQ(model.rect(), (Rect{500, 400, 300, 200}));  // the free corner follows

    a = model.LeftButtonUp(100, 100);
    EXPECT_TRUE(a.invalidate);
    EXPECT_EQ(model.state(), StateChosen);
    EXPECT_EQ(model.rect(), (Rect{100, 100, 500, 400}));
    EXPECT_EQ(model.buttons(), (Point{430, 405}));
    EXPECT_TRUE(model.ButtonsShown());

    a = model.Confirm(0);
    EXPECT_EQ(a.outcome, Outcome::Confirmed);
    EXPECT_EQ(model.state(), StateHidden);
    EXPECT_EQ(model.rect(), (Rect{100, 100, 500, 400}));
    EXPECT_TRUE(a.invalidate);
    EXPECT_EQ(a.cursor, ZoneCursor::Cross);
}

TEST_F(SelectionModelTest, AClickWithoutMovementGivesAnEmptyRectangleThatOkPassesOn) {
    model.LeftButtonDown(640, 360);
    model.LeftButtonUp(640, 360);
    EXPECT_EQ(model.state(), StateChosen);
    const SelectorAction a = model.Confirm(0);
    EXPECT_EQ(a.outcome, Outcome::Confirmed);
    EXPECT_EQ(model.rect(), (Rect{640, 360, 640, 360}));
}

// Escape and the system's close (Alt+F4) both cancel; neither may end the program.
TEST_F(SelectionModelTest, EscapeAndTheSystemCloseCancelInEveryVisibleState) {
    for (const bool systemClose : {false, true}) {
        SCOPED_TRACE(systemClose ? "system close" : "Escape");
        auto trigger = [&] { return systemClose ? model.CloseRequested() : model.EscapeUp(); };
        model.Show();
        // Waiting
        SelectorAction a = FollowCancel(trigger());
        EXPECT_EQ(a.outcome, Outcome::Cancelled);
        EXPECT_EQ(model.state(), StateHidden);

        // Dragging
        model.Show();
        model.LeftButtonDown(10, 10);
        model.MouseMove(50, 50);
        a = FollowCancel(trigger());
        EXPECT_EQ(a.outcome, Outcome::Cancelled);
        EXPECT_EQ(model.state(), StateHidden);

        // Chosen
        model.Show();
        Drag(10, 10, 200, 200);
        a = FollowCancel(trigger());
        EXPECT_EQ(a.outcome, Outcome::Cancelled);
        EXPECT_EQ(model.state(), StateHidden);

        // Adjusting (moving)
        model.Show();
        Drag(10, 10, 200, 200);
        model.LeftButtonDown(100, 100);
        EXPECT_EQ(model.state(), StateAdjusting + EdgeAll);
        a = FollowCancel(trigger());
        EXPECT_EQ(a.outcome, Outcome::Cancelled);
        EXPECT_EQ(model.state(), StateHidden);
        EXPECT_FALSE(model.ShowsRectangle());

        // The mouse button let go after the cancel changes nothing.
        a = model.LeftButtonUp(300, 300);
        EXPECT_FALSE(a.handled);
        EXPECT_EQ(model.state(), StateHidden);

        // Hidden: the close asks for nothing.
        EXPECT_FALSE(model.CloseRequested().sendCancel);
    }
}

TEST_F(SelectionModelTest, RightClickCancelsBeforeDrawingAndStartsOverOnAChosenRectangle) {
    Drag(100, 100, 400, 300);
    SelectorAction a = model.RightButtonUp(200, 200);
    EXPECT_EQ(a.outcome, Outcome::None);
    EXPECT_FALSE(a.sendCancel);
    EXPECT_TRUE(a.hideButtons);
    EXPECT_TRUE(a.invalidate);
    EXPECT_EQ(a.cursor, ZoneCursor::Cross);
    EXPECT_EQ(model.state(), StateWaiting);
    EXPECT_TRUE(model.DrawnBounds() == Rect{});  // the old rectangle is no longer drawn

    // Now nothing is drawn: the next right click cancels.
    a = FollowCancel(model.RightButtonUp(200, 200));
    EXPECT_EQ(a.outcome, Outcome::Cancelled);

    // While the left button is down the right button does nothing.
    model.Show();
    model.LeftButtonDown(10, 10);
    EXPECT_FALSE(model.RightButtonUp(20, 20).handled);
    EXPECT_EQ(model.state(), StateDragging);
}

TEST_F(SelectionModelTest, OkOnlyConfirmsAChosenRectangleAndOnlyForAClick) {
    EXPECT_EQ(model.Confirm(0).outcome, Outcome::None);  // Waiting: nothing to confirm
    EXPECT_EQ(model.state(), StateWaiting);

    Drag(100, 100, 400, 300);
    // Other button notifications (a double click, say) are not a click.
    EXPECT_EQ(model.Confirm(5).outcome, Outcome::None);
    EXPECT_EQ(model.Cancel(5).outcome, Outcome::None);
    EXPECT_EQ(model.state(), StateChosen);

    // Cancel also hides from Chosen.
    const SelectorAction a = model.Cancel(0);
    EXPECT_EQ(a.outcome, Outcome::Cancelled);
    EXPECT_EQ(model.state(), StateHidden);
    EXPECT_EQ(model.Confirm(0).outcome, Outcome::None);
}

TEST_F(SelectionModelTest, ResizeAndMoveFromTheChosenState) {
    Drag(100, 100, 500, 400);

    // Hovering shows the zone's cursor and changes nothing else.
    SelectorAction a = model.MouseMove(500, 250);
    EXPECT_EQ(a.cursor, ZoneCursor::SizeWE);
    EXPECT_FALSE(a.invalidate);
    EXPECT_EQ(model.MouseMove(300, 250).cursor, ZoneCursor::SizeAll);
    EXPECT_EQ(model.MouseMove(800, 800).cursor, ZoneCursor::Arrow);

    // A press outside the rectangle changes nothing.
    EXPECT_FALSE(model.LeftButtonDown(800, 800).handled);
    EXPECT_EQ(model.state(), StateChosen);

    // Resize by the right edge, past the left one: swapped back on release.
    a = model.LeftButtonDown(502, 250);
    EXPECT_TRUE(a.hideButtons);
    EXPECT_EQ(model.state(), StateAdjusting + EdgeRight);
    EXPECT_EQ(model.last(), (Point{502, 250}));
    model.MouseMove(302, 260);
    EXPECT_EQ(model.rect(), (Rect{100, 100, 300, 400}));
    model.LeftButtonUp(52, 270);
    EXPECT_EQ(model.state(), StateChosen);
    EXPECT_EQ(model.rect(), (Rect{50, 100, 100, 400}));
    EXPECT_EQ(model.buttons(), (Point{30, 405}));

    // Move by the inside against the top-left corner: the size is kept.
    model.LeftButtonDown(75, 250);
    EXPECT_EQ(model.state(), StateAdjusting + EdgeAll);
    a = model.MouseMove(0, 0);
    EXPECT_TRUE(a.invalidate);
    model.LeftButtonUp(-10, -10);
    EXPECT_EQ(model.rect(), (Rect{0, 0, 50, 300}));
    EXPECT_EQ(model.buttons(), (Point{0, 305}));

    // A corner handle resizes two edges at once.
    model.LeftButtonDown(50, 300);
    EXPECT_EQ(model.state(), StateAdjusting + (EdgeRight | EdgeBottom));
    model.LeftButtonUp(250, 500);
    EXPECT_EQ(model.rect(), (Rect{0, 0, 250, 500}));
}

TEST_F(SelectionModelTest, MessagesOutsideTheirStatesGoToDefaultProcessing) {
    EXPECT_FALSE(model.MouseMove(10, 10).handled);   // Waiting
    EXPECT_FALSE(model.LeftButtonUp(10, 10).handled);
    model.Hide();
    EXPECT_EQ(model.state(), StateHidden);
    EXPECT_FALSE(model.MouseMove(10, 10).handled);
    EXPECT_FALSE(model.LeftButtonDown(10, 10).handled);
    EXPECT_FALSE(model.RightButtonUp(10, 10).handled);
    EXPECT_EQ(model.state(), StateHidden);
    EXPECT_EQ(model.mouse(), (Point{10, 10}));  // the point is recorded all the same
}

TEST_F(SelectionModelTest, DrawnBoundsFollowTheStates) {
    EXPECT_TRUE(IsEmptyRect(model.DrawnBounds()));
    model.LeftButtonDown(100, 100);
    model.MouseMove(50, 80);
    EXPECT_EQ(model.DrawnBounds(), (Rect{44, 74, 106, 106}));
    model.LeftButtonUp(50, 80);
    EXPECT_EQ(model.DrawnBounds(), (Rect{44, 74, 106, 106}));
    EXPECT_EQ(model.DrawnInside(), (Rect{56, 86, 94, 94}));
    model.Hide();
    EXPECT_TRUE(IsEmptyRect(model.DrawnBounds()));
    EXPECT_TRUE(IsEmptyRect(model.DrawnInside()));
}

}  // namespace

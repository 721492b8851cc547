// Transitions of the region selector: Hidden, Waiting, Dragging, Chosen and
// Adjusting (16 + the grabbed edges).
#include "ui/region_state.h"

namespace {

SelectorAction Unhandled() {
    SelectorAction a;
    a.handled = false;
    return a;
}

SelectorAction Repaint() {
    SelectorAction a;
    a.invalidate = true;
    return a;
}

}  // namespace

void SelectionModel::SetScreenSize(int32_t width, int32_t height) {
    m_screenWidth = width;
    m_screenHeight = height;
}

SelectorAction SelectionModel::Show() {
    m_state = StateWaiting;
    SelectorAction a = Repaint();
    a.cursor = ZoneCursor::Cross;
    return a;
}

SelectorAction SelectionModel::Hide() {
    m_state = StateHidden;
    SelectorAction a = Repaint();
    a.cursor = ZoneCursor::Cross;
    return a;
}

SelectorAction SelectionModel::MouseMove(int32_t x, int32_t y) {
    m_mouse = Point{x, y};
    if (m_state == StateChosen) {
        SelectorAction a;
        a.cursor = CursorForZone(HitTestEdges(m_rect, x, y));
        return a;
    }
    if (m_state == StateDragging) {
        m_rect.right = x;
        m_rect.bottom = y;
        return Repaint();
    }
    if (IsAdjusting()) {
        ApplyDrag(m_rect, m_state - StateAdjusting, m_last, m_mouse, m_screenWidth, m_screenHeight);
        return Repaint();
    }
    return Unhandled();
}

SelectorAction SelectionModel::LeftButtonDown(int32_t x, int32_t y) {
    m_mouse = Point{x, y};
    if (m_state == StateWaiting) {
        m_rect = Rect{x, y, x, y};
        m_state = StateDragging;
        return SelectorAction{};
    }
    if (m_state == StateChosen) {
        const int32_t zone = HitTestEdges(m_rect, x, y);
        if (zone == EdgeNone) return Unhandled();
        m_last = m_mouse;
        m_state = StateAdjusting + zone;
        SelectorAction a;
        a.hideButtons = true;
        return a;
    }
    return Unhandled();
}

SelectorAction SelectionModel::LeftButtonUp(int32_t x, int32_t y) {
    m_mouse = Point{x, y};
    if (m_state == StateDragging) {
        m_rect.right = x;
        m_rect.bottom = y;
        return FinishDrag();
    }
    if (IsAdjusting()) {
        ApplyDrag(m_rect, m_state - StateAdjusting, m_last, m_mouse, m_screenWidth, m_screenHeight);
        return FinishDrag();
    }
    return Unhandled();
}

SelectorAction SelectionModel::FinishDrag() {
    if (m_monitors.empty()) {
        m_buttons = PlaceButtons(m_rect, m_screenWidth, m_screenHeight);
    } else {
        NormalizeRect(m_rect);
        m_buttons = PlaceButtonsOn(m_rect, m_monitors[MonitorForRect(m_monitors, m_rect)]);
    }
    m_state = StateChosen;
    return Repaint();
}

SelectorAction SelectionModel::RightButtonUp(int32_t x, int32_t y) {
    (void)x;
    (void)y;
    if (m_state == StateWaiting) {
        SelectorAction a;
        a.sendCancel = true;
        return a;
    }
    if (m_state == StateChosen) {
        m_state = StateWaiting;
        SelectorAction a = Repaint();
        a.cursor = ZoneCursor::Cross;
        a.hideButtons = true;
        return a;
    }
    return Unhandled();
}

SelectorAction SelectionModel::EscapeUp() {
    SelectorAction a;
    a.sendCancel = true;
    return a;
}

SelectorAction SelectionModel::CloseRequested() {
    SelectorAction a;
    a.sendCancel = m_state != StateHidden;
    return a;
}

SelectorAction SelectionModel::Cancel(int32_t notifyCode) {
    if (notifyCode != 0) return SelectorAction{};
    SelectorAction a = Hide();
    a.outcome = SelectorAction::Outcome::Cancelled;
    return a;
}

SelectorAction SelectionModel::Confirm(int32_t notifyCode) {
    if (notifyCode != 0 || m_state != StateChosen) return SelectorAction{};
    SelectorAction a = Hide();
    a.outcome = SelectorAction::Outcome::Confirmed;
    return a;
}

Rect SelectionModel::DrawnBounds() const {
    if (!ShowsRectangle()) return Rect{};
    return PaintBounds(m_rect);
}

Rect SelectionModel::DrawnInside() const {
    if (!ShowsRectangle()) return Rect{};
    return InnerArea(m_rect);
}

#include "canvas/DrawingArea.h"

namespace UI {

DrawingArea::DrawingArea(QWidget* parent)
    : QFrame(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

QPoint DrawingArea::leftCenter() const
{
    return mapToGlobal(QPoint(0, height() / 2));
}

QPoint DrawingArea::rightCenter() const
{
    return mapToGlobal(QPoint(width(), height() / 2));
}

void DrawingArea::triggerLeftAndRightCenterMoved()
{
    emit leftAndRightCenterMoved(leftCenter(), rightCenter());
}

void DrawingArea::triggerTopLeftMoved()
{
    emit topLeftMoved();
}

void DrawingArea::moveEvent(QMoveEvent* event)
{
    QFrame::moveEvent(event);
    triggerLeftAndRightCenterMoved();
    triggerTopLeftMoved();
}

void DrawingArea::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    triggerLeftAndRightCenterMoved();
}

} // namespace UI

#pragma once

#include <QPointF>
#include <QtGlobal>

namespace UI {

// One sample of the device that holds the press, as the canvas routes it to
// the gesture of the current tool: widget position (logical pixels), pen
// pressure (0.5 for the mouse), the event's time stamp and modifiers, and
// where the press began.
struct PaperPointer
{
    QPointF position;
    double pressure = 0.5;
    quint64 timestamp = 0;
    Qt::KeyboardModifiers modifiers;
    QPointF pressPosition;
};

} // namespace UI

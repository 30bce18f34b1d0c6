#pragma once

#include <QPointF>
#include <QtGlobal>

namespace UI {

// One sample of the device that holds the press, as the canvas routes it to
// a gesture: widget position (logical pixels), pen pressure (0.5 for the
// mouse), the event's time stamp and modifiers, and where the press began.
struct PaperPointer
{
    QPointF position;
    double pressure = 0.5;
    quint64 timestamp = 0;
    Qt::KeyboardModifiers modifiers;
    QPointF pressPosition;
};

// A drag gesture of a tool that is not built into the canvas (scrubbing,
// pen adjustment). The canvas owns it once installed for a tool type
// (UI::Paper::installGesture) and calls it from its input routing: press,
// move and release while its tool is current, and activate when its tool
// becomes current. The pen adjustment's press comes from a pen or eraser
// press with Alt held, before its tool is current.
class PaperGesture
{
public:
    virtual ~PaperGesture();
    virtual void press(const UI::PaperPointer& pointer) = 0;
    virtual void move(const UI::PaperPointer& pointer) = 0;
    virtual void release(const UI::PaperPointer& pointer) = 0;
    virtual void activate() {}
};

} // namespace UI

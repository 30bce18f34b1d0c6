#pragma once

// Mouse events sent straight to a widget. Routed through the window, a test
// event lands wherever the window system's own pointer picks under load, and
// moves carry no buttons or modifiers of the test's choosing.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace MouseEvents {

// The source tells a real mouse from the copy the system makes of a pen.
inline void send(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButtons buttons = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                 Qt::MouseEventSource source = Qt::MouseEventNotSynthesized)
{
    static quint64 clock = 0;
    Qt::MouseButton const button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    if (type == QEvent::MouseButtonRelease)
        buttons &= ~Qt::LeftButton;
    QPointF const global = widget->mapToGlobal(QPointF(pos));
    QMouseEvent event(type, QPointF(pos), global, global, button, buttons, modifiers, source);
    event.setTimestamp(clock += 20);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* widget, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    send(widget, QEvent::MouseButtonPress, pos, Qt::LeftButton, modifiers);
}

// A move with the left button held.
inline void dragTo(QWidget* widget, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    send(widget, QEvent::MouseMove, pos, Qt::LeftButton, modifiers);
}

// A move with no button held.
inline void hover(QWidget* widget, QPoint pos)
{
    send(widget, QEvent::MouseMove, pos, Qt::NoButton);
}

inline void release(QWidget* widget, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    send(widget, QEvent::MouseButtonRelease, pos, Qt::LeftButton, modifiers);
}

inline void click(QWidget* widget, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    press(widget, pos, modifiers);
    release(widget, pos, modifiers);
}

// Press, a first step past the start distance, the target, release there.
inline void drag(QWidget* widget, QPoint from, QPoint to)
{
    press(widget, from);
    dragTo(widget, from + QPoint(0, to.y() >= from.y() ? 6 : -6));
    dragTo(widget, to);
    release(widget, to);
}

} // namespace MouseEvents

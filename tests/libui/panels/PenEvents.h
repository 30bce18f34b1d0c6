#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QWidget>

// Synthesised pen and mouse input with chosen time stamps, for widgets that
// drop a press arriving within 10 ms of the last one they handled.
namespace PenEvents {

inline const QPointingDevice* stylus()
{
    static const QPointingDevice device(
        QStringLiteral("test stylus"), 4242, QInputDevice::DeviceType::Stylus,
        QPointingDevice::PointerType::Pen,
        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 3);
    return &device;
}

// Sends a tablet event and tells whether the widget accepted it.
inline bool tablet(QWidget* w, QEvent::Type type, QPoint pos, quint64 timestamp)
{
    const Qt::MouseButton button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons =
        type == QEvent::TabletRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QTabletEvent event(type, stylus(), QPointF(pos), QPointF(w->mapToGlobal(pos)), 0.5, 0, 0, 0,
                       0, 0, Qt::NoModifier, button, buttons);
    event.setTimestamp(timestamp);
    event.setAccepted(false);
    QApplication::sendEvent(w, &event);
    return event.isAccepted();
}

inline void mouse(QWidget* w, QEvent::Type type, QPoint pos, quint64 timestamp)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent event(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    event.setTimestamp(timestamp);
    QApplication::sendEvent(w, &event);
}

// A press, moves to each point and a release at the last one, 20 ms apart.
inline void drag(QWidget* w, bool pen, QPoint from, QPoint to, quint64& clock)
{
    const auto send = [&](int kind, QPoint pos) {
        clock += 20;
        static const QEvent::Type tabletTypes[] = {QEvent::TabletPress, QEvent::TabletMove,
                                                   QEvent::TabletRelease};
        static const QEvent::Type mouseTypes[] = {QEvent::MouseButtonPress, QEvent::MouseMove,
                                                  QEvent::MouseButtonRelease};
        if (pen)
            tablet(w, tabletTypes[kind], pos, clock);
        else
            mouse(w, mouseTypes[kind], pos, clock);
    };
    send(0, from);
    send(1, (from + to) / 2);
    send(1, to);
    send(2, to);
}

} // namespace PenEvents

#pragma once

// Synthesised pointer input for the canvas: tablet events of a pen or an
// eraser with pressure and time stamps, and mouse events with time stamps,
// sent through the application as the window system would deliver them.

#include "PaperFixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>

namespace PaperFixture {

inline const QPointingDevice* tabletDevice(QPointingDevice::PointerType type)
{
    static QPointingDevice pen(QStringLiteral("test pen"), 1001, QInputDevice::DeviceType::Stylus,
                               QPointingDevice::PointerType::Pen,
                               QInputDevice::Capability::Position
                                   | QInputDevice::Capability::Pressure,
                               1, 2);
    static QPointingDevice eraser(QStringLiteral("test eraser"), 1002,
                                  QInputDevice::DeviceType::Stylus,
                                  QPointingDevice::PointerType::Eraser,
                                  QInputDevice::Capability::Position
                                      | QInputDevice::Capability::Pressure,
                                  1, 2);
    return type == QPointingDevice::PointerType::Eraser ? &eraser : &pen;
}

// Time stamps far from zero, so that no press counts as the second tap of
// one at time 0.
struct Clock
{
    quint64 now = 1000000;
    quint64 advance(quint64 ms)
    {
        now += ms;
        return now;
    }
};

struct Pointer
{
    QWidget* widget;
    Clock& clock;
    const QPointingDevice* device = tabletDevice(QPointingDevice::PointerType::Pen);

    bool tablet(QEvent::Type type, const QPointF& at, double pressure,
                Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons buttons = Qt::LeftButton,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier, quint64 step = 5)
    {
        QTabletEvent event(type, device, at, widget->mapToGlobal(at), pressure, 0, 0, 0, 0, 0,
                           modifiers, button, buttons);
        event.setTimestamp(clock.advance(step));
        QApplication::sendEvent(widget, &event);
        return event.isAccepted();
    }
    bool hover(const QPointF& at)
    {
        return tablet(QEvent::TabletMove, at, 0.0, Qt::NoButton, Qt::NoButton);
    }
    bool press(const QPointF& at, double pressure = 0.6,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        return tablet(QEvent::TabletPress, at, pressure, Qt::LeftButton, Qt::LeftButton, modifiers);
    }
    bool move(const QPointF& at, double pressure = 0.6)
    {
        return tablet(QEvent::TabletMove, at, pressure);
    }
    bool release(const QPointF& at)
    {
        return tablet(QEvent::TabletRelease, at, 0.0, Qt::LeftButton, Qt::NoButton);
    }
    // Press, moves with the event loop running between them, release.
    void drag(const QList<QPointF>& path, int waitMs = 0)
    {
        press(path.first());
        for (qsizetype i = 1; i < path.size(); ++i) {
            move(path.at(i));
            if (waitMs > 0)
                QTest::qWait(waitMs);
        }
        release(path.last());
    }

    bool mouse(QEvent::Type type, const QPointF& at, Qt::MouseButton button,
               Qt::MouseButtons buttons, quint64 step = 5,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QMouseEvent event(type, at, widget->mapToGlobal(at), button, buttons, modifiers);
        event.setTimestamp(clock.advance(step));
        QApplication::sendEvent(widget, &event);
        return event.isAccepted();
    }
    void mouseDrag(const QList<QPointF>& path, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        mouse(QEvent::MouseButtonPress, path.first(), Qt::LeftButton, Qt::LeftButton, 5, modifiers);
        for (qsizetype i = 1; i < path.size(); ++i)
            mouse(QEvent::MouseMove, path.at(i), Qt::NoButton, Qt::LeftButton, 5, modifiers);
        mouse(QEvent::MouseButtonRelease, path.last(), Qt::LeftButton, Qt::NoButton, 5, modifiers);
    }
};

} // namespace PaperFixture

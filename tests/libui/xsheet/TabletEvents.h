#pragma once

// Pen events for widget tests: a pen and an eraser device, and tablet
// events sent straight to a widget.

#include <QApplication>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QWidget>

namespace TabletEvents {

inline QPointingDevice const* device(QPointingDevice::PointerType type)
{
    static QPointingDevice const pen(QStringLiteral("test pen"), 9001, QInputDevice::DeviceType::Stylus,
                                     QPointingDevice::PointerType::Pen,
                                     QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                                     1, 2);
    static QPointingDevice const eraser(QStringLiteral("test eraser"), 9001, QInputDevice::DeviceType::Stylus,
                                        QPointingDevice::PointerType::Eraser,
                                        QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                                        1, 2);
    return type == QPointingDevice::PointerType::Eraser ? &eraser : &pen;
}

// Sends the event and tells whether the widget accepted it.
inline bool send(QWidget* widget, QEvent::Type type, QPointF pos,
                 QPointingDevice::PointerType pointer = QPointingDevice::PointerType::Pen,
                 double pressure = 0.6)
{
    Qt::MouseButton const button = type == QEvent::TabletMove ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButtons const buttons = type == QEvent::TabletRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QTabletEvent event(type, device(pointer), pos, widget->mapToGlobal(pos), pressure, 0, 0, 0, 0, 0,
                       Qt::NoModifier, button, buttons);
    event.setAccepted(false);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

} // namespace TabletEvents

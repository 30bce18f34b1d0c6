#include "common/PenAsMouse.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>

namespace UI::PenAsMouse {

void deliver(QTabletEvent* event, const Handler& press, const Handler& move,
             const Handler& release)
{
    QEvent::Type type;
    const Handler* handler;
    switch (event->type()) {
    case QEvent::TabletPress:
        type = QEvent::MouseButtonPress;
        handler = &press;
        break;
    case QEvent::TabletMove:
        type = QEvent::MouseMove;
        handler = &move;
        break;
    case QEvent::TabletRelease:
        type = QEvent::MouseButtonRelease;
        handler = &release;
        break;
    default:
        event->ignore();
        return;
    }
    QMouseEvent mouse(type, event->position(), event->position(), QCursor::pos(), event->button(),
                      event->buttons(), event->modifiers(), Qt::MouseEventSynthesizedByApplication,
                      QPointingDevice::primaryPointingDevice());
    mouse.setTimestamp(event->timestamp());
    mouse.setAccepted(false);
    (*handler)(&mouse);
    event->setAccepted(mouse.isAccepted());
}

} // namespace UI::PenAsMouse

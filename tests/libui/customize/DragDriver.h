#pragma once

#include "customize/ActionDrag.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QWidget>

// Drives drags with synthetic drag events in place of the platform's drag
// loop, which blocks without a window manager.
namespace DragDriver {

// One stop of the pointer: a widget (null: outside every widget) and a point
// in it.
struct Hop
{
    QWidget* target;
    QPoint pos;
};

// Carries the data over the hops (enter, move, leave when moving on) and
// drops at the last one unless `drop` is false; gives the action the drop
// was accepted with, or IgnoreAction.
inline Qt::DropAction deliver(const QMimeData* data, Qt::DropActions actions,
                              const QList<Hop>& hops, bool drop = true)
{
    QWidget* current = nullptr;
    bool accepted = false;
    for (const Hop& hop : hops) {
        if (hop.target != current) {
            if (current) {
                QDragLeaveEvent leave;
                QApplication::sendEvent(current, &leave);
            }
            current = hop.target;
            if (current) {
                QDragEnterEvent enter(hop.pos, actions, data, Qt::LeftButton, Qt::NoModifier);
                enter.setAccepted(false);
                QApplication::sendEvent(current, &enter);
                if (!enter.isAccepted()) {
                    current = nullptr;
                    accepted = false;
                    continue;
                }
            }
        }
        if (!current)
            continue;
        QDragMoveEvent move(hop.pos, actions, data, Qt::LeftButton, Qt::NoModifier);
        move.setAccepted(false);
        QApplication::sendEvent(current, &move);
        accepted = move.isAccepted();
    }
    if (!current)
        return Qt::IgnoreAction;
    if (!drop || !accepted) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(current, &leave);
        return Qt::IgnoreAction;
    }
    QDropEvent event(hops.last().pos, actions, data, Qt::LeftButton, Qt::NoModifier);
    event.setAccepted(false);
    QApplication::sendEvent(current, &event);
    return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
}

// While it lives, drags started by the customisation widgets travel over
// the given hops; it records what each drag offered and carried.
class Runner
{
public:
    explicit Runner(QList<Hop> hops, bool drop = true)
    {
        UI::ActionDrag::setRunner([this, hops, drop](QDrag* drag, Qt::DropActions actions) {
            ++count;
            offered = actions;
            name = QString::fromUtf8(drag->mimeData()->data(UI::ActionDrag::mimeType));
            text = drag->mimeData()->text();
            hotSpot = drag->hotSpot();
            pixmapSize = drag->pixmap().size();
            const Qt::DropAction result = deliver(drag->mimeData(), actions, hops, drop);
            drag->deleteLater();
            return result;
        });
    }
    ~Runner() { UI::ActionDrag::setRunner({}); }

    int count = 0;
    Qt::DropActions offered;
    QString name;
    QString text;
    QPoint hotSpot;
    QSize pixmapSize;
};

// A left-button press and a move far enough to start a drag.
inline void pressAndDrag(QWidget* w, QPoint from)
{
    QMouseEvent press(QEvent::MouseButtonPress, from, w->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    const QPoint to = from + QPoint(QApplication::startDragDistance() + 1, 0);
    QMouseEvent move(QEvent::MouseMove, to, w->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

} // namespace DragDriver

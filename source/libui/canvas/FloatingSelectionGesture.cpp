// Dragging a floating selection by its handles: move, move the pivot, turn,
// scale (uniform with Shift), turn and scale, flip; a press outside stamps.
// Each drag builds live deltas of the selection's three components and
// commits them at the release. Near the canvas's edges a moved selection
// scrolls the view by itself.
#include "canvas/PaperPrivate.h"

#include <QLineF>

#include <cmath>

namespace UI {

namespace {

// Equal within a relative 1e-12; a zero is only equal to a zero.
bool same(double a, double b)
{
    return qFuzzyCompare(a, b);
}

// Scale factors that would be infinite or zero are no scale at all.
bool usableDenominator(double value)
{
    return std::abs(value) > 1e-9;
}

} // namespace

void Paper::PaperPrivate::processFloatingSelectionPress(const QPointF& p,
                                                        Qt::KeyboardModifiers modifiers)
{
    activeHandle = floatingSelectionHandleAt(p);
    if (activeHandle == 7)
        emit q->floatingSelectionStamped(modifiers);
    else
        q->updateFloatingSelection(p);
}

void Paper::PaperPrivate::processFloatingSelectionMove(const QPointF& p,
                                                       Qt::KeyboardModifiers modifiers)
{
    if (activeHandle >= 5) {
        q->updateFloatingSelection(p);
        return;
    }
    q->updateFloatingSelectionBB();
    const Model::FloatingSelection::Transform& t = selection;
    // Widget to selection coordinates before this drag.
    const QTransform g = full * t.third * t.second * t.first;
    const QPointF c = t.centre;
    const double x = selectionRect.x(), y = selectionRect.y();
    const double w = selectionRect.width(), h = selectionRect.height();
    const auto turnAbout = [&](const QPointF& from, const QPointF& to) {
        const QPointF onScreen = g.inverted().map(c);
        double a = QLineF(onScreen, from).angleTo(QLineF(onScreen, to));
        if (mirror)
            a = -a;
        selectionDeltas[1] = aboutPoint(t.first.inverted().map(c), QTransform().rotate(a));
    };

    switch (activeHandle) {
    case 0: {
        const QTransform h0 = full * t.third;
        const QPointF shift = h0.map(pressPoint) - h0.map(p);
        selectionDeltas[2] = QTransform::fromTranslate(shift.x(), shift.y());
        compose();
        const double m = 50.0 * devicePixelRatio;
        scrollRight = p.x() > q->width() - m;
        scrollLeft = p.x() < m;
        scrollBottom = p.y() > q->height() - m;
        scrollTop = p.y() < m;
        if (scrollRight || scrollLeft || scrollBottom || scrollTop) {
            if (!autoScrollTimer.isActive())
                autoScrollTimer.start();
        } else {
            autoScrollTimer.stop();
        }
        break;
    }
    case 1:
        pivotOffset = g.map(p) - g.map(pressPoint);
        compose();
        break;
    case 2:
        turnAbout(pressPoint, p);
        compose();
        break;
    case 3: {
        const QPointF d = g.map(p) - g.map(pressPoint);
        if (same(d.x(), w) || same(d.y(), h))
            break;
        const double dX = x + w - c.x();
        const double dY = y + h - c.y();
        double kx, ky;
        if (modifiers & Qt::ShiftModifier) {
            // The drag projected on the diagonal from the pivot to the corner.
            const double denominator = (d.x() + dX) * dX + (d.y() + dY) * dY;
            if (!usableDenominator(denominator))
                break;
            kx = ky = (dX * dX + dY * dY) / denominator;
        } else {
            if (!usableDenominator(d.x() + dX) || !usableDenominator(d.y() + dY))
                break;
            kx = dX / (d.x() + dX);
            ky = dY / (d.y() + dY);
        }
        selectionDeltas[0] = aboutPoint(c, QTransform::fromScale(kx, ky));
        compose();
        break;
    }
    case 4: {
        // The corner itself follows the pointer, not where it was grabbed.
        const QPointF from = pressPoint - handleOffset;
        const QPointF to = p - handleOffset;
        turnAbout(from, to);
        const QTransform turned = full * t.third * t.second * selectionDeltas[1] * t.first;
        const QPointF d = turned.map(to) - g.map(from);
        if (!same(d.x(), w) && !same(d.y(), h)) {
            const double dX = x + w - c.x();
            const double dYt = c.y() - y;
            if (usableDenominator(d.x() + dX) && usableDenominator(dYt - d.y()))
                selectionDeltas[0] = aboutPoint(
                    c, QTransform::fromScale(dX / (d.x() + dX), dYt / (dYt - d.y())));
        }
        compose();
        break;
    }
    default:
        break;
    }
    q->updateFloatingSelectionBB();
    if (activeHandle >= 1 && activeHandle <= 4)
        updateCursorAngle(activeHandle);
    q->updateFloatingSelection(p);
}

void Paper::PaperPrivate::commitFloatingSelection()
{
    selection.centre += pivotOffset;
    pivotOffset = QPointF();
    selection.first = selection.first * selectionDeltas[0];
    selection.second = selection.second * selectionDeltas[1];
    selection.third = selection.third * selectionDeltas[2];
    for (QTransform& delta : selectionDeltas)
        delta = QTransform();
    compose();
    q->update();
    emit q->floatingSelectionTransformChanged(selection);
}

void Paper::PaperPrivate::processFloatingSelectionRelease(const QPointF& p)
{
    // Whatever the pointer does next, the view stops scrolling with it.
    autoScrollTimer.stop();
    if (activeHandle == 5 || activeHandle == 6) {
        if (floatingSelectionHandleAt(p) == activeHandle) {
            const QPointF r = selectionRect.center();
            selectionDeltas[0] = aboutPoint(
                r, activeHandle == 5 ? QTransform::fromScale(-1, 1) : QTransform::fromScale(1, -1));
            compose();
            commitFloatingSelection();
        }
    } else if (activeHandle != 7) {
        commitFloatingSelection();
    }
    activeHandle = 7;
    q->updateFloatingSelection(p);
}

void Paper::PaperPrivate::autoScrollStep(double dx, double dy)
{
    const QPointF step = viewBase.map(QPointF(dx, dy)) - viewBase.map(QPointF(0, 0));
    const double m = 50.0 * devicePixelRatio;
    const QRectF inner(m, m, q->width() - 2 * m, q->height() - 2 * m);
    const QTransform toWidget = full.inverted();
    const QPolygonF innerPolygon(inner);
    const QPolygonF moved = toWidget.map(QPolygonF(frameRect.translated(step)));
    const QPolygonF present = toWidget.map(QPolygonF(frameRect));
    // The frame is never scrolled out of reach.
    if (!innerPolygon.intersects(moved) && innerPolygon.intersects(present))
        return;
    viewBase = viewBase * QTransform::fromTranslate(-step.x(), -step.y());
    compose();
    decompose();
    selection.third = QTransform::fromTranslate(step.x(), step.y()) * selection.third;
    compose();
}

void Paper::autoScrollView()
{
    const double step = 5.0 * d->devicePixelRatio;
    if (d->scrollRight)
        d->autoScrollStep(-step, 0);
    if (d->scrollLeft)
        d->autoScrollStep(step, 0);
    if (d->scrollBottom)
        d->autoScrollStep(0, -step);
    if (d->scrollTop)
        d->autoScrollStep(0, step);
    update();
}

} // namespace UI

// The view gestures: the hand, zoom and rotate tools, the combined
// zoom/pan/rotate tool with its three zones, the resets of a double click
// or double tap, and the wheel. They build the live delta while the pointer
// moves and fold it into the view at the release.
#include "canvas/PaperPrivate.h"

#include "tools/ToolManager.h"
#include "tools/ZPRTool.h"

#include <QLineF>
#include <QMouseEvent>
#include <QSvgRenderer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace UI {

namespace {

Model::ZPRTool* zprTool()
{
    return qobject_cast<Model::ZPRTool*>(Model::ToolManager::instance()->tool(Model::Tool::ZPR));
}

// Half away from zero, as whole pixels.
int roundAway(double value)
{
    return int(value < 0 ? value - 0.5 : value + 0.5);
}

} // namespace

QTransform Paper::PaperPrivate::rotationAbout(const QPointF& widgetCentre, const QPointF& from,
                                              const QPointF& to) const
{
    double a = QLineF(widgetCentre, from).angleTo(QLineF(widgetCentre, to));
    if (mirror)
        a = -a;
    return aboutPoint(viewBase.map(widgetCentre), QTransform().rotate(a));
}

void Paper::PaperPrivate::processZprMove(const QPointF& p)
{
    switch (toolType) {
    case Model::Tool::Rotate:
        liveDelta = rotationAbout(viewCenter, gestureStart, p);
        break;
    case Model::Tool::Zoom:
        zoomDrag(gestureStart, p);
        break;
    case Model::Tool::Hand: {
        const QPointF shift = viewBase.map(gestureStart) - viewBase.map(p);
        liveDelta = QTransform::fromTranslate(shift.x(), shift.y());
        break;
    }
    default:
        return;
    }
    compose();
    q->update();
}

void Paper::PaperPrivate::zoomDrag(const QPointF& s, const QPointF& p)
{
    // Only the part of the drag along the down-right diagonal counts.
    QPointF crossing;
    if (QLineF(s, s + QPointF(1, -1)).intersects(QLineF(p, p + QPointF(1, 1)), &crossing)
        == QLineF::NoIntersection)
        crossing = s;
    const double nx = (p.x() - crossing.x()) / viewRect.width();
    const double ny = (p.y() - crossing.y()) / viewRect.height();
    const double f = 1.0 + 5.0 * std::sqrt(nx * nx + ny * ny);
    double newScale = nx <= -ny ? scale * f : scale / f;
    newScale = std::clamp(newScale, devicePixelRatio * 0.0625, devicePixelRatio * 16.0);
    zoomDelta = newScale / scale;
    liveDelta = aboutPoint(viewBase.map(s), QTransform::fromScale(zoomDelta, zoomDelta));
    compose();
    // The scale itself changes at the commit; listeners hear of it now.
    emitZoomLevelChanged(newScale);
}

void Paper::PaperPrivate::commitViewGesture()
{
    viewBase = viewBase * liveDelta;
    offPegs = offPegs * liveOffPegs;
    liveDelta = QTransform();
    liveOffPegs = QTransform();
    zoomDelta = 1.0;
    compose();
    decompose();
}

void Paper::PaperPrivate::processZprReset(const QPointF&)
{
    switch (toolType) {
    case Model::Tool::Rotate:
        rotateTo(0.0);
        break;
    case Model::Tool::Zoom:
        zoomTo(1.0);
        break;
    case Model::Tool::Hand:
        centerFrame();
        break;
    default:
        break;
    }
    q->update();
}

void Paper::PaperPrivate::buildCombinedZprZones(const QPointF& c)
{
    const double u = std::min(viewRect.width(), viewRect.height()) / 12.0;
    combinedCenter = c;
    panZone = QPainterPath();
    panZone.addEllipse(QRectF(c.x() - u, c.y() - u, 2 * u, 2 * u));
    rotateZone = QPainterPath();
    rotateZone.addEllipse(QRectF(c.x() - 1.75 * u, c.y() - 2 * u, 3.5 * u, 2 * u));
    const QSizeF box = panSymbol->viewBoxF().size();
    const double h = 1.8 * u;
    QRectF symbol(0, 0, box.height() > 0 ? h * box.width() / box.height() : h, h);
    symbol.moveCenter(c);
    combinedSymbolRects[0] = symbol;
    combinedSymbolRects[1] = symbol.translated(0, -0.8 * u);
    combinedSymbolRects[2] = symbol.translated(0, 1.5 * u);
}

int Paper::PaperPrivate::combinedZone(const QPointF& p) const
{
    if (toolType != Model::Tool::ZPR)
        return 3;
    if (panZone.contains(p))
        return 0;
    return rotateZone.contains(p) ? 1 : 2;
}

void Paper::PaperPrivate::processCombinedZPRPress(const QPointF& p)
{
    if (combinedMode != 3)
        return;
    combinedMode = combinedZone(p);
    q->update();
    updateCombinedZPRCursor(p);
}

void Paper::PaperPrivate::processCombinedZPRMove(const QPointF& p)
{
    switch (combinedMode) {
    case 0: {
        const QPointF shift = viewBase.map(gestureStart) - viewBase.map(p);
        liveDelta = QTransform::fromTranslate(shift.x(), shift.y());
        compose();
        q->update();
        break;
    }
    case 1:
        liveDelta = rotationAbout(combinedCenter, gestureStart, p);
        compose();
        q->update();
        if (Model::ZPRTool* zpr = zprTool())
            zpr->setCursorAngle(-QLineF(combinedCenter, p).angle());
        break;
    case 2:
        zoomDrag(gestureStart, p);
        q->update();
        break;
    default:
        break;
    }
    updateCombinedZPRCursor(p);
}

void Paper::PaperPrivate::processCombinedZPRRelease(const QPointF&)
{
    if (combinedMode == 3)
        return;
    commitViewGesture();
    q->update();
}

void Paper::PaperPrivate::processCombinedZPRReset(const QPointF& p)
{
    if (toolType != Model::Tool::ZPR)
        return;
    switch (combinedZone(p)) {
    case 0:
        centerFrame();
        break;
    case 1:
        rotateTo(0.0);
        break;
    default:
        zoomTo(1.0);
        break;
    }
    q->update();
}

void Paper::PaperPrivate::updateCombinedZPRCursor(const QPointF& p)
{
    if (toolType != Model::Tool::ZPR)
        return;
    Model::ZPRTool* zpr = zprTool();
    if (!zpr)
        return;
    const int zone = combinedMode != 3 ? combinedMode : combinedZone(p);
    if (zone != shownZone) {
        if (zone == 2) {
            zpr->setCursorType(Model::ZPRTool::CursorZoom);
        } else if (zone == 1) {
            zpr->setCursorAngle(-QLineF(combinedCenter, p).angle());
            zpr->setCursorType(Model::ZPRTool::CursorRotate);
        } else if (zone == 0) {
            zpr->setCursorType(Model::ZPRTool::CursorPan);
        }
        shownZone = zone;
    } else if (shownZone == 1) {
        zpr->setCursorAngle(-QLineF(combinedCenter, p).angle());
    }
}

void Paper::mouseDoubleClickEvent(QMouseEvent* event)
{
    const Model::Tool::Type type = d->toolType;
    if (type == Model::Tool::Hand || type == Model::Tool::Zoom || type == Model::Tool::Rotate) {
        d->processZprReset(event->position());
        event->accept();
    } else if (type == Model::Tool::ZPR) {
        d->processCombinedZPRReset(event->position());
        event->accept();
    } else {
        QWidget::mouseDoubleClickEvent(event);
    }
}

void Paper::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() == Qt::ControlModifier) {
        const double deg = std::clamp(event->angleDelta().y() / 8.0, -360.0, 360.0);
        const float f = float((360.0 - 3.0 * deg) / 720.0 + 0.5);
        const double newScale = std::clamp(double(f) * d->scale, d->devicePixelRatio * 0.0625,
                                           d->devicePixelRatio * 16.0);
        const double k = newScale / d->scale;
        d->viewBase = d->viewBase * PaperPrivate::aboutPoint(d->viewBase.map(event->position()),
                                               QTransform::fromScale(k, k));
    } else if (event->modifiers() == Qt::NoModifier) {
        QPointF delta = event->pixelDelta();
        if (delta.isNull())
            delta = QPointF(roundAway(event->angleDelta().x() / 8.0),
                            roundAway(event->angleDelta().y() / 8.0));
        const QPointF shift = d->viewBase.map(d->viewCenter) - d->viewBase.map(d->viewCenter + delta);
        d->viewBase = d->viewBase * QTransform::fromTranslate(shift.x(), shift.y());
    } else {
        return;
    }
    d->compose();
    d->decompose();
    update();
    event->accept();
}

} // namespace UI

// Trackpad gestures: Qt's pinch and pan, which build a live view change
// from the view at the gesture's start and fold it in at its end, and the
// platform's native zoom, smart zoom and rotate, which change the view at
// every event. Also the tool tip of the off-pegs button.
#include "canvas/PaperPrivate.h"

#include <QGestureEvent>
#include <QHelpEvent>
#include <QNativeGestureEvent>
#include <QPanGesture>
#include <QPinchGesture>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace UI {

QPointF Paper::PaperPrivate::panOffset;

namespace {

bool isZero(const QPointF& p)
{
    return std::abs(p.x()) <= 1e-12 && std::abs(p.y()) <= 1e-12;
}

bool isRunning(Qt::GestureState state)
{
    return state == Qt::GestureStarted || state == Qt::GestureUpdated;
}

} // namespace

void Paper::PaperPrivate::commitGesture()
{
    commitViewGesture();
    q->update();
}

void Paper::PaperPrivate::rescale(double factor, const QPointF& p)
{
    const double newScale =
        std::clamp(factor * scale, devicePixelRatio / 16.0, devicePixelRatio * 16.0);
    const double k = newScale / scale;
    viewBase = viewBase * aboutPoint(viewBase.map(p), QTransform::fromScale(k, k));
    compose();
    decompose();
}

bool Paper::handleTrackpadGesture(const TrackpadGesture& gesture)
{
    if (d->anyPressed() && !d->gestureActive)
        return false; // no gesture starts during a pen or mouse drag
    double factor = 1.0;
    double angle = 0.0;
    QPointF centre;
    const bool pinching = gesture.pinch && isRunning(gesture.pinchState);
    if (pinching) {
        // A bare magnification of the trackpad: no centre, no rotation.
        if (gesture.pinchChanges == QPinchGesture::ScaleFactorChanged
            && isZero(gesture.startCenterPoint) && isZero(gesture.lastCenterPoint)
            && isZero(gesture.centerPoint) && gesture.totalScaleFactor == 1.0) {
            d->rescale(float(gesture.lastScaleFactor / gesture.scaleFactor), gesture.hotSpot);
            update();
            return true;
        }
        centre = gesture.centerPoint;
        angle = -gesture.rotationAngle;
        factor = 1.0 / gesture.totalScaleFactor;
    }
    const bool panning = gesture.pan && isRunning(gesture.panState);
    if (panning)
        PaperPrivate::panOffset = gesture.panOffset;
    if (!pinching && !panning) {
        d->commitGesture();
        d->gestureActive = false;
        PaperPrivate::panOffset = QPointF();
        return true;
    }
    const double newScale =
        std::clamp(factor * d->scale, d->devicePixelRatio / 16.0, d->devicePixelRatio * 16.0);
    const QPointF a = d->viewBase.map(QPointF(0, 0));
    const QPointF b = d->viewBase.map(PaperPrivate::panOffset);
    const QPointF c = d->viewBase.map(centre);
    const double k = newScale / d->scale;
    d->liveDelta = PaperPrivate::aboutPoint(c, QTransform().scale(k, k).rotate(d->mirror ? -angle : angle))
                   * QTransform::fromTranslate(a.x() - b.x(), a.y() - b.y());
    d->compose();
    update();
    d->gestureActive = true;
    return true;
}

bool Paper::PaperPrivate::gestureEvent(QGestureEvent* event)
{
    Paper::TrackpadGesture gesture;
    if (auto* pinch = static_cast<QPinchGesture*>(event->gesture(Qt::PinchGesture))) {
        gesture.pinch = true;
        gesture.pinchState = pinch->state();
        gesture.pinchChanges = pinch->changeFlags();
        gesture.startCenterPoint = pinch->startCenterPoint();
        gesture.lastCenterPoint = pinch->lastCenterPoint();
        gesture.centerPoint = pinch->centerPoint();
        gesture.totalScaleFactor = pinch->totalScaleFactor();
        gesture.lastScaleFactor = pinch->lastScaleFactor();
        gesture.scaleFactor = pinch->scaleFactor();
        gesture.rotationAngle = pinch->rotationAngle();
        const QPointF hot = pinch->hotSpot();
        gesture.hotSpot = q->mapFromGlobal(QPoint(int(std::lround(hot.x())), int(std::lround(hot.y()))));
    }
    if (auto* pan = static_cast<QPanGesture*>(event->gesture(Qt::PanGesture))) {
        gesture.pan = true;
        gesture.panState = pan->state();
        gesture.panOffset = pan->offset();
    }
    return q->handleTrackpadGesture(gesture);
}

bool Paper::PaperPrivate::nativeGestureEvent(QNativeGestureEvent* event)
{
    if (anyPressed() && !nativeGestureActive)
        return false;
    const QPointF p = q->mapFromGlobal(event->globalPosition());
    switch (event->gestureType()) {
    case Qt::BeginNativeGesture:
        nativeGestureActive = true;
        break;
    case Qt::EndNativeGesture:
        commitGesture();
        nativeGestureActive = false;
        break;
    case Qt::ZoomNativeGesture:
        rescale(float(1.0 - event->value()), p);
        q->update();
        break;
    case Qt::SmartZoomNativeGesture:
        rescale(event->value() <= 0.5 ? 3.0 : double(1.0f / 3.0f), p);
        q->update();
        break;
    case Qt::RotateNativeGesture: {
        const double angle = mirror ? event->value() : -event->value();
        viewBase = viewBase * aboutPoint(viewBase.map(p), QTransform().rotate(angle));
        compose();
        decompose();
        q->update();
        break;
    }
    default:
        return false;
    }
    event->accept();
    return true;
}

bool Paper::PaperPrivate::toolTipEvent(QHelpEvent* event)
{
    const QPointF p = event->pos();
    if (toolType == Model::Tool::OffPegs && !symbolCircle.contains(p) && !offPegs.isIdentity()
        && offPegsButtonShape.contains(p)) {
        QToolTip::showText(event->globalPos(),
                           QWidget::tr("Put Frame On the Pegs", "Tool tip"));
        return true;
    }
    QToolTip::showText(event->globalPos(), QString());
    event->ignore();
    return false;
}

bool Paper::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip:
        d->toolTipEvent(static_cast<QHelpEvent*>(event));
        return true;
    case QEvent::NativeGesture:
        if (d->nativeGestureEvent(static_cast<QNativeGestureEvent*>(event)))
            return true;
        break;
    case QEvent::Gesture:
        if (d->gestureEvent(static_cast<QGestureEvent*>(event)))
            return true;
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

} // namespace UI

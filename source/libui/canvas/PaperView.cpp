// The view transform of the canvas: composing and decomposing the chain,
// and every operation that zooms, turns, mirrors, fits or resets the view.
#include "canvas/PaperPrivate.h"

#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QCursor>
#include <QGuiApplication>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace UI {

namespace {

constexpr double MinZoomLevel = 1.0 / 16.0;
constexpr double MaxZoomLevel = 16.0;
// Zoom steps and gestures never leave this interval.
double clampZoomLevel(double level)
{
    return std::max(std::min(level, MaxZoomLevel), MinZoomLevel);
}

QTransform translation(const QPointF& delta)
{
    return QTransform::fromTranslate(delta.x(), delta.y());
}

} // namespace

void Paper::PaperPrivate::compose()
{
    offPegsTotal = offPegs * liveOffPegs;
    view = viewBase * liveDelta;
    full = view * offPegsTotal;
    composeSelection();
    if (toolType == Model::Tool::FloatingSelection)
        rebuildHandles();
    if (gridStatus == KW::GridStatus::GridOn)
        remapGrid();
}

QTransform Paper::PaperPrivate::viewBaseFromParts() const
{
    return mirrorTransform * QTransform().translate(pan.x(), pan.y()).rotate(angle).scale(scale, scale);
}

void Paper::PaperPrivate::rebuildMirrorTransform()
{
    mirrorTransform = mirror ? aboutPoint(viewCenter, QTransform::fromScale(-1, 1)) : QTransform();
}

void Paper::PaperPrivate::decompose()
{
    const QTransform v = mirrorTransform.inverted() * viewBase;
    pan = QPointF(v.dx(), v.dy());
    double newScale = 1.0;
    double newAngle = 0.0;
    if (std::abs(v.m11()) > 1e-12 || std::abs(v.m12()) > 1e-12) {
        newScale = std::sqrt(v.m11() * v.m11() + v.m12() * v.m12());
        const double a = std::acos(std::clamp(v.m11() / newScale, -1.0, 1.0));
        newAngle = qRadiansToDegrees(v.m12() > 0 ? a : -a);
    } else if (std::abs(v.m21()) > 1e-12 || std::abs(v.m22()) > 1e-12) {
        newScale = std::sqrt(v.m21() * v.m21() + v.m22() * v.m22());
        const double s = v.m22() > 0 ? -v.m21() : v.m21();
        newAngle = 90.0 - qRadiansToDegrees(std::acos(std::clamp(s / newScale, -1.0, 1.0)));
    }
    if (!qFuzzyCompare(newScale, scale)) {
        scale = newScale;
        savedQuickZoomView.reset();
        // A zoom drag reported its level while it ran.
        if (!qFuzzyCompare(newScale, lastReportedScale))
            emitZoomLevelChanged(newScale);
    }
    if (!qFuzzyCompare(newAngle, angle)) {
        angle = newAngle;
        emit q->zoomLevelToFitChanged(fit(0.0));
    }
    if (toolType == Model::Tool::FloatingSelection)
        rebuildHandles();
}

void Paper::PaperPrivate::emitZoomLevelChanged(double reportedScale)
{
    lastReportedScale = reportedScale;
    // The zoom tool's cursor stays on screen while listeners react, even
    // when they change the cursor of the widget under the pointer.
    const bool holdCursor = toolType == Model::Tool::Zoom;
    if (holdCursor)
        QGuiApplication::setOverrideCursor(q->cursor());
    emit q->zoomLevelChanged(devicePixelRatio / reportedScale);
    if (holdCursor)
        QGuiApplication::restoreOverrideCursor();
}

void Paper::PaperPrivate::dropLiveTransforms()
{
    for (QTransform& delta : selectionDeltas)
        delta = QTransform();
    selection = Model::FloatingSelection::Transform();
    selectionChain = QTransform();
    liveDelta = QTransform();
    liveOffPegs = QTransform();
}

void Paper::PaperPrivate::resetTransforms()
{
    dropLiveTransforms();
    view = QTransform();
    offPegs = QTransform();
    offPegsTotal = QTransform();
    full = QTransform();
    rebuildMirrorTransform();
    viewBase = mirrorTransform;
    decompose();
}

QPointF Paper::PaperPrivate::zoomAnchor() const
{
    const QPointF cursor = q->mapFromGlobal(QCursor::pos());
    return QRectF(viewRect).contains(cursor) ? cursor : viewCenter;
}

void Paper::PaperPrivate::scaleAbout(const QPointF& anchor, double zoomLevel)
{
    const QPointF paperPoint = viewBase.map(anchor);
    const double newScale = devicePixelRatio / clampZoomLevel(zoomLevel);
    const double k = newScale / scale;
    viewBase = viewBase * aboutPoint(paperPoint, QTransform::fromScale(k, k));
    compose();
    decompose();
}

void Paper::PaperPrivate::zoomTo(double zoomLevel)
{
    scaleAbout(zoomAnchor(), zoomLevel);
}

void Paper::PaperPrivate::rotateTo(double degrees)
{
    const QPointF c = viewBase.map(viewCenter);
    liveDelta = aboutPoint(c, QTransform().rotate(degrees - angle));
    compose();
    viewBase = viewBase * liveDelta;
    offPegs = offPegs * liveOffPegs;
    liveDelta = QTransform();
    liveOffPegs = QTransform();
    decompose();
}

void Paper::PaperPrivate::setMirror(bool newMirror)
{
    if (mirror == newMirror)
        return;
    mirror = newMirror;
    decompose();
    rebuildMirrorTransform();
    viewBase = viewBaseFromParts();
    compose();
    emit q->mirrorViewChanged(mirror);
}

QRectF Paper::PaperPrivate::framesOnWidget() const
{
    return view.inverted().mapRect(frameRect) | full.inverted().mapRect(frameRect);
}

double Paper::PaperPrivate::fit(double degrees) const
{
    // A frame narrower or lower than a pixel has nothing to fit: the answer
    // is the closest zoom instead of a division by zero.
    if (frameRect.width() < 1.0 || frameRect.height() < 1.0)
        return MaxZoomLevel;
    const QPointF c = viewBase.map(viewCenter);
    const QTransform turned = viewBase * liveDelta * aboutPoint(c, QTransform().rotate(degrees - angle));
    const QTransform turnedFull = turned * offPegsTotal;
    const QRectF u = turned.inverted().mapRect(frameRect) | turnedFull.inverted().mapRect(frameRect);
    const double room = std::min(viewRect.width() - 8.0, viewRect.height() - 8.0);
    if (u.width() <= 0.0 || u.height() <= 0.0 || room <= 0.0)
        return room <= 0.0 ? MinZoomLevel : MaxZoomLevel;
    const double k = std::min((viewRect.width() - 8.0) / u.width(),
                              (viewRect.height() - 8.0) / u.height());
    return k * devicePixelRatio / scale;
}

void Paper::PaperPrivate::centerFrame()
{
    const QPointF c = framesOnWidget().center();
    viewBase = viewBase * translation(viewBase.map(c) - viewBase.map(viewCenter));
    compose();
    decompose();
}

// --- Public view operations --------------------------------------------------

double Paper::zoomLevel() const
{
    return d->devicePixelRatio / d->scale;
}

double Paper::zoomLevelToFit() const
{
    return d->fit(0.0);
}

bool Paper::mirrorView() const
{
    return d->mirror;
}

QTransform Paper::offPegsTransform() const
{
    return d->offPegs;
}

QPointF Paper::viewPan() const
{
    return d->pan;
}

double Paper::viewAngle() const
{
    return d->angle;
}

double Paper::viewScale() const
{
    return d->scale;
}

QTransform Paper::viewTransform() const
{
    return d->view;
}

QTransform Paper::fullTransform() const
{
    return d->full;
}

void Paper::setZoomLevel(double zoomLevel)
{
    d->zoomTo(zoomLevel);
    update();
}

void Paper::setZoomLevelCenteringOnOrigin(double zoomLevel)
{
    d->scaleAbout(d->viewCenter, zoomLevel);
    update();
}

void Paper::toggleQuickZoom()
{
    if (!d->savedQuickZoomView) {
        const QTransform saved = d->viewBase;
        d->zoomTo(3.0 * zoomLevel());
        d->savedQuickZoomView = saved;
        d->savedQuickZoomMirror = d->mirror;
    } else {
        if (d->savedQuickZoomMirror != d->mirror) {
            d->mirror = d->savedQuickZoomMirror;
            d->rebuildMirrorTransform();
            emit mirrorViewChanged(d->mirror);
        }
        d->viewBase = *d->savedQuickZoomView;
        d->compose();
        // A restore that changes the scale drops the saved view; at the
        // zoom limit it stays, and later calls restore it again.
        d->decompose();
    }
    update();
}

void Paper::rotatePaperTo(double degrees)
{
    d->rotateTo(d->mirror ? -degrees : degrees);
    update();
}

void Paper::rotatePaperToNext(double degrees)
{
    const double step = std::abs(degrees);
    if (step == 0.0)
        return;
    const double quotient = d->angle / step;
    const int k = int(quotient + (std::signbit(quotient) ? -0.5 : 0.5));
    d->rotateTo(d->mirror ? k * step - degrees : k * step + degrees);
    update();
}

void Paper::setMirrorView(bool mirror)
{
    d->setMirror(mirror);
    update();
}

void Paper::resetView()
{
    d->centerFrame();
    d->rotateTo(0.0);
    update();
    d->setMirror(false);
    update();
    d->scaleAbout(d->viewCenter, 1.0);
    update();
}

void Paper::fitToView()
{
    d->centerFrame();
    d->rotateTo(0.0);
    update();
    d->scaleAbout(d->viewCenter, d->fit(0.0));
    update();
}

void Paper::setOffPegsTransform(QTransform transform)
{
    d->offPegs = transform;
    d->compose();
    update();
}

void Paper::updateTransform()
{
    d->compose();
    update();
}

void Paper::updateFrameSize()
{
    if (!d->scene)
        return;
    const QPointF c = d->view.map(d->viewCenter);
    const double w0 = d->frameRect.width();
    const double h0 = d->frameRect.height();

    const QSize size = d->scene->frameSize();
    d->frameRect = QRectF(0, 0, size.width(), size.height());
    d->rebuildGridPaths();

    // The same relative place in the resized frame; off the frame, the same
    // distance from its edge, so that a far view stays as near the paper and
    // the size coming back brings the view back. A frame that had no extent
    // has no relative place, so its middle is taken.
    const auto place = [](double at, double before, double after) {
        if (before < 1.0)
            return after / 2.0;
        if (at < 0.0)
            return at;
        if (at > before)
            return after + (at - before);
        return at * after / before;
    };
    const double x = place(c.x(), w0, d->frameRect.width());
    const double y = place(c.y(), h0, d->frameRect.height());

    d->dropLiveTransforms();
    // That dropped the canvas's copy of the selection's transform; the
    // selection itself floats on, as after binding a scene.
    if (d->kwscene)
        d->selection = d->kwscene->floatingSelectionTransform();
    // Zoom, angle and mirror stay exactly as they were: only the view's
    // offset moves, so a change and its undo leave no drift. A quick zoom's
    // saved view belongs to the old frame.
    d->savedQuickZoomView.reset();
    d->viewBase = d->viewBase * translation(QPointF(x, y) - d->viewBase.map(d->viewCenter));
    d->offPegs = d->scene->offPegsTransform(d->scene->activeFrame(), nullptr);
    d->compose();
    d->decompose();
    update();
    emit zoomLevelToFitChanged(d->fit(0.0));
}

void Paper::updateDevicePixelRatio()
{
    const double z = zoomLevel();
    d->devicePixelRatio = metric(QPaintDevice::PdmDevicePixelRatioScaled) / 65536.0;
    d->scaleAbout(d->viewCenter, z);
    d->emitZoomLevelChanged(d->scale);
    emit zoomLevelToFitChanged(d->fit(0.0));
    update();
}

} // namespace UI

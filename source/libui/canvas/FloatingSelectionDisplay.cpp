// The canvas side of a floating selection: its copy of the selection's
// transform with the live deltas of a drag, the handle shapes placed around
// it in widget pixels, the cursor for the handle under the pointer, and its
// painting.
#include "canvas/PaperPrivate.h"

#include "scene/KWScene.h"
#include "strokes/FloatingSelection.h"
#include "tools/FloatingSelectionTool.h"
#include "tools/ToolManager.h"

#include <QLineF>
#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace UI {

namespace {

Model::FloatingSelectionTool* selectionTool()
{
    return qobject_cast<Model::FloatingSelectionTool*>(
        Model::ToolManager::instance()->tool(Model::Tool::FloatingSelection));
}

QPainterPath closedPolygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

const QPainterPath& diamondTemplate()
{
    static const QPainterPath path = closedPolygon({{-17, 0}, {0, 17}, {17, 0}, {0, -17}});
    return path;
}

const QPainterPath& triangleTemplate()
{
    static const QPainterPath path =
        closedPolygon({{-10.957, 1.8}, {0, 12.757}, {10.957, 1.8}});
    return path;
}

const QPainterPath& pivotStarTemplate()
{
    static const QPainterPath path = [] {
        QPainterPath star;
        const double d = 6.364;
        for (const QPointF& end : {QPointF(9, 0), QPointF(-9, 0), QPointF(0, 9), QPointF(0, -9),
                                   QPointF(d, d), QPointF(d, -d), QPointF(-d, d), QPointF(-d, -d)}) {
            star.moveTo(0, 0);
            star.lineTo(end);
        }
        return star;
    }();
    return path;
}

QPainterPath placed(const QPainterPath& shape, const QTransform& turn, const QPointF& at)
{
    return (turn * QTransform::fromTranslate(at.x(), at.y())).map(shape);
}

} // namespace

QTransform Paper::PaperPrivate::selectionToWidget() const
{
    return (full * selectionChain).inverted();
}

double Paper::PaperPrivate::selectionTurn() const
{
    const QTransform toWidget = selectionToWidget();
    return QLineF(toWidget.map(QPointF(0, 0)), toWidget.map(QPointF(0, -1))).angle();
}

bool Paper::PaperPrivate::selectionMirrored() const
{
    return (selectionChain.m11() < 0) != (selectionChain.m22() < 0);
}

void Paper::PaperPrivate::composeSelection()
{
    selectionChain = selection.third * selectionDeltas[2] * selection.second * selectionDeltas[1]
                     * selection.first * selectionDeltas[0];
}

void Paper::PaperPrivate::rebuildHandles()
{
    const QTransform toWidget = selectionToWidget();
    const double a = selectionTurn();
    const QTransform turn = std::isnan(a) ? QTransform() : QTransform().rotate(a);

    // The box around the selection measures at least 70 x 70 widget pixels.
    const QTransform firstTotal = selection.first * selectionDeltas[0];
    const double mx = std::abs(firstTotal.m11()) * scale;
    const double my = std::abs(firstTotal.m22()) * scale;
    const double boxWidth = std::max(selectionRect.width(), 70.0 * mx);
    const double boxHeight = std::max(selectionRect.height(), 70.0 * my);
    QRectF box(0, 0, boxWidth, boxHeight);
    box.moveCenter(selectionRect.center());

    for (QPainterPath& path : handlePaths)
        path = QPainterPath();
    QPainterPath circle28;
    circle28.addEllipse(QPointF(0, 0), 14, 14);
    handlePaths[Rotate] = placed(circle28, QTransform(), toWidget.map(QPointF(box.center().x(), box.top())));

    QPointF corner = toWidget.map(box.bottomRight());
    QPointF topCorner = toWidget.map(box.topRight());
    if (anyPressed() && (activeHandle == 3 || activeHandle == 4)) {
        corner = lastPosition - handleOffset;
        topCorner = corner;
    }
    QPainterPath square;
    square.addRect(-12, -12, 24, 24);
    handlePaths[Scale] = placed(square, turn, corner);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(-12.5, -12.5, 25, 25), 60, 60, Qt::RelativeSize);
    handlePaths[ScaleRotate] = placed(rounded, turn, topCorner);

    const QPointF right = toWidget.map(QPointF(box.right(), box.center().y()));
    const QTransform back = QTransform().rotate(180) * turn;
    handlePaths[FlipHorizontal] = placed(diamondTemplate(), turn, right);
    QPainterPath one = placed(triangleTemplate(), turn, right);
    QPainterPath other = placed(triangleTemplate(), back, right);
    if (selectionMirrored())
        std::swap(one, other);
    handlePaths[FlipHorizontalFirst] = one;
    handlePaths[FlipHorizontalSecond] = other;

    const QPointF bottom = toWidget.map(QPointF(box.center().x(), box.bottom()));
    const QTransform quarter = QTransform().rotate(90) * turn;
    handlePaths[FlipVertical] = placed(diamondTemplate(), turn, bottom);
    handlePaths[FlipVerticalFirst] = placed(triangleTemplate(), quarter, bottom);
    handlePaths[FlipVerticalSecond] =
        placed(triangleTemplate(), QTransform().rotate(180) * quarter, bottom);

    const QPointF pivot = toWidget.map(selection.centre + pivotOffset);
    QPainterPath circle18;
    circle18.addEllipse(QPointF(0, 0), 9, 9);
    handlePaths[Pivot] = placed(circle18, QTransform(), pivot);
    handlePaths[PivotStar] = placed(pivotStarTemplate(), QTransform(), pivot);

    const QRectF shown = toWidget.mapRect(selectionRect);
    const double starSize = 1.75 * 18.0;
    const bool enlargedBoth = boxWidth > selectionRect.width() && boxHeight > selectionRect.height();
    const bool small = shown.width() < starSize || shown.height() < starSize || enlargedBoth;
    pivotVisible = !(small && shown.contains(pivot));
}

int Paper::PaperPrivate::floatingSelectionHandleAt(const QPointF& p) const
{
    if (toolType != Model::Tool::FloatingSelection)
        return 7;
    if (pivotVisible && handlePaths[Pivot].contains(p))
        return 1;
    if (handlePaths[Scale].contains(p))
        return 3;
    if (handlePaths[Rotate].contains(p))
        return 2;
    if (handlePaths[ScaleRotate].contains(p))
        return 4;
    if (handlePaths[FlipHorizontal].contains(p))
        return 5;
    if (handlePaths[FlipVertical].contains(p))
        return 6;
    if (selectionRect.contains((full * selectionChain).map(p)))
        return 0;
    return 7;
}

void Paper::PaperPrivate::updateCursorAngle(int handle)
{
    Model::FloatingSelectionTool* tool = selectionTool();
    if (!tool)
        return;
    const double base = handle == 4 ? 45.0 : handle == 3 ? 135.0 : 0.0;
    const double turn = selectionTurn();
    tool->setCursorAngle(mirror == selectionMirrored() ? base - turn : -turn - base);
}

void Paper::updateFloatingSelection(const QPointF& position)
{
    if (d->toolType != Model::Tool::FloatingSelection || d->activeHandle != 7)
        return;
    const int handle = d->floatingSelectionHandleAt(position);
    if (handle == d->hoveredHandle)
        return;
    using C = Model::FloatingSelectionTool;
    C::FSCursorType type = C::FSStamp;
    switch (handle) {
    case 0:
        type = C::FSMove;
        break;
    case 1:
        type = C::FSPivot;
        break;
    case 2:
        d->updateCursorAngle(2);
        type = C::FSRotate;
        break;
    case 3:
        d->updateCursorAngle(3);
        type = C::FSScale;
        break;
    case 4:
        d->updateCursorAngle(4);
        type = C::FSScaleRotate;
        break;
    case 5:
        type = C::FSFlipHorizontal;
        break;
    case 6:
        type = C::FSFlipVertical;
        break;
    default:
        break;
    }
    if (Model::FloatingSelectionTool* tool = selectionTool())
        tool->setCursorType(type);
    d->hoveredHandle = handle;
}

QRect Paper::PaperPrivate::floatingSelectionArea() const
{
    QRectF area = selectionToWidget().mapRect(selectionRect);
    for (int path : {Rotate, Scale, ScaleRotate, FlipHorizontal, FlipVertical, PivotStar})
        area |= handlePaths[path].boundingRect();
    return area.toAlignedRect().adjusted(-1, -1, 1, 1);
}

void Paper::updateFloatingSelectionBB()
{
    update(d->floatingSelectionArea());
}

void Paper::newFloatingSelection()
{
    const bool current = d->toolType == Model::Tool::FloatingSelection;
    if (current)
        updateFloatingSelectionBB();
    d->selectionRect = QRectF();
    d->selectionOutline = QPainterPath();
    d->activeHandle = 7;
    // No handle counts as shown yet, so that the cursor is chosen afresh for
    // whatever lies under the pointer, the stamp included.
    d->hoveredHandle = -1;
    if (d->kwscene) {
        if (Model::FloatingSelection* selection = d->kwscene->floatingSelection()) {
            d->selectionRect = QRectF(selection->boundingRect());
            d->selectionOutline.addRect(d->selectionRect);
            d->selection = selection->transform();
            d->compose();
        }
    }
    if (current) {
        updateFloatingSelectionBB();
        updateFloatingSelection(mapFromGlobal(QCursor::pos()));
    }
}

void Paper::setFloatingSelectionTransform(Model::FloatingSelection::Transform transform)
{
    const bool current = d->toolType == Model::Tool::FloatingSelection;
    if (current)
        updateFloatingSelectionBB();
    d->selection = transform;
    d->compose();
    if (current)
        updateFloatingSelectionBB();
}

void Paper::PaperPrivate::paintFloatingSelection(QPainter& painter, bool withHandles)
{
    Model::FloatingSelection* floating = kwscene ? kwscene->floatingSelection() : nullptr;
    if (!floating)
        return;
    const QTransform toWidget = selectionToWidget();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setTransform(toWidget);
    painter.setOpacity(floating->opacity());
    const QImage image = floating->indexedImage();
    painter.drawImage(selectionRect, image, QRectF(0, 0, image.width(), image.height()));
    painter.restore();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    Model::FloatingSelectionTool* tool = selectionTool();
    const bool idle = !tool || tool->state() == Model::Tool::Usable;
    QColor colour = idle ? QColor(77, 163, 77) : QColor(196, 46, 85);
    const Qt::PenStyle style = idle ? Qt::SolidLine : Qt::DotLine;
    QColor colourA = colour;
    colourA.setAlphaF(0.4);
    QColor colourB = colour;
    colourB.setAlphaF(0.2);
    const QPen penA(colourA, 1.5, style, Qt::RoundCap, Qt::RoundJoin);
    const QPen penB(colourB, 1.0, style, Qt::RoundCap, Qt::RoundJoin);
    const QPainterPath outline = toWidget.map(selectionOutline);

    if (!withHandles) {
        painter.setPen(penB);
        painter.drawPath(outline);
        painter.restore();
        return;
    }
    const auto drawFlip = [&](int diamond) {
        painter.drawPath(handlePaths[diamond]);
        painter.drawPath(handlePaths[diamond + 1]);
        painter.save();
        painter.setBrush(colourA);
        painter.drawPath(handlePaths[diamond + 2]);
        painter.restore();
    };
    QPainterPath keepClear;
    if (activeHandle == 7) {
        painter.setPen(penA);
        for (int path : {Rotate, Scale, ScaleRotate})
            painter.drawPath(handlePaths[path]);
        drawFlip(FlipHorizontal);
        drawFlip(FlipVertical);
        if (pivotVisible)
            painter.drawPath(handlePaths[PivotStar]);
        for (int path : {Rotate, Scale, ScaleRotate, FlipHorizontal, FlipVertical})
            keepClear |= handlePaths[path];
    } else {
        painter.setPen(penA);
        if (pivotVisible && activeHandle >= 1 && activeHandle <= 4)
            painter.drawPath(handlePaths[PivotStar]);
        switch (activeHandle) {
        case 2:
            painter.drawPath(handlePaths[Rotate]);
            keepClear = handlePaths[Rotate];
            break;
        case 3:
            painter.drawPath(handlePaths[Scale]);
            keepClear = handlePaths[Scale];
            break;
        case 4:
            painter.drawPath(handlePaths[ScaleRotate]);
            keepClear = handlePaths[ScaleRotate];
            break;
        case 5:
            drawFlip(FlipHorizontal);
            keepClear = handlePaths[FlipHorizontal];
            break;
        case 6:
            drawFlip(FlipVertical);
            keepClear = handlePaths[FlipVertical];
            break;
        default:
            break;
        }
        painter.setPen(penB);
    }
    if (!keepClear.isEmpty()) {
        QPainterPath everything;
        everything.addRect(QRectF(q->rect()));
        painter.setClipPath(everything - keepClear, Qt::IntersectClip);
    }
    painter.drawPath(outline);
    painter.restore();
}

} // namespace UI

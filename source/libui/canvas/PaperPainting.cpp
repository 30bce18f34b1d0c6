// Painting of the canvas: the paper with its transparency pattern, the
// scene's pixels through the view, the linen desk, the grid, the off-pegs
// overlay, the symbol of the current view tool and the top shadow. Every
// paint covers only the exposed rectangle, and the scene is asked only for
// the paper under it.
#include "canvas/PaperPrivate.h"

#include "canvas/CanvasGrid.h"
#include "canvas/TransparencyBrush.h"
#include "scene/Scene.h"
#include "strokes/SingleStroke.h"
#include "tools/ToolManager.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace UI {

namespace {

QPainterPath polygonPath(const QPolygonF& polygon)
{
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    return path;
}

// The renderer's picture scaled to fit the box, aspect kept, centred on it.
QRectF fitted(const QSvgRenderer& renderer, const QRectF& box)
{
    QSizeF size = QSizeF(renderer.viewBoxF().size()).scaled(box.size(), Qt::KeepAspectRatio);
    QRectF rect(QPointF(0, 0), size);
    rect.moveCenter(box.center());
    return rect;
}

} // namespace

void Paper::PaperPrivate::loadArtwork()
{
    linenBrush = QBrush(QPixmap(QStringLiteral(":/canvas/linenBG.png")));
    const auto load = [this](const char* name) {
        return std::make_unique<QSvgRenderer>(QString::fromLatin1(name), q);
    };
    panSymbol = load(":/canvas/papersymbol-pan.svg");
    rotateSymbol = load(":/canvas/papersymbol-rotate.svg");
    zoomSymbol = load(":/canvas/papersymbol-zoom.svg");
    offPegsPanSymbol = load(":/canvas/papersymbol-offpegs-pan.svg");
    offPegsRotateSymbol = load(":/canvas/papersymbol-offpegs-rotate.svg");
    offPegsButton = load(":/canvas/offPegs_button.svg");
    offPegsButtonClick = load(":/canvas/offPegs_button-click.svg");
    offPegsButtonHover = load(":/canvas/offPegs_button-hover.svg");
}

void Paper::PaperPrivate::rebuildGridPaths()
{
    for (int type = 0; type < 5; ++type)
        gridPaths[type] = CanvasGrid::path(KW::GridType(type), frameRect);
    remapGrid();
}

void Paper::PaperPrivate::remapGrid()
{
    gridOverlay = view.inverted().map(gridPaths[int(gridType)]);
}

void Paper::PaperPrivate::rebuildTransparencyBrush()
{
    transparencyBrush = TransparencyBrush::make(transparencyType);
    transparencyBrush.setTransform(linenBrush.transform());
}

void Paper::PaperPrivate::layoutCenterOverlays()
{
    const QRect& v = viewRect;
    const int r = std::min(v.width(), v.height()) / 7;
    const int cx = (v.left() + v.right()) / 2;
    const int cy = (v.top() + v.bottom()) / 2;
    symbolCircle = QPainterPath();
    symbolCircle.addEllipse(QRectF(cx - r, cy - r, 2 * r, 2 * r));
    offPegsSymbolRect = QRectF(cx - 1.7 * r, cy - 1.7 * r, 3.4 * r, 3.4 * r);
    const QSizeF button = offPegsButton->viewBoxF().size();
    offPegsButtonShape = QPainterPath();
    offPegsButtonShape.addRoundedRect(QRectF(cx - button.width() / 2,
                                             cy + r + 42 - button.height() / 2, button.width(),
                                             button.height()),
                                      button.height() / 2, button.height() / 2);
}

KW::GridStatus Paper::gridStatus() const
{
    return d->gridStatus;
}

KW::GridType Paper::gridType() const
{
    return d->gridType;
}

KW::TransparencyType Paper::transparencyType() const
{
    return d->transparencyType;
}

void Paper::setGridStatus(KW::GridStatus gridStatus)
{
    if (gridStatus == d->gridStatus)
        return;
    d->gridStatus = gridStatus;
    d->remapGrid();
    update();
}

void Paper::setGridType(KW::GridType gridType)
{
    if (gridType == d->gridType)
        return;
    d->gridType = gridType;
    d->rebuildGridPaths();
    update();
}

void Paper::setTransparencyType(KW::TransparencyType transparencyType)
{
    if (transparencyType == d->transparencyType)
        return;
    d->transparencyType = transparencyType;
    d->rebuildTransparencyBrush();
    update();
}

void Paper::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    d->paint(painter, event->rect());
}

void Paper::PaperPrivate::paint(QPainter& painter, const QRect& exposed)
{
    QPainterPath eventPath;
    eventPath.addRect(exposed);
    const QPolygonF frame(frameRect);
    const QPainterPath peggedFrame = polygonPath(view.inverted().map(frame));
    const QPainterPath framePath = polygonPath(full.inverted().map(frame));
    const bool offPegsShown = !offPegsTotal.isIdentity();

    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);

    if (!scene) {
        painter.fillRect(exposed, Qt::white);
    } else {
        if (offPegsShown)
            painter.fillPath(peggedFrame - framePath, QColor(232, 232, 232));
        painter.fillPath(framePath, scene->isVirtualLastFrame() ? QBrush(QColor(221, 216, 213))
                                                                : transparencyBrush);
        // From two device pixels per frame pixel on, the pixels stay crisp.
        if (scale <= devicePixelRatio * 0.5)
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

        const auto paperRect = [&exposed](const QTransform& t) {
            return t.mapRect(exposed).adjusted(-1, -1, 1, 1);
        };
        painter.save();
        if (offPegsShown) {
            painter.setTransform(view.inverted());
            scene->drawOnlyBackLight(&painter, paperRect(view));
            painter.setTransform(full.inverted());
            const QRect rect = paperRect(full);
            scene->drawOnlyCurrentFrame(&painter, rect);
            scene->drawDottedLineToCursor(&painter, rect, scale);
        } else {
            painter.setTransform(full.inverted());
            const QRect rect = paperRect(full);
            scene->draw(&painter, rect);
            scene->drawDottedLineToCursor(&painter, rect, scale);
        }
        painter.restore();
    }

    QPainterPath desk = eventPath - framePath;
    if (offPegsShown)
        desk -= peggedFrame;
    painter.fillPath(desk, linenBrush);

    if (gridStatus == KW::GridStatus::GridOn) {
        painter.save();
        painter.setClipPath(eventPath);
        painter.setPen(QPen(gridColor, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(gridOverlay);
        painter.restore();
    }

    if (toolType == Model::Tool::OffPegs || !offPegs.isIdentity())
        paintOffPegsOverlay(painter, exposed, peggedFrame);

    painter.setClipPath(eventPath);
    paintToolSymbols(painter);

    if (topWidget)
        painter.fillRect(shadowRect, shadowGradient);
}

void Paper::PaperPrivate::paintOffPegsOverlay(QPainter& painter, const QRect& exposed,
                                              const QPainterPath& peggedFrame)
{
    QPainterPath eventPath;
    eventPath.addRect(exposed);

    painter.save();
    painter.setPen(QPen(gridColor, 1.0, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    painter.setBrush(Qt::NoBrush);
    painter.setClipPath(eventPath);
    painter.drawPath(peggedFrame);
    painter.restore();

    if (frameRect.width() > 0 && frameRect.height() > 0) {
        const QTransform toWidget = full.inverted();
        QPainterPath cross;
        cross.moveTo(toWidget.map(frameRect.topLeft()));
        cross.lineTo(toWidget.map(frameRect.bottomRight()));
        cross.moveTo(toWidget.map(frameRect.topRight()));
        cross.lineTo(toWidget.map(frameRect.bottomLeft()));
        painter.save();
        painter.setClipPath(eventPath);
        painter.setPen(QPen(gridColor, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(cross);
        painter.restore();
    }

    // A green glow along the border of the view: the drawing is off its
    // pegs.
    const QRect& v = viewRect;
    const int r = std::min({v.width() / 2, v.height() / 2, 100});
    if (r <= 0)
        return;
    const QColor clear(offPegsGlowColor.red(), offPegsGlowColor.green(), offPegsGlowColor.blue(), 0);
    painter.save();
    painter.setClipRect(exposed);
    painter.setPen(Qt::NoPen);
    const QRect corners[4] = {QRect(v.left(), v.top(), r, r),
                              QRect(v.right() + 1 - r, v.top(), r, r),
                              QRect(v.left(), v.bottom() + 1 - r, r, r),
                              QRect(v.right() + 1 - r, v.bottom() + 1 - r, r, r)};
    const QPoint inner[4] = {corners[0].bottomRight() + QPoint(1, 1),
                             corners[1].bottomLeft() + QPoint(0, 1),
                             corners[2].topRight() + QPoint(1, 0), corners[3].topLeft()};
    for (int i = 0; i < 4; ++i) {
        if (!corners[i].intersects(exposed))
            continue;
        QRadialGradient glow(inner[i], r);
        glow.setColorAt(0.0, clear);
        glow.setColorAt(1.0, offPegsGlowColor);
        painter.fillRect(corners[i], glow);
    }
    const auto band = [&](const QRect& rect, QPointF from, QPointF to) {
        if (!rect.intersects(exposed))
            return;
        QLinearGradient glow(from, to);
        glow.setColorAt(0.0, offPegsGlowColor);
        glow.setColorAt(1.0, clear);
        painter.fillRect(rect, glow);
    };
    const int inside = v.width() - 2 * r;
    const int tall = v.height() - 2 * r;
    band(QRect(v.left() + r, v.top(), inside, r), QPointF(0, v.top()), QPointF(0, v.top() + r - 1));
    band(QRect(v.left() + r, v.bottom() + 1 - r, inside, r), QPointF(0, v.bottom() + 1),
         QPointF(0, v.bottom() + 1 - (r - 1)));
    band(QRect(v.left(), v.top() + r, r, tall), QPointF(v.left(), 0), QPointF(v.left() + r - 1, 0));
    band(QRect(v.right() + 1 - r, v.top() + r, r, tall), QPointF(v.right() + 1, 0),
         QPointF(v.right() + 1 - (r - 1), 0));
    painter.restore();
}

void Paper::PaperPrivate::paintToolSymbols(QPainter& painter)
{
    // A view tool taken up over a floating selection leaves it on show.
    const bool viewOverSelection =
        toolType >= Model::Tool::Hand && toolType <= Model::Tool::OffPegs
        && Model::ToolManager::instance()->lastPrimaryToolType() == Model::Tool::FloatingSelection;
    if (viewOverSelection)
        paintFloatingSelection(painter, false);
    switch (toolType) {
    case Model::Tool::Hand:
    case Model::Tool::Zoom:
    case Model::Tool::Rotate: {
        QSvgRenderer* symbol = toolType == Model::Tool::Hand   ? panSymbol.get()
                               : toolType == Model::Tool::Zoom ? zoomSymbol.get()
                                                               : rotateSymbol.get();
        QRectF box(0, 0, std::round(viewRect.width() / 2.0), std::round(viewRect.height() / 2.0));
        box.moveCenter(viewCenter);
        symbol->render(&painter, fitted(*symbol, box));
        break;
    }
    case Model::Tool::ZPR:
        if (combinedMode == 0 || combinedMode == 3)
            panSymbol->render(&painter, combinedSymbolRects[0]);
        if (combinedMode == 1 || combinedMode == 3)
            rotateSymbol->render(&painter, combinedSymbolRects[1]);
        if (combinedMode == 2 || combinedMode == 3)
            zoomSymbol->render(&painter, combinedSymbolRects[2]);
        if (combinedMode == 3) {
            painter.save();
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(gridColor, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
            painter.setClipPath(rotateZone - panZone, Qt::IntersectClip);
            painter.drawPath(rotateZone);
            painter.restore();
            painter.save();
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(gridColor, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
            painter.drawPath(panZone);
            painter.restore();
        }
        break;
    case Model::Tool::OffPegs:
        if (offPegsMode == 0) {
            offPegsRotateSymbol->render(&painter, offPegsSymbolRect);
        } else if (offPegsMode == 1) {
            offPegsPanSymbol->render(&painter, offPegsSymbolRect);
        } else {
            offPegsRotateSymbol->render(&painter, offPegsSymbolRect);
            offPegsPanSymbol->render(&painter, offPegsSymbolRect);
            painter.save();
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(gridColor, 1));
            painter.drawPath(symbolCircle);
            painter.restore();
            if (!offPegs.isIdentity()) {
                QSvgRenderer* button = offPegsButton.get();
                if (offPegsMode == 2 && offPegsHoverZone == 2)
                    button = offPegsButtonClick.get();
                else if ((offPegsMode == 2 && offPegsHoverZone != 2)
                         || (offPegsHoverZone == 2 && offPegsMode == 3))
                    button = offPegsButtonHover.get();
                button->render(&painter, offPegsButtonShape.boundingRect());
            }
        }
        break;
    case Model::Tool::Lasso:
    case Model::Tool::Cutter:
        if (lassoStroke) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QColor(77, 163, 77, 205), 0.8, Qt::DashLine, Qt::RoundCap,
                                Qt::RoundJoin));
            painter.drawPath(full.inverted().map(lassoStroke->toPainterPath()));
            painter.restore();
        }
        break;
    case Model::Tool::FloatingSelection:
        paintFloatingSelection(painter, true);
        break;
    default:
        break;
    }
}

} // namespace UI

// What mouse and pen do on the exposure sheet's viewport: make a cell
// current, select a run of cells, drag a cell to slide its drawing or to add
// and discard holds, drag the sound against the frames, cycle a layer's
// beyond-last mode; and the cursor that says which of these a press starts.
#include "xsheet/XSheet.h"

#include "xsheet/XSheetHeader.h"
#include "xsheet/XSheetCommands.h"
#include "xsheet/XSheetPrivate.h"

#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "tools/Cursor.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QScrollBar>
#include <QTabletEvent>

#include <algorithm>

namespace UI {

using Roles = Model::SceneModel::Roles;

namespace {

int layerType(Model::FrameRangeModel const* model, int column)
{
    return model ? model->headerData(column, Qt::Horizontal, Roles::LayerTypeRole).toInt() : 0;
}

bool isVisualColumn(Model::FrameRangeModel const* model, int column)
{
    return model && model->headerData(column, Qt::Horizontal, Roles::IsVisualLayerRole).toBool();
}

} // namespace

// --- beyond-last buttons -------------------------------------------------------

QPainterPath XSheet::XSheetPrivate::beyondButtonPath(int column) const
{
    int const length = model->headerData(column, Qt::Horizontal, Roles::LayerLengthRole).toInt();
    QPointF const origin(header->sectionViewportPosition(column) + 1 + (header->sectionSize(column) - 3) / 2,
                         topMargin + (length - model->minimumFrameRangeNumber() + 1) * rowHeight
                             - q->verticalOffset());
    return buttonBody.translated(origin);
}

int XSheet::XSheetPrivate::beyondButtonAt(QPointF const& pos) const
{
    if (!model)
        return -1;
    int const column = header->logicalIndexAt(qRound(pos.x()));
    if (column < 0 || !isVisualColumn(model, column))
        return -1;
    return beyondButtonPath(column).contains(pos) ? column : -1;
}

void XSheet::XSheetPrivate::cycleLayerBeyondLast(int column)
{
    switch (model->headerData(column, Qt::Horizontal, Roles::BeyondLastRole).toInt()) {
    case 1:
        XSheetCommands::setLayerBeyondLast(column, 2);
        break;
    case 2:
        XSheetCommands::setLayerBeyondLast(column, 3);
        break;
    case 3:
        XSheetCommands::setLayerBeyondLast(column, 1);
        break;
    default:
        break;
    }
}

// --- cursor --------------------------------------------------------------------

void XSheet::XSheetPrivate::updateCursor(QPoint const& pos, bool force)
{
    int kind = slideMode ? 1 : 2;
    if (model) {
        int const row = q->rowAt(pos.y());
        int const column = header ? header->logicalIndexAt(pos.x()) : -1;
        int const length = model->headerData(column, Qt::Horizontal, Roles::LayerLengthRole).toInt();
        int const type = layerType(model, column);
        if (type == 4) {
            kind = !model->isAudioAvailable() ? 0 : audioOffsetLocked ? 4 : 3;
        } else if (row != -1 && row < length - 1 && type != 0) {
            if (type == 5)
                kind = annotationPenType == KW::AnnotationPenType::DrawToolPen ? 5 : 6;
        } else {
            kind = 0;
        }
    }
    if (kind == cursorKind && !force)
        return;
    QObject::disconnect(cursorConnection);
    cursorConnection = QMetaObject::Connection();
    switch (kind) {
    case 0:
        q->viewport()->setCursor(Model::Cursor::m_cursorArrow);
        break;
    case 1:
        q->viewport()->setCursor(Model::Cursor::m_cursorArrowSlideMode);
        break;
    case 2:
        q->viewport()->setCursor(Model::Cursor::m_cursorArrowAddClonesMode);
        break;
    case 3:
        q->viewport()->setCursor(Model::Cursor::m_cursorDragUpDown);
        break;
    case 4:
        q->viewport()->setCursor(Model::Cursor::m_cursorLock);
        break;
    default:
        // The annotation cursors follow the tool manager; setAnnotationCursor
        // keeps them connected.
        cursorKind = -1;
        setAnnotationCursor(kind);
        break;
    }
    cursorKind = kind;
}

// --- selection -----------------------------------------------------------------

void XSheet::XSheetPrivate::selectThumbnail(QModelIndex const& index, bool start)
{
    if (!index.isValid() || !isVisualColumn(model, index.column()) || !q->selectionModel())
        return;
    QModelIndex anchor = anchorIndex;
    if (start || !anchor.isValid())
        anchor = index;
    if (anchor.column() != index.column()) {
        q->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        return;
    }
    q->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    q->selectionModel()->select(QItemSelection(anchor, index), QItemSelectionModel::ClearAndSelect);
    anchorIndex = anchor;
}

// --- mouse ---------------------------------------------------------------------

void XSheet::mousePressEvent(QMouseEvent* event)
{
    if (!d->model || (event->buttons() & Qt::RightButton) || d->tabletDown) {
        event->ignore();
        return;
    }
    // The press the system makes from a pen press handled here must not act
    // a second time.
    if (event->source() != Qt::MouseEventNotSynthesized && d->tabletTimer->isActive())
        return;
    d->scrollAnimation->stop();
    d->pressPosition = event->position().toPoint();
    d->pressIndex = indexAt(d->pressPosition);

    int const column = d->header->logicalIndexAt(d->pressPosition.x());
    int const type = layerType(d->model, column);
    if (type == 4)
        return;
    if (type == 5) {
        handleAnnotationPress(event->position(), 0.5, event->timestamp());
        return;
    }
    int const hit = d->beyondButtonAt(event->position());

    QModelIndex const pressed = d->pressIndex;
    if (pressed.isValid() && isVisualColumn(d->model, pressed.column())
        && (event->modifiers() & Qt::ShiftModifier) && selectionModel()) {
        QModelIndex anchor = d->anchorIndex;
        if (!anchor.isValid())
            anchor = selectionModel()->currentIndex();
        if (anchor.isValid() && anchor.column() == pressed.column()) {
            selectionModel()->setCurrentIndex(pressed, QItemSelectionModel::NoUpdate);
            selectionModel()->select(QItemSelection(anchor, pressed), QItemSelectionModel::ClearAndSelect);
            d->anchorIndex = anchor;
        } else {
            selectionModel()->setCurrentIndex(pressed, QItemSelectionModel::ClearAndSelect);
        }
    }

    if (d->showBeyondButtons && hit != d->pressedBeyondColumn) {
        d->pressedBeyondColumn = hit;
        if (hit != -1)
            viewport()->update(d->beyondButtonPath(hit).boundingRect().toAlignedRect());
    }
}

void XSheet::mouseMoveEvent(QMouseEvent* event)
{
    if (!d->model || (event->buttons() & Qt::RightButton) || d->tabletDown) {
        event->ignore();
        return;
    }
    QPoint const pos = event->position().toPoint();
    if (d->annotationStrokeEngine.hasActiveStroke()) {
        // Points are added only while a button is held: a stroke whose
        // release went elsewhere must not keep growing under a hovering mouse.
        if (event->buttons() != Qt::NoButton)
            handleAnnotationMove(event->position(), 0.5, event->timestamp());
        return;
    }

    if (!d->frameDragRunning && !d->audioDragRunning && event->buttons() != Qt::NoButton
        && event->modifiers() == Qt::NoModifier
        && (pos - d->pressPosition).manhattanLength() >= QApplication::startDragDistance()) {
        int const type = layerType(d->model, d->header->logicalIndexAt(d->pressPosition.x()));
        if (type == 4) {
            d->audioDragRunning = !d->audioOffsetLocked;
            d->lastTemporaryAudioOffset = 0.0;
        } else if (d->pressIndex.isValid() && isVisualColumn(d->model, d->pressIndex.column())) {
            d->scrollToCenter = false;
            if (selectionModel())
                selectionModel()->setCurrentIndex(d->pressIndex, QItemSelectionModel::Clear);
            d->frameDragRunning = d->model->dragStart(
                d->slideMode ? Model::FrameRangeModel::Slide : Model::FrameRangeModel::AddClones,
                d->pressIndex);
        }
    }

    int hover = -1;
    if (d->audioDragRunning) {
        double const offset = double(pos.y() - d->pressPosition.y()) / d->rowHeight;
        if (!qFuzzyCompare(offset + 1.0, d->lastTemporaryAudioOffset + 1.0)) {
            d->lastTemporaryAudioOffset = offset;
            d->model->setAudioOffsetFramesTemporary(offset);
            updateLayerColumn(d->header->logicalIndexAt(d->pressPosition.x()));
        }
    } else if (d->frameDragRunning) {
        int const row = std::max(verticalOffset() + pos.y() - d->topMargin, 0) / d->rowHeight;
        d->model->setDragDistanceRows(row - d->pressIndex.row());
        viewport()->update();
    } else {
        hover = d->beyondButtonAt(event->position());
        d->updateCursor(pos, false);
    }

    if (d->showBeyondButtons && hover != d->hoveredBeyondColumn) {
        int const old = d->hoveredBeyondColumn;
        d->hoveredBeyondColumn = hover;
        for (int column : {old, hover}) {
            if (column != -1)
                viewport()->update(d->beyondButtonPath(column).boundingRect().toAlignedRect().adjusted(-2, -2, 2, 2));
        }
    }
}

void XSheet::mouseReleaseEvent(QMouseEvent* event)
{
    if (!d->model || (event->buttons() & Qt::RightButton) || d->tabletDown) {
        event->ignore();
        return;
    }
    QPoint const pos = event->position().toPoint();
    if (viewport()->rect().contains(pos)) {
        if (d->audioDragRunning) {
            d->finishAudioOffsetDrag(event->position());
        } else if (d->frameDragRunning) {
            int const row = std::max(verticalOffset() + pos.y() - d->topMargin, 0) / d->rowHeight;
            d->finishFrameDrag(row);
            updateScrollBars();
            setScrollToCenter(d->savedScrollToCenter);
            viewport()->update();
        } else if (d->annotationStrokeEngine.hasActiveStroke()) {
            handleAnnotationMove(event->position(), 0.5, event->timestamp());
            handleAnnotationRelease();
            return;
        } else {
            int const column = d->header->logicalIndexAt(pos.x());
            int const length = d->model->headerData(column, Qt::Horizontal, Roles::LayerLengthRole).toInt();
            if (d->showBeyondButtons && length >= d->model->minimumFrameRangeNumber()
                && length <= d->model->maximumFrameRangeNumber() + 1 && isVisualColumn(d->model, column)
                && column == d->pressedBeyondColumn && d->beyondButtonPath(column).contains(event->position())) {
                d->cycleLayerBeyondLast(column);
                viewport()->update();
            } else if (d->pressIndex.isValid() && indexAt(pos) == QModelIndex(d->pressIndex)
                       && (d->model->flags(d->pressIndex) & Qt::ItemIsEnabled) && selectionModel()) {
                selectionModel()->setCurrentIndex(d->pressIndex, (event->modifiers() & Qt::ShiftModifier)
                                                                     ? QItemSelectionModel::NoUpdate
                                                                     : QItemSelectionModel::Clear);
            }
        }
    } else if (d->annotationStrokeEngine.hasActiveStroke()) {
        // A stroke released outside the sheet is finished all the same.
        handleAnnotationRelease();
    }

    d->pressedBeyondColumn = -1;
    d->pressIndex = QPersistentModelIndex();
    d->pressPosition = QPoint();
    d->cancelDrags();
    d->updateCursor(pos, false);
}

void XSheet::XSheetPrivate::cancelDrags()
{
    if (audioDragRunning) {
        if (model)
            model->setAudioOffsetFramesTemporary(0.0);
        audioDragRunning = false;
        lastTemporaryAudioOffset = 0.0;
        q->viewport()->update();
    } else if (frameDragRunning) {
        if (model)
            model->dragEnd();
        frameDragRunning = false;
        q->updateScrollBars();
        scrollToCenter = savedScrollToCenter;
        q->viewport()->update();
    }
}

void XSheet::XSheetPrivate::finishFrameDrag(int row)
{
    model->setDragDistanceRows(row - pressIndex.row());
    int const distance = model->dragDistance();
    Model::FrameRangeModel::DragMode const mode = model->dragMode();
    frameDragRunning = false;
    switch (mode) {
    case Model::FrameRangeModel::Slide: {
        int const smallest = model->minDraggedDistance();
        int const largest = model->maxDraggedDistance();
        model->dragEnd();
        if (distance != 0 || smallest != 0 || largest != 0)
            XSheetCommands::slideOriginalDrawing(distance, smallest, largest);
        break;
    }
    case Model::FrameRangeModel::AddClones:
        model->dragEnd();
        if (distance > 0)
            XSheetCommands::addCloneDrawings(distance);
        else if (distance < 0)
            XSheetCommands::discardCloneDrawings(-distance);
        break;
    default:
        model->dragEnd();
        break;
    }
}

void XSheet::XSheetPrivate::finishAudioOffsetDrag(QPointF const& pos)
{
    double const offset = (pos.y() - pressPosition.y()) / rowHeight;
    model->setAudioOffsetFramesTemporary(offset);
    Model::Scene* const scene = model->scene();
    double const total = scene ? scene->audioOffsetFramesTotal() : 0.0;
    lastTemporaryAudioOffset = 0.0;
    model->setAudioOffsetFramesTemporary(0.0);
    audioDragRunning = false;
    XSheetCommands::setAudioOffset(total);
    q->viewport()->update();
}

// --- pen -----------------------------------------------------------------------

bool XSheet::handleTabletEvent(QTabletEvent* event)
{
    if (event->type() == QEvent::TabletPress && !d->tabletDown)
        d->scrollAnimation->stop();
    if (!(event->buttons() & Qt::RightButton)) {
        if (handleAnnotationTabletEvent(event))
            return true;
        QPointingDevice const* device = event->pointingDevice();
        if (device && device->pointerType() == QPointingDevice::PointerType::Eraser)
            return handleTabletEraserEvent(event);
    }
    event->ignore();
    return false;
}

bool XSheet::handleTabletEraserEvent(QTabletEvent* event)
{
    QPointingDevice const* device = event->pointingDevice();
    if (!device || device->pointerType() != QPointingDevice::PointerType::Eraser)
        return false;
    QPoint const pos = event->position().toPoint();
    switch (event->type()) {
    case QEvent::TabletPress:
        if (!d->tabletDown) {
            d->tabletDown = true;
            d->pressPosition = pos;
            d->pressIndex = indexAt(pos);
            d->selectThumbnail(d->pressIndex, true);
            d->tabletTimer->start(500);
        }
        break;
    case QEvent::TabletMove:
        if (d->tabletDown)
            d->selectThumbnail(indexAt(pos), false);
        else
            d->updateCursor(pos, false);
        break;
    case QEvent::TabletRelease:
        d->tabletDown = false;
        d->pressIndex = QPersistentModelIndex();
        d->pressPosition = QPoint();
        d->updateCursor(pos, false);
        break;
    default:
        break;
    }
    event->accept();
    return true;
}

} // namespace UI

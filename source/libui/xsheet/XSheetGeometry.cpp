// The exposure sheet's geometry: rows and columns in viewport coordinates,
// scroll bars and scrolling, the layout of header and footer, the column
// order kept in step with the scene, and the repaints of the current cell and
// the selection.
#include "xsheet/XSheet.h"

#include "xsheet/XSheetFooter.h"
#include "xsheet/XSheetHeader.h"
#include "xsheet/XSheetCommands.h"
#include "xsheet/XSheetPrivate.h"

#include "common/Animations.h"
#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/Scene.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTabletEvent>
#include <QToolTip>

#include <algorithm>

namespace UI {

using Roles = Model::SceneModel::Roles;

// --- rows and columns ----------------------------------------------------------

int XSheet::rowHeight(int) const
{
    return d->rowHeight;
}

int XSheet::rowViewportPosition(int row) const
{
    return row * d->rowHeight - verticalOffset() + d->topMargin;
}

int XSheet::rowAt(int y) const
{
    if (!d->model || d->rowHeight <= 0)
        return -1;
    // One pixel lower than the rows' tops, so that the line under a row still
    // belongs to it.
    int const q = std::max(y + verticalOffset() - d->topMargin - 1, 0);
    int const row = q / d->rowHeight;
    return row > d->model->rowCount() ? -1 : row;
}

int XSheet::visualRowAt(int y) const
{
    return rowAt(y);
}

int XSheet::columnViewportPosition(int column) const
{
    return d->header->sectionViewportPosition(column);
}

int XSheet::columnAt(int x) const
{
    return d->header->logicalIndexAt(x);
}

int XSheet::columnWidth(int column) const
{
    return d->header->sectionSize(column);
}

int XSheet::topMargin() const
{
    return d->topMargin;
}

int XSheet::bottomMargin() const
{
    return d->bottomMargin;
}

QRect XSheet::backlightRect(int row) const
{
    int const y0 = rowViewportPosition(row) + 1;
    QSize const icon = d->backlightIconSize;
    int const top = y0 + (d->rowHeight - (1 + icon.height())) / 2;
    return QRect(0, top, icon.width(), icon.height());
}

QModelIndex XSheet::indexAt(QPoint const& point) const
{
    if (!d->model)
        return QModelIndex();
    int const row = rowAt(point.y());
    int const column = d->header->logicalIndexAt(point.x());
    if (row < 0 || column < 0)
        return QModelIndex();
    return d->model->index(row, column);
}

QRect XSheet::visualRect(QModelIndex const& index) const
{
    if (!index.isValid())
        return QRect();
    int const x = d->header->sectionViewportPosition(index.column());
    int const w = d->header->sectionSize(index.column());
    int const y = rowViewportPosition(index.row());
    // Grown so that the current-cell frame and the selection mark around the
    // cell are repainted with it.
    return QRect(QPoint(x - 2, y - 6), QPoint(x + w, y + d->rowHeight + 5));
}

// --- scrolling -----------------------------------------------------------------

void XSheet::scrollTo(QModelIndex const& index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    scrollToColumn(index.column(), hint);
    scrollToRow(index.row());
    QRect const rect = visualRect(index);
    if (rect.intersects(viewport()->rect()))
        viewport()->update(rect);
}

void XSheet::scrollToColumn(int column, ScrollHint hint)
{
    if (column < 0 || column >= d->header->count())
        return;
    int const p = d->header->sectionPosition(column);
    int const w = d->header->sectionSize(column);
    int const v = viewport()->width();
    int const o = horizontalOffset();
    QScrollBar* const bar = horizontalScrollBar();
    switch (hint) {
    case PositionAtCenter:
        bar->setValue(p - (v - w) / 2);
        break;
    case PositionAtTop:
        bar->setValue(p);
        break;
    case PositionAtBottom:
        bar->setValue(p - v + w);
        break;
    default:
        if (p - o >= 0 && w <= v) {
            if (p - o + w > v)
                bar->setValue(p - v + w);
        } else {
            bar->setValue(p);
        }
        break;
    }
}

void XSheet::scrollToRow(int row)
{
    if (row < 0)
        return;
    int const h = viewport()->height();
    int const o = verticalOffset();
    int const y = row * d->rowHeight;
    int const span = d->rowHeight + 2 * d->cellTopInset;
    int const t = d->topMargin;
    bool const centre = d->scrollToCenter;
    QScrollBar* const bar = verticalScrollBar();

    auto const scrollToCentre = [&]() {
        int const target = y - (h - (span + t)) / 2;
        if (d->verticalScrollAnimationEnabled && Animations::enabled()) {
            d->scrollAnimation->stop();
            d->scrollAnimation->setDuration(Animations::duration(130));
            d->scrollAnimation->setStartValue(bar->value());
            d->scrollAnimation->setEndValue(target);
            d->scrollAnimation->start();
        } else {
            d->scrollAnimation->stop();
            bar->setValue(target);
        }
    };

    if (y - o >= 0 && h >= span) {
        if (y - o + span + t > h) {
            if (centre)
                scrollToCentre();
            else
                bar->setValue(y - h + span + t);
        } else if (centre) {
            scrollToCentre();
        }
    } else if (centre) {
        scrollToCentre();
    } else {
        bar->setValue(y);
    }
}

void XSheet::updateScrollBars()
{
    int const width = viewport()->width();
    int const height = viewport()->height();
    horizontalScrollBar()->setRange(0, std::max(0, d->header->length() - width));
    horizontalScrollBar()->setPageStep(width);
    int const rows = d->model ? d->model->rowCount() + (d->showBeyondButtons ? 1 : 0) : 0;
    verticalScrollBar()->setRange(
        0, std::max(0, d->topMargin - height + rows * d->rowHeight + d->bottomMargin));
    verticalScrollBar()->setPageStep(height);
}

QSize XSheet::viewportSizeHint() const
{
    int const rows = d->model ? d->model->rowCount() + (d->showBeyondButtons ? 1 : 0) : 0;
    int width = d->header->length();
    if (verticalScrollBar()->isVisible())
        width += verticalScrollBar()->width();
    int height = d->rowHeight * rows + d->topMargin + d->bottomMargin;
    if (horizontalScrollBar()->isVisible())
        height += horizontalScrollBar()->height();
    return QSize(width, height);
}

int XSheet::sizeHintForColumn(int column) const
{
    // Header and footer size their sections to the contents: the delegate
    // gives every cell the same size, as no cell carries text, icon, font or
    // size of its own. Asking it row by row would make each relayout (one
    // per frame step during playback) cost the length of the scene.
    QAbstractItemModel const* m = model();
    if (!m || column < 0 || column >= m->columnCount())
        return -1;
    if (m->rowCount() <= 0)
        return 0;
    ensurePolished();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    QModelIndex const cell = m->index(0, column);
    return itemDelegateForIndex(cell)->sizeHint(option, cell).width();
}

// --- layout of header, footer and scroll bars ----------------------------------

void XSheet::updateViewport()
{
    if (!d->header || !d->footer)
        return;
    int const headerHeight = d->header->height();
    setViewportMargins(0, headerHeight, 0, d->footer->height());
    setMinimumSize(0, 2 * (headerHeight + d->layerRefIconSize.height())
                          + horizontalScrollBar()->sizeHint().height());
}

void XSheet::resizeEvent(QResizeEvent* event)
{
    QAbstractItemView::resizeEvent(event);
    int const w = viewport()->width();
    int const h = viewport()->height();
    d->topShadowRect = QRect(0, 0, w, d->shadowBandHeight);
    d->bottomShadowRect = QRect(0, h - d->shadowBandHeight, w, d->shadowBandHeight);
    d->bottomShadow.setStart(0, h);
    d->bottomShadow.setFinalStop(0, h - d->shadowBandHeight);
    int const headerHeight = d->header->height();
    d->header->setGeometry(0, 0, width(), headerHeight);
    d->footer->setGeometry(0, headerHeight + h, width(), d->footer->height());
    updateScrollBars();
    updateOpacitySliderPosition();
}

bool XSheet::eventFilter(QObject* object, QEvent* event)
{
    // The vertical bar runs beside the rows only, not beside header and footer.
    if (object == verticalScrollBar() && event->type() == QEvent::Move
        && static_cast<QMoveEvent*>(event)->pos().y() == 0) {
        QScrollBar* const bar = verticalScrollBar();
        int const headerHeight = d->header ? d->header->height() : 0;
        int const footerHeight = d->footer ? d->footer->height() : 0;
        bar->resize(bar->width(), bar->height() - headerHeight - footerHeight);
        bar->move(static_cast<QMoveEvent*>(event)->pos().x(), headerHeight);
    }
    return QAbstractItemView::eventFilter(object, event);
}

void XSheet::updateGeometries()
{
    QAbstractItemView::updateGeometries();
    updateGizmos();
    updateOpacitySliderPosition();
}

void XSheet::updateOpacitySliderPosition()
{
    int const column = d->opacityColumn;
    QPoint const local(d->header->sectionViewportPosition(column) + d->header->sectionSize(column) / 2,
                       d->footer->geometry().top() + 7);
    emit opacityCenterMoved(mapToGlobal(local));
}

// --- columns -------------------------------------------------------------------

void XSheet::XSheetPrivate::syncColumnOrder()
{
    Model::Scene const* scene = model ? model->scene() : nullptr;
    if (!scene)
        return;
    QList<int> const order = scene->getLogicalLayerIndices();
    QObject::disconnect(footer, &QHeaderView::sectionMoved, q, &XSheet::columnMoved);
    for (int i = 0; i < order.size(); ++i) {
        int const layer = order.at(i);
        for (QHeaderView* view : {static_cast<QHeaderView*>(header), static_cast<QHeaderView*>(footer)}) {
            if (i >= view->count() || layer < 0 || layer >= view->count())
                continue;
            int const from = view->visualIndex(layer);
            if (from != i)
                view->moveSection(from, i);
        }
    }
    QObject::connect(footer, &QHeaderView::sectionMoved, q, &XSheet::columnMoved);
}

void XSheet::moveLayer(int layer, int, int to)
{
    if (d->header->visualIndex(layer) == to && d->footer->visualIndex(layer) == to)
        return;
    d->syncColumnOrder();
    viewport()->update();
    updateGizmos();
    updateOpacitySliderPosition();
}

void XSheet::columnResized(int logical, int, int)
{
    // Sections are resized in bursts, all of them when the columns are laid
    // out: the gizmos and the slider follow once after the burst, not once
    // per section, which would cost the square of the layer count.
    if (!d->geometriesPending) {
        d->geometriesPending = true;
        QMetaObject::invokeMethod(
            this,
            [this]() {
                d->geometriesPending = false;
                updateGeometries();
            },
            Qt::QueuedConnection);
    }
    int const x = d->header->sectionViewportPosition(logical);
    viewport()->update(QRect(x, 0, viewport()->width() - x, viewport()->height()));
}

void XSheet::columnMoved(int logical, int oldVisual, int newVisual)
{
    updateGeometries();
    updateColumns(oldVisual, newVisual);
    XSheetCommands::moveLayer(logical, oldVisual, newVisual);
}

void XSheet::columnCountChanged()
{
    d->syncColumnOrder();
    updateGeometries();
    updateScrollBars();
    d->header->setOffset(horizontalScrollBar()->value());
    d->footer->setOffset(horizontalScrollBar()->value());
    viewport()->update();
}

void XSheet::updateLayerColumn(int layer)
{
    if (layer < 0)
        return;
    viewport()->update(QRect(d->header->sectionViewportPosition(layer), 0,
                             d->header->sectionSize(layer), viewport()->height()));
}

void XSheet::updateColumns(int firstVisual, int lastVisual)
{
    int const a = d->header->logicalIndex(std::min(firstVisual, lastVisual));
    int const b = d->header->logicalIndex(std::max(firstVisual, lastVisual));
    if (a < 0 || b < 0)
        return;
    int const left = d->header->sectionViewportPosition(a);
    int const right = d->header->sectionViewportPosition(b) + d->header->sectionSize(b);
    viewport()->update(QRect(left, 0, right - left, viewport()->height()));
}

void XSheet::updateColumn(int visual)
{
    updateColumns(visual, visual);
}

void XSheet::updateIndex(QModelIndex const& index)
{
    if (!index.isValid())
        return;
    QRect const rect = visualRect(index);
    if (rect.intersects(viewport()->rect()))
        viewport()->update(rect);
}

void XSheet::updateCloneIndices(QModelIndex const& index)
{
    if (!index.isValid() || !d->model)
        return;
    for (QModelIndex const& clone : d->model->cloneIndices(index))
        updateIndex(clone);
}

// --- current cell and selection ------------------------------------------------

void XSheet::currentChanged(QModelIndex const& current, QModelIndex const& previous)
{
    if (current.isValid() && previous.isValid() && current.column() == previous.column()) {
        for (QModelIndex const& index : {previous, current}) {
            updateIndex(index);
            updateCloneIndices(index);
            viewport()->update(backlightRect(index.row()));
        }
    } else {
        viewport()->update();
    }
    QAbstractItemView::currentChanged(current, previous);
}

void XSheet::selectionChanged(QItemSelection const& selected, QItemSelection const& deselected)
{
    for (QItemSelection const* selection : {&selected, &deselected}) {
        for (QModelIndex const& index : selection->indexes())
            updateIndex(index);
    }
    QItemSelection const all = selectionModel() ? selectionModel()->selection() : QItemSelection();
    if (all.isEmpty()) {
        d->anchorIndex = QPersistentModelIndex();
    } else {
        QItemSelectionRange const& first = all.first();
        if (first.topLeft() != d->anchorIndex && first.bottomRight() != d->anchorIndex)
            d->anchorIndex = first.topLeft();
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

// --- viewport events and the context menu --------------------------------------

bool XSheet::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::TabletMove:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        if (handleTabletEvent(static_cast<QTabletEvent*>(event)))
            return true;
        break;
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        QModelIndex const index = indexAt(help->pos());
        if (index.isValid()) {
            QToolTip::showText(help->globalPos(), index.data(Qt::ToolTipRole).toString(), viewport());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    default:
        break;
    }
    return QAbstractItemView::viewportEvent(event);
}

void XSheet::contextMenuEvent(QContextMenuEvent* event)
{
    if (!d->model) {
        QAbstractItemView::contextMenuEvent(event);
        return;
    }
    QModelIndex const index = indexAt(event->pos());
    int const column = d->header->logicalIndexAt(event->pos().x());
    bool const visual = d->model->headerData(column, Qt::Horizontal, Roles::IsVisualLayerRole).toBool();
    if (index.isValid() && visual && !index.data(Roles::VirtualLastFrameRole).toBool()) {
        if (selectionModel() && !selectionModel()->isSelected(index))
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::Clear);
        emit rightClickedThumbnail(index, event->globalPos());
    } else {
        emit rightClickedLayer(visual ? column : -1, event->globalPos());
    }
    event->accept();
}

} // namespace UI

// Painting the exposure sheet's viewport. Only the rows and columns that the
// exposed region touches are visited, each cell at most once per paint event,
// and thumbnails are asked for at the cell's size in device pixels so that
// the drawings' own thumbnail caches answer them; those not made yet are
// made on worker threads and painted once ready.
#include "xsheet/XSheet.h"

#include "xsheet/XSheetHeader.h"
#include "xsheet/XSheetPrivate.h"

#include "drawings/ThumbnailMaker.h"
#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "settings/Settings.h"

#include <QBitArray>
#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QScrollBar>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace UI {

using Roles = Model::SceneModel::Roles;

void XSheet::XSheetPrivate::updateGradients()
{
    auto const shadowStops = [](QLinearGradient& gradient) {
        gradient.setColorAt(0, QColor(0, 0, 0, 67));
        gradient.setColorAt(0.5, QColor(0, 0, 0, 15));
        gradient.setColorAt(1, QColor(0, 0, 0, 0));
    };
    topShadow = QLinearGradient(0, 0, 0, shadowBandHeight);
    shadowStops(topShadow);
    QPointF const start = bottomShadow.start();
    QPointF const stop = bottomShadow.finalStop();
    bottomShadow = QLinearGradient(start, stop);
    shadowStops(bottomShadow);
    QColor strong = rangeFadeColor;
    strong.setAlphaF(0.8f);
    QColor faint = rangeFadeColor;
    faint.setAlphaF(0.1f);
    fadeIn = QLinearGradient(0, 0, 0, rowHeight - 1);
    fadeIn.setColorAt(0, faint);
    fadeIn.setColorAt(1, strong);
    fadeOut = QLinearGradient(0, 0, 0, rowHeight - 1);
    fadeOut.setColorAt(0, strong);
    fadeOut.setColorAt(1, faint);
}

void XSheet::XSheetPrivate::updateSymbolPaths()
{
    double const s = Model::Settings::instance()->UIScaleFraction();
    QTransform const down = QTransform::fromTranslate(0, 15 * s);
    QPainterPath body;
    body.addEllipse(QRectF(-9.5 * s, -9.5 * s, 19 * s, 19 * s));
    QPainterPath minus;
    minus.moveTo(-5.5 * s, 0);
    minus.lineTo(5.5 * s, 0);
    QPainterPath bar;
    bar.moveTo(0, -5.5 * s);
    bar.lineTo(0, 5.5 * s);
    QPainterPath ring;
    ring.addEllipse(QRectF(-4 * s, -4 * s, 8 * s, 8 * s));
    buttonBody = down.map(body);
    buttonMinus = down.map(minus);
    buttonBar = down.map(bar);
    buttonRing = down.map(ring);
}

namespace {

// One paint event: the visible span of rows and columns, what is already
// painted, and the current cell met on the way.
class SheetPaint
{
public:
    SheetPaint(XSheet* view, XSheet::XSheetPrivate& data, QPainter& painter)
        : q(view)
        , d(data)
        , p(painter)
        , m(data.model)
        , header(data.header)
    {
    }

    void run(QRegion const& region);

private:
    struct Column
    {
        int logical = -1;
        int x = 0; // cell left (section position + left inset)
        int w = 0; // cell width
        int sectionX = 0;
        int sectionSize = 0;
        int type = 0;
        int len = 0; // layer length + 1
        bool visual = false;
    };

    Column column(int logical) const;
    int rowTop(int row) const { return q->rowViewportPosition(row); }
    QRect cellRect(Column const& c, int row) const
    {
        return QRect(c.x, rowTop(row) + d.cellTopInset, c.w, d.rowHeight - 1);
    }
    // Rows and visual columns that a rectangle touches, within the visible span.
    std::pair<int, int> rowsOf(QRect const& rect) const;
    std::pair<int, int> visualColumnsOf(QRect const& rect) const;
    bool markPainted(int row, int visual);
    bool isScrubRow(int row);
    int offPegsLayer(int row);

    void paintBackground(QRect const& rect);
    void paintCells(QRect const& rect);
    void paintColumn(QRect const& rect, Column const& c);
    void paintCell(Column const& c, int row, QPolygon const& arrow);
    void paintPicture(Column const& c, QRect const& cell, QModelIndex const& index,
                      QColor const& cellColor, QColor const& marginColor);
    void paintCaps(QRect const& rect, Column const& c);
    void paintBeyondButton(Column const& c);
    void paintAudioBeyondRange(Column const& c);
    void paintRangeAndBeatLines(QRect const& rect);
    void paintBacklightSymbols(QRect const& rect);
    void paintCurrentFrame();
    void paintShadows(QRect const& rect);

    XSheet* q;
    XSheet::XSheetPrivate& d;
    QPainter& p;
    Model::FrameRangeModel* m;
    XSheetHeader* header;

    qreal ratio = 1.0;
    int rowCount = 0;
    int minRange = 0;
    int maxRange = 0;
    int maxFrame = 0;
    int firstRow = 0;
    int lastRow = -1;
    int firstVisual = 0;
    int lastVisual = -1;
    int cellAreaBottom = 0;
    QBitArray painted;
    QBitArray fadeDone;
    QBitArray backlightDone;
    QList<int> offPegsCache; // layer per row, -2 unknown
    QList<signed char> scrubCache; // -1 unknown
    QModelIndex current;
    QList<QModelIndex> currentClones;
    bool currentMet = false;
    QRect currentRect;
    bool currentHold = false;
    bool currentVirtual = false;
    QSize frameSize;
};

SheetPaint::Column SheetPaint::column(int logical) const
{
    Column c;
    c.logical = logical;
    c.sectionX = header->sectionViewportPosition(logical);
    c.sectionSize = header->sectionSize(logical);
    c.x = c.sectionX + d.cellLeftInset;
    c.w = c.sectionSize - d.cellWidthCut;
    c.type = m->headerData(logical, Qt::Horizontal, Roles::LayerTypeRole).toInt();
    c.len = m->headerData(logical, Qt::Horizontal, Roles::LayerLengthRole).toInt();
    c.visual = m->headerData(logical, Qt::Horizontal, Roles::IsVisualLayerRole).toBool();
    return c;
}

std::pair<int, int> SheetPaint::rowsOf(QRect const& rect) const
{
    int const offset = q->verticalScrollBar()->value() - d.topMargin;
    auto const rowOf = [&](int y) {
        int const v = y + offset;
        return v < 0 ? -1 : v / d.rowHeight;
    };
    return {std::max(firstRow, rowOf(rect.top())), std::min(lastRow, rowOf(rect.bottom()))};
}

std::pair<int, int> SheetPaint::visualColumnsOf(QRect const& rect) const
{
    int left = header->visualIndexAt(rect.left());
    if (left < 0)
        left = rect.left() < header->length() - header->offset() ? 0 : header->count();
    int right = header->visualIndexAt(rect.right() + 1);
    if (right < 0)
        right = header->count() - 1;
    return {std::max(left, firstVisual), std::min(right, lastVisual)};
}

bool SheetPaint::markPainted(int row, int visual)
{
    int const columns = lastVisual - firstVisual + 1;
    qsizetype const bit = qsizetype(row - firstRow) * columns + (visual - firstVisual);
    if (bit < 0 || bit >= painted.size())
        return true;
    if (painted.testBit(bit))
        return false;
    painted.setBit(bit);
    return true;
}

bool SheetPaint::isScrubRow(int row)
{
    signed char& cached = scrubCache[row - firstRow];
    if (cached < 0)
        cached = m->headerData(row, Qt::Vertical, Roles::ScrubFrameRole).toBool() ? 1 : 0;
    return cached == 1;
}

int SheetPaint::offPegsLayer(int row)
{
    int& cached = offPegsCache[row - firstRow];
    if (cached == -2) {
        int layer = -1;
        cached = m->isOffPegs(row, &layer) ? layer : -3;
        if (cached == -1)
            cached = -4; // off the pegs on no reported layer
    }
    return cached;
}

void SheetPaint::run(QRegion const& region)
{
    if (!m || header->count() == 0) {
        for (QRect const& rect : region)
            paintShadows(rect);
        return;
    }
    ratio = p.device()->devicePixelRatioF();
    rowCount = m->rowCount();
    minRange = m->minimumFrameRangeNumber();
    maxRange = m->maximumFrameRangeNumber();
    maxFrame = m->maximumFrameNumber();
    frameSize = m->frameSize();
    int const height = q->viewport()->height();
    int const extraRow = d.showBeyondButtons ? 1 : 0;
    int const offset = q->verticalScrollBar()->value() - d.topMargin;
    firstRow = std::max(0, offset < 0 ? 0 : offset / d.rowHeight);
    lastRow = std::min(rowCount - 1 + extraRow, std::max(-1, (height + offset) / d.rowHeight));
    firstVisual = std::max(0, header->visualIndexAt(0));
    lastVisual = header->visualIndexAt(q->viewport()->width());
    if (lastVisual < 0)
        lastVisual = header->count() - 1;
    int const rows = std::max(0, lastRow - firstRow + 1);
    int const columns = std::max(0, lastVisual - firstVisual + 1);
    painted.resize((rows + 2) * columns);
    fadeDone.resize(header->count());
    backlightDone.resize(rows + 2);
    offPegsCache = QList<int>(rows + 2, -2);
    scrubCache = QList<signed char>(rows + 2, -1);
    cellAreaBottom = d.topMargin + (rowCount + extraRow) * d.rowHeight + d.bottomMargin
                     - q->verticalScrollBar()->value();

    current = m->dragMode() != Model::FrameRangeModel::NoDrag ? m->currentDragIndex() : q->currentIndex();
    if (current.isValid())
        currentClones = m->cloneIndices(current);

    for (QRect const& rect : region)
        paintBackground(rect);
    for (QRect const& rect : region)
        paintCells(rect);
    for (QRect const& rect : region)
        paintBacklightSymbols(rect);
    paintCurrentFrame();
    for (QRect const& rect : region)
        paintShadows(rect);
}

// --- step 2: background and the region below each layer's end ------------------

void SheetPaint::paintBackground(QRect const& rect)
{
    p.fillRect(rect, q->palette().brush(QPalette::Current, QPalette::Window));
    auto const [left, right] = visualColumnsOf(rect);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    for (int visual = left; visual <= right; ++visual) {
        int const logical = header->logicalIndex(visual);
        if (header->isSectionHidden(logical))
            continue;
        Column const c = column(logical);
        if (!c.visual || c.len == maxFrame + 1)
            continue;
        int const top = rowTop(c.len - minRange);
        int const bottom = rowTop(rowCount - 1);
        QRect const area = QRect(c.x, top, c.w, bottom - top).intersected(rect);
        if (area.isEmpty())
            continue;
        int const mode = m->headerData(logical, Qt::Horizontal, Roles::BeyondLastRole).toInt();
        if (mode != 2 && mode != 3)
            continue;
        p.save();
        p.setClipRect(area);
        p.setPen(QPen(d.beyondLineColor, 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        p.setBrush(Qt::NoBrush);
        double const xc = area.left() + area.width() / 2.0;
        if (mode == 2) {
            p.drawLine(QPointF(xc, area.top()), QPointF(xc, area.bottom()));
        } else {
            // The zigzag is anchored to multiples of 50 so that repaints of
            // parts of the region join up.
            int yy = int(std::lround(double(area.top()))) / 50 * 50;
            for (; yy <= area.bottom(); yy += 50) {
                p.drawLine(QPointF(xc + 4, yy), QPointF(xc - 4, yy));
                p.drawLine(QPointF(xc - 4, yy), QPointF(xc + 4, yy + 50));
            }
        }
        p.restore();
    }
    p.restore();
}

// --- step 3: cells -------------------------------------------------------------

void SheetPaint::paintCells(QRect const& rect)
{
    auto const [left, right] = visualColumnsOf(rect);
    if (left > right)
        return;
    p.save();
    p.setClipRect(QRect(0, 0, header->length() - header->offset(), cellAreaBottom), Qt::IntersectClip);
    p.setPen(Qt::NoPen);
    p.setBrush(d.tint30);
    for (int visual = left; visual <= right; ++visual) {
        int const logical = header->logicalIndex(visual);
        if (!header->isSectionHidden(logical))
            paintColumn(rect, column(logical));
    }
    p.restore();
    paintRangeAndBeatLines(rect);
}

void SheetPaint::paintColumn(QRect const& rect, Column const& c)
{
    p.save();
    double opacity = 0.65;
    if (c.type == 4 || c.type == 5)
        opacity = 0.1;
    if (c.logical == q->currentIndex().column())
        opacity = 0.85;
    p.setOpacity(opacity);

    if (minRange > 1 && !fadeDone.testBit(c.logical)) {
        // The range continues upward.
        fadeDone.setBit(c.logical);
        QRect const cell(c.x, d.topMargin - d.rowHeight - q->verticalScrollBar()->value() + 1, c.w,
                         d.rowHeight - 1);
        QLinearGradient fade = d.fadeIn;
        fade.setStart(0, cell.top());
        fade.setFinalStop(0, cell.bottom());
        p.fillRect(cell, fade);
    }

    int const w = c.w;
    int const h = d.rowHeight - 1;
    QPolygon const arrow{QPoint(w / 5, -1), QPoint(w - w / 5, -1), QPoint(w - w / 5, h - 8),
                         QPoint(w / 2, h - 3), QPoint(w / 5, h - 8)};
    auto const [top, bottom] = rowsOf(rect);
    int const visual = header->visualIndex(c.logical);
    for (int row = top; row <= bottom; ++row) {
        if (row < rowCount && markPainted(row, visual))
            paintCell(c, row, arrow);
    }

    paintCaps(rect, c);
    paintBeyondButton(c);
    if (c.type == 4)
        paintAudioBeyondRange(c);
    p.restore();
}

void SheetPaint::paintCell(Column const& c, int row, QPolygon const& arrow)
{
    bool const scrub = isScrubRow(row);
    if (scrub) {
        p.save();
        p.setOpacity(0.25);
        p.fillRect(QRect(c.sectionX, rowTop(row), c.sectionSize, d.rowHeight + 1),
                   q->palette().brush(QPalette::Current, QPalette::Highlight));
        p.restore();
    }
    QModelIndex const index = m->index(row, c.logical);
    if (!index.isValid())
        return;
    bool const hold = index.data(Roles::HoldRole).toBool();
    bool const distantClone = index.data(Roles::DistantCloneRole).toBool();
    bool const virtualFrame = index.data(Roles::VirtualLastFrameRole).toBool();
    QRect const cell = cellRect(c, row);
    int const x = cell.left();
    int const y = cell.top();
    int const w = cell.width();
    int const h = cell.height();
    int const x2 = cell.right();
    int const y2 = cell.bottom();

    p.save();
    QColor const cellColor = hold ? d.tint70 : distantClone ? d.tint : d.baseColor;
    QColor marginColor = cellColor;
    marginColor.setAlphaF(0.9f);
    if (index == current || currentClones.contains(index))
        p.setOpacity(1.0);
    if (index == current) {
        currentMet = true;
        currentRect = cell;
        currentHold = hold;
        currentVirtual = virtualFrame;
    }

    if (c.type == 4) {
        QImage image = m->thumbnail(index, QSize(qRound(ratio * (w - 2)), qRound(ratio * d.rowHeight)));
        if (!image.isNull()) {
            image.setDevicePixelRatio(ratio);
            if (!virtualFrame)
                p.fillRect(cell, Qt::white);
            // The waveform's opacity is its own: what follows in the cell,
            // such as the off-pegs wash, keeps the column's.
            p.save();
            if (!scrub) {
                p.setOpacity(0.5);
                p.drawImage(QPointF(x + 1, y), image);
            } else {
                // The scrubbed frame's sound stands out; its last pixel row
                // stays faint as the neighbours' do.
                double const logicalHeight = image.height() / ratio;
                QRectF const upper(0, 0, image.width(), std::max(0.0, image.height() - ratio));
                p.setOpacity(1.0);
                p.drawImage(QRectF(x + 1, y, image.width() / ratio, logicalHeight - 1), image, upper);
                p.setOpacity(0.5);
                p.drawImage(QRectF(x + 1, y + logicalHeight - 1, image.width() / ratio, 1), image,
                            QRectF(0, upper.height(), image.width(), image.height() - upper.height()));
            }
            p.restore();
        }
    } else if (c.type == 5) {
        if (!virtualFrame)
            p.fillRect(cell, Qt::white);
        if (d.annotationStrokeEngine.hasActiveStroke()) {
            QImage const image = d.annotationDisplayImage(index);
            if (!image.isNull()) {
                // The live image is 56 pixels per row; shown at the row's scale.
                double const k = double(d.rowHeight) / d.annotationImageFrameHeight;
                p.save();
                p.setOpacity(1.0);
                p.drawImage(QRectF(x, y, image.width() * k, image.height() * k), image);
                p.restore();
            }
        } else {
            QImage image = m->thumbnail(index, QSize(qRound(ratio * w), qRound(ratio * d.rowHeight)));
            if (!image.isNull()) {
                image.setDevicePixelRatio(ratio);
                p.save();
                p.setOpacity(1.0);
                p.drawImage(QPointF(x, y), image);
                p.restore();
            }
        }
    } else if (!virtualFrame) {
        paintPicture(c, cell, index, cellColor, marginColor);
    }

    if (hold) {
        QModelIndex const next = m->index(row + 1, c.logical);
        if (next.isValid() && next.data(Roles::HoldRole).toBool()) {
            p.fillRect(QRect(QPoint(x + w / 5, y - 1), QPoint(x2 - w / 5, y2)), p.brush());
        } else {
            p.fillRect(QRect(QPoint(x, y + h - 3), QPoint(x2, y2)), p.brush());
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(Qt::NoPen);
            p.translate(x, y);
            p.drawPolygon(arrow, Qt::OddEvenFill);
            p.restore();
        }
    }

    int const offPegs = offPegsLayer(row);
    if (offPegs != -3) {
        p.fillRect(cell, d.offPegsWash);
        if (offPegs == c.logical) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(d.offPegsWash);
            p.drawLine(x, y, x2, y2);
            p.drawLine(x2, y, x, y2);
            p.restore();
        }
    }

    if (index.data(Roles::KeyDrawingRole).toBool()) {
        p.save();
        p.setOpacity(1.0);
        QPixmap const key = d.keySymbolIcon.pixmap(QSize(std::max(w, 37), std::max(h, 21)), ratio,
                                                   QIcon::Normal, QIcon::Off);
        QRectF target(QPointF(0, 0), key.deviceIndependentSize());
        target.moveCenter(QRectF(cell).center());
        p.drawPixmap(target.topLeft(), key);
        p.restore();
    }

    if (virtualFrame) {
        if (maxRange < c.len - 1) {
            // The layer goes on past the range.
            QLinearGradient fade = d.fadeOut;
            fade.setStart(0, y);
            fade.setFinalStop(0, y2);
            p.fillRect(cell, fade);
        }
        QPen dash(d.virtualFrameDashColor, 1, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
        dash.setDashPattern(d.dashPattern);
        p.setPen(dash);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(x + 0.5, y + 0.5, w - 1, h - 1));
    }

    if (q->selectionModel() && q->selectionModel()->isSelected(index)) {
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        p.fillRect(cell, Qt::white);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        if (hold)
            p.fillRect(QRect(QPoint(x + w / 5, y - 1), QPoint(x2 - w / 5, y - 1)), d.selectedHoldJoint);
    }
    p.restore();
}

void SheetPaint::paintPicture(Column const& c, QRect const& cell, QModelIndex const& index,
                              QColor const& cellColor, QColor const& marginColor)
{
    QSize framed = frameSize.isValid() && !frameSize.isEmpty()
                       ? frameSize.scaled(cell.size(), Qt::KeepAspectRatio)
                       : cell.size();
    QRect picture(QPoint(0, 0), framed);
    picture.moveCenter(cell.center());
    for (QRect const& margin : QRegion(cell).subtracted(QRegion(picture)))
        p.fillRect(margin, marginColor);
    p.fillRect(picture, cellColor);
    QImage image = m->thumbnail(index, QSize(qRound(ratio * cell.width()), qRound(ratio * cell.height())));
    if (image.isNull())
        return;
    image.setDevicePixelRatio(ratio);
    QRectF target(QPointF(0, 0), image.deviceIndependentSize());
    target.moveCenter(QRectF(cell).center());
    bool const drawLayer = m->headerData(c.logical, Qt::Horizontal, Roles::IsDrawLayerRole).toBool();
    if (!drawLayer)
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
    p.drawImage(target.topLeft(), image);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void SheetPaint::paintCaps(QRect const& rect, Column const& c)
{
    if (c.type != 2 && c.type != 3)
        return;
    QIcon const& icon = c.type == 2 ? d.layerPaintIcon : d.layerRefIcon;
    QSize const size = c.type == 2 ? d.layerPaintIconSize : d.layerRefIconSize;
    QPixmap const pixmap = icon.pixmap(size, ratio, QIcon::Normal, QIcon::Off);
    qreal const r = pixmap.devicePixelRatio();
    int const top = rect.top();
    QRectF const source((size.width() - c.w) / 2 * r, r * top, r * c.w, r * size.height());
    // The cap hangs from the viewport's top edge and stands upside down on
    // its bottom edge; neither scrolls.
    p.drawPixmap(QRectF(c.x, top, c.w, size.height()), pixmap, source);
    p.save();
    p.translate(c.x + c.w, q->viewport()->height());
    p.rotate(180);
    p.drawPixmap(QRectF(0, 0, c.w, size.height()), pixmap, source);
    p.restore();
}

void SheetPaint::paintBeyondButton(Column const& c)
{
    if (!d.showBeyondButtons || !c.visual || c.len < minRange || c.len > maxRange + 1)
        return;
    QPointF const origin(c.x + c.w / 2.0, rowTop(c.len - minRange + 1));
    int const mode = m->headerData(c.logical, Qt::Horizontal, Roles::BeyondLastRole).toInt();
    p.save();
    p.translate(origin);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    QColor fill = d.beyondButtonFill;
    if (d.hoveredBeyondColumn == c.logical)
        fill = d.pressedBeyondColumn == c.logical ? d.beyondButtonPressed : d.beyondButtonHovered;
    p.setBrush(fill);
    p.drawPath(d.buttonBody);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(d.beyondButtonSymbol, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::BevelJoin));
    if (mode == 1)
        p.drawPath(d.buttonMinus);
    else if (mode == 2)
        p.drawPath(d.buttonBar);
    else if (mode == 3)
        p.drawPath(d.buttonRing);
    p.restore();
}

void SheetPaint::paintAudioBeyondRange(Column const& c)
{
    int const row = maxRange - minRange + 1;
    QRect const cell = cellRect(c, row);
    if (m->audioStartsBeyondRange()) {
        QPixmap const chevron = d.chevronIcon.pixmap(d.chevronIconSize, ratio, QIcon::Normal, QIcon::Off);
        QRectF target(QPointF(0, 0), chevron.deviceIndependentSize());
        target.moveCenter(QRectF(cell).center());
        p.save();
        p.setOpacity(1.0);
        p.drawPixmap(target.topLeft(), chevron);
        p.restore();
    } else if (m->audioEndsBeyondRange()) {
        QPixmap const wave = d.waveformIcon.pixmap(QSize(cell.width(), int(0.8 * cell.height())), ratio,
                                                   QIcon::Normal, QIcon::Off);
        QRectF target(QPointF(0, 0), wave.deviceIndependentSize());
        target.moveCenter(QRectF(cell).center());
        p.save();
        p.setOpacity(0.25);
        p.drawPixmap(target.topLeft(), wave);
        p.restore();
    }
}

void SheetPaint::paintRangeAndBeatLines(QRect const& rect)
{
    int const offset = q->verticalScrollBar()->value();
    double const right = std::min<double>(rect.right(), header->length() - header->offset() - 3);
    QPen range(Qt::black, 3, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    p.save();
    p.setPen(range);
    if (minRange > 1) {
        double const y = d.topMargin - offset - 0.5;
        p.drawLine(QPointF(rect.left(), y), QPointF(right, y));
    }
    if (maxRange < maxFrame) {
        double const y = d.topMargin + (maxRange - minRange + 2) * d.rowHeight - offset + 1.5;
        p.drawLine(QPointF(rect.left(), y), QPointF(right, y));
    }
    QPen beat(d.beatLineColor, 0);
    beat.setCosmetic(true);
    p.setPen(beat);
    auto const [top, bottom] = rowsOf(rect);
    for (int row = std::max(top, 0); row <= bottom && row < rowCount; ++row) {
        int const frame = minRange + row;
        if (frame % 8 == 1 && frame != 1) {
            double const y = rowTop(row) + 0.5;
            p.drawLine(QPointF(rect.left(), y), QPointF(q->width(), y));
        }
    }
    p.restore();
}

// --- steps 4 to 6 --------------------------------------------------------------

void SheetPaint::paintBacklightSymbols(QRect const& rect)
{
    auto const [top, bottom] = rowsOf(rect);
    QSize const icon = d.backlightIconSize;
    for (int row = std::max(top, 0); row <= bottom && row < rowCount; ++row) {
        if (backlightDone.testBit(row - firstRow))
            continue;
        if (!m->headerData(row, Qt::Vertical, Roles::BacklightFrameRole).toBool())
            continue;
        QRect const symbol(0, rowTop(row) + 1 + (d.rowHeight - 1 - icon.height()) / 2, icon.width(),
                           icon.height());
        if (!symbol.intersects(rect))
            continue;
        backlightDone.setBit(row - firstRow);
        p.drawPixmap(symbol.topLeft(),
                     d.backlightSymbolIcon.pixmap(icon, ratio, QIcon::Normal, QIcon::Off));
    }
}

void SheetPaint::paintCurrentFrame()
{
    if (!currentMet)
        return;
    QRectF const frame(currentRect.x() - 0.5, currentRect.y() - 0.5, currentRect.width() + 1,
                       currentRect.height() + 1);
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(frame);
    if (currentHold) {
        p.setPen(QPen(d.currentHoldInnerFrame, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(frame);
    }
    if (currentVirtual) {
        p.setOpacity(0.85);
        QPen dash(d.virtualFrameDashColor, 1, Qt::CustomDashLine, Qt::FlatCap, Qt::RoundJoin);
        dash.setDashPattern(d.dashPattern);
        p.setPen(dash);
        p.drawRect(QRectF(currentRect.x() + 0.5, currentRect.y() + 0.5, currentRect.width() - 1,
                          currentRect.height() - 1));
    }
    p.restore();
}

void SheetPaint::paintShadows(QRect const& rect)
{
    p.fillRect(rect.intersected(d.topShadowRect), d.topShadow);
    p.fillRect(rect.intersected(d.bottomShadowRect), d.bottomShadow);
}

} // namespace

void XSheet::paintEvent(QPaintEvent* event)
{
    // A cell whose thumbnail is not made yet is painted without it for now:
    // stepping shows a new row at each step, and making all of its
    // thumbnails here would hold the step up.
    Model::ThumbnailMaker::Deferral const deferral;
    QPainter painter(viewport());
    SheetPaint(this, *d, painter).run(event->region());
}

} // namespace UI

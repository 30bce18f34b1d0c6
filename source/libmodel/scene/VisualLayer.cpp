#include "scene/VisualLayer.h"

#include "drawings/Drawing.h"
#include "scene/DrawingRef.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"

#include <QHash>
#include <QProgressDialog>

#include <algorithm>
#include <cmath>

namespace Model {

struct VisualLayer::Data
{
    QList<std::shared_ptr<LayerItem>> frames;
    QSize frameSize;
    bool visible = true;
    double opacity = 1.0;
    // Where each cell identifier first occurs, made when first needed after
    // the cells changed: scenes with thousands of distant clones of a long
    // layer look their originals up one by one.
    mutable QHash<QUuid, qsizetype> cellIndex;
    mutable bool cellIndexKnown = false;

    void forgetCellIndex()
    {
        cellIndexKnown = false;
        cellIndex.clear();
    }

    void makeCellIndex() const
    {
        cellIndex.clear();
        cellIndex.reserve(frames.size());
        // Backwards, so that the first of cells sharing an identifier stays.
        for (qsizetype i = frames.size() - 1; i >= 0; --i)
            cellIndex.insert(frames.at(i)->identifier, i);
        cellIndexKnown = true;
    }

    // The indexed position of the identifier when it still holds that cell.
    qsizetype indexedPosition(QUuid const& identifier) const
    {
        auto const found = cellIndex.constFind(identifier);
        if (found == cellIndex.constEnd())
            return -1;
        qsizetype const i = found.value();
        return i < frames.size() && frames.at(i)->identifier == identifier ? i : -2;
    }
};

VisualLayer::VisualLayer(QSize const& frameSize, QObject* parent)
    : Layer(parent)
    , d(std::make_unique<Data>())
{
    d->frameSize = frameSize;
}

VisualLayer::VisualLayer(VisualLayer const& other)
    : Layer(other)
    , d(std::make_unique<Data>())
{
    d->frameSize = other.d->frameSize;
    d->visible = other.d->visible;
    d->opacity = other.d->opacity;
}

VisualLayer::~VisualLayer() = default;

int VisualLayer::length() const
{
    return int(d->frames.size());
}

bool VisualLayer::isFrameValid(int frame) const
{
    return frame >= 1 && frame <= length();
}

void VisualLayer::insertBlankFrameAfter(int frame)
{
    if (frame < 0 || frame > length())
        return;
    d->forgetCellIndex();
    d->frames.insert(frame, blankItem());
    holdsTakeDrawingOf(frame + 1);
}

void VisualLayer::insertHoldFrameAfter(int frame)
{
    if (frame == 0) {
        insertBlankFrameAfter(0);
    } else if (isFrameValid(frame)) {
        d->forgetCellIndex();
        d->frames.insert(frame, std::make_shared<LayerItem>(d->frames.at(frame - 1)->drawing));
    }
}

QList<LayerChange> VisualLayer::removeFrame(int frame)
{
    if (!isFrameValid(frame))
        return {};

    // Records in the order they are made; handed back newest first.
    QList<LayerChange> made;
    auto newestFirst = [&made]() {
        std::reverse(made.begin(), made.end());
        return made;
    };

    std::shared_ptr<LayerItem> const c = d->frames.at(frame - 1);

    // The first frame keeps its drawing when it is held: the hold goes instead.
    if (frame == 1 && c->kind != LayerItem::Hold && length() >= 2
        && d->frames.at(1)->kind == LayerItem::Hold) {
        std::shared_ptr<LayerItem> const hold = d->frames.at(1);
        made.append(LayerChange(LayerChange::OffPegsTransform, 1, c->offPegsTransform));
        c->offPegsTransform = hold->offPegsTransform;
        d->frames.removeAt(1);
        d->forgetCellIndex();
        made.append(LayerChange(LayerChange::InsertCell, 2, hold));
        return newestFirst();
    }

    // A lone cell, even a stray hold, is replaced by a blank below.
    if (c->kind == LayerItem::Hold && length() > 1) {
        d->frames.removeAt(frame - 1);
        d->forgetCellIndex();
        made.append(LayerChange(LayerChange::InsertCell, frame, c));
        return newestFirst();
    }

    DrawingRef const self = c->reference(identifier());
    if (c->kind == LayerItem::DistantClone) {
        if (std::shared_ptr<LayerItem> const original = findCell(c->original))
            original->clones.removeAll(self);
    } else if (!c->clones.isEmpty()) {
        // The clones pass to the first of them that still exists; a stale
        // entry ahead of it must not leave the others pointing at a removed
        // cell.
        for (qsizetype i = 0; i < c->clones.size(); ++i) {
            DrawingRef const heirRef = c->clones.at(i);
            std::shared_ptr<LayerItem> const heir = findCell(heirRef);
            if (!heir)
                continue;
            heir->clones = c->clones.mid(i + 1);
            heir->original = DrawingRef();
            heir->kind = LayerItem::Original;
            for (DrawingRef const& cloneRef : std::as_const(heir->clones)) {
                if (std::shared_ptr<LayerItem> const clone = findCell(cloneRef))
                    clone->original = heirRef;
            }
            break;
        }
    }

    if (length() == 1) {
        made.append(LayerChange(LayerChange::ReplaceCell, 1, c));
        d->frames.removeAt(0);
        d->frames.append(blankItem());
        d->forgetCellIndex();
        return newestFirst();
    }

    d->frames.removeAt(frame - 1);
    d->forgetCellIndex();
    made.append(LayerChange(LayerChange::InsertCell, frame, c));
    if (frame >= 2)
        holdsTakeDrawingOf(frame - 1);
    return newestFirst();
}

QString VisualLayer::toolTip(int frame) const
{
    if (isVirtualLastFrame(frame))
        return QString();
    if (!isFrameValid(frame))
        return QStringLiteral("Invalid frame");
    std::shared_ptr<LayerItem> const c = d->frames.at(frame - 1);
    if (!c->drawing)
        return QString();

    QString text = c->drawing->toolTip();
    if (text.isEmpty())
        text = QString::number(frame);

    bool const cycling = layerBeyondLast() == cycleDrawings;
    if (c->kind == LayerItem::Hold) {
        int held = frame;
        while (held >= 1 && d->frames.at(held - 1)->kind == LayerItem::Hold)
            --held;
        if (held < 1 || (cycling && length() == 1 && held >= 2))
            return text;
        if (cycling)
            held = wrapped(held);
        int const n = numHoldsAfter(held);
        if (n >= 1)
            text += QStringLiteral(" (%1 held for %2)").arg(held).arg(n + 1);
    } else {
        if (cycling && length() == 1 && frame >= 2)
            return text;
        int const shown = cycling ? wrapped(frame) : frame;
        int const n = numHoldsAfter(shown);
        if (n >= 1)
            text += QStringLiteral(" (Held for %1)").arg(n + 1);
    }
    return text;
}

void VisualLayer::changeFrameSize(QSize const& newSize, KW::FitMode fitMode,
                                  QProgressDialog* progressDialog)
{
    if (newSize == d->frameSize)
        return;
    for (std::shared_ptr<LayerItem> const& cell : std::as_const(d->frames)) {
        cell->changeFrameSize(d->frameSize, newSize, fitMode);
        if (progressDialog)
            progressDialog->setValue(progressDialog->value() + 1);
    }
    d->frameSize = newSize;
}

VisualLayer* VisualLayer::cloneWithoutDrawings() const
{
    std::unique_ptr<Layer> copy(clone());
    auto* const visual = qobject_cast<VisualLayer*>(copy.get());
    if (!visual)
        return nullptr;
    copy.release();
    for (std::shared_ptr<LayerItem> const& cell : std::as_const(visual->d->frames))
        cell->drawing.reset();
    return visual;
}

void VisualLayer::drawAtFullOpacity(int frame, QPainter* painter, QRect const& rect,
                                    bool black) const
{
    draw(frame, painter, rect, black);
}

QSize VisualLayer::frameSize() const
{
    return d->frameSize;
}

bool VisualLayer::isVisible() const
{
    return d->visible;
}

double VisualLayer::opacity() const
{
    return d->opacity;
}

bool VisualLayer::isVirtualLastFrame(int frame) const
{
    return frame == length() + 1;
}

int VisualLayer::drawingType(int frame) const
{
    if (!isFrameValid(frame))
        return LayerItem::NoDrawing;
    return d->frames.at(frame - 1)->kind;
}

int VisualLayer::drawingTypeBeyond(int frame) const
{
    if (frame < 1 || length() == 0)
        return LayerItem::NoDrawing;
    switch (layerBeyondLast()) {
    case cycleDrawings:
        if (length() == 1 && frame >= 2)
            return LayerItem::Hold;
        frame = wrapped(frame);
        break;
    case freezeLast:
        if (frame > length())
            return LayerItem::Hold;
        break;
    case showNothing:
        break;
    }
    return drawingType(frame);
}

bool VisualLayer::isOriginalFrame(int frame) const
{
    return drawingType(frame) == LayerItem::Original;
}

bool VisualLayer::isHoldFrame(int frame) const
{
    return drawingType(frame) == LayerItem::Hold;
}

bool VisualLayer::isDistantCloneFrame(int frame) const
{
    return drawingType(frame) == LayerItem::DistantClone;
}

bool VisualLayer::isLastHoldFrame(int frame) const
{
    return isHoldFrame(frame) && !isHoldFrame(frame + 1);
}

int VisualLayer::numHoldsAfter(int frame) const
{
    if (layerBeyondLast() == cycleDrawings) {
        if (length() == 0 || (length() == 1 && frame >= 2))
            return 0;
        frame = wrapped(frame);
    }
    int n = 0;
    while (isHoldFrame(frame + n + 1))
        ++n;
    return n;
}

bool VisualLayer::isKeyDrawing(int frame) const
{
    return isFrameValid(frame) && d->frames.at(frame - 1)->keyDrawing;
}

void VisualLayer::setKeyDrawing(int frame, bool keyDrawing)
{
    if (isFrameValid(frame))
        d->frames.at(frame - 1)->keyDrawing = keyDrawing;
}

QTransform VisualLayer::offPegsTransform(int frame) const
{
    if (!isFrameValid(frame))
        return QTransform();
    return d->frames.at(frame - 1)->offPegsTransform;
}

void VisualLayer::setOffPegsTransform(int frame, QTransform const& transform)
{
    if (isFrameValid(frame))
        d->frames.at(frame - 1)->offPegsTransform = transform;
}

QList<std::shared_ptr<LayerItem>> const& VisualLayer::frames() const
{
    return d->frames;
}

QList<std::shared_ptr<LayerItem>>& VisualLayer::frames()
{
    d->forgetCellIndex();
    return d->frames;
}

std::shared_ptr<LayerItem> VisualLayer::layerItem(int frame) const
{
    if (!isFrameValid(frame))
        return nullptr;
    return d->frames.at(frame - 1);
}

std::shared_ptr<LayerItem> VisualLayer::cellWithIdentifier(QUuid const& identifier,
                                                           int* frame) const
{
    if (identifier.isNull())
        return nullptr;
    if (!d->cellIndexKnown)
        d->makeCellIndex();
    qsizetype position = d->indexedPosition(identifier);
    // A cell moved by a change the layer did not see: the index is made anew.
    if (position == -2) {
        d->makeCellIndex();
        position = d->indexedPosition(identifier);
    }
    if (position < 0)
        return nullptr;
    if (frame)
        *frame = int(position) + 1;
    return d->frames.at(position);
}

void VisualLayer::setCellIdentifier(int frame, QUuid const& identifier)
{
    if (!isFrameValid(frame))
        return;
    d->forgetCellIndex();
    d->frames.at(frame - 1)->identifier = identifier;
}

void VisualLayer::setVisible(bool visible)
{
    if (visible == d->visible)
        return;
    d->visible = visible;
    emit visibleChanged(visible);
}

void VisualLayer::setOpacity(double opacity)
{
    d->opacity = std::isnan(opacity) ? 0.0 : std::clamp(opacity, 0.0, 1.0);
}

int VisualLayer::shownFrame(int frame) const
{
    int const n = length();
    if (frame < 1 || n == 0)
        return 0;
    if (frame <= n)
        return frame;
    switch (layerBeyondLast()) {
    case freezeLast:
        return n;
    case cycleDrawings:
        return wrapped(frame);
    case showNothing:
        break;
    }
    return 0;
}

int VisualLayer::wrapped(int frame) const
{
    if (frame < 1 || length() == 0)
        return frame;
    return (frame - 1) % length() + 1;
}

std::shared_ptr<LayerItem> VisualLayer::findCell(DrawingRef const& ref) const
{
    if (auto const* scene = qobject_cast<Scene const*>(parent()))
        return scene->lookupLayerItem(ref);
    if (ref.layer.isNull() || ref.drawing.isNull() || ref.layer != identifier())
        return nullptr;
    return cellWithIdentifier(ref.drawing);
}

void VisualLayer::holdsTakeDrawingOf(int frame)
{
    if (!isFrameValid(frame))
        return;
    std::shared_ptr<Drawing> const drawing = d->frames.at(frame - 1)->drawing;
    for (int f = frame + 1; isHoldFrame(f); ++f)
        d->frames.at(f - 1)->drawing = drawing;
}


void VisualLayer::copyCellsOf(VisualLayer const& other, bool withDrawings)
{
    // Links between cells of the source layer are carried over to the copy;
    // links to other layers stay as they are.
    QUuid const sourceId = other.identifier();
    QUuid const copyId = identifier();
    auto const deepCopy = [withDrawings](std::shared_ptr<Drawing> const& drawing) {
        return drawing && withDrawings ? std::shared_ptr<Drawing>(drawing->clone()) : nullptr;
    };

    QList<std::shared_ptr<LayerItem>>& cells = frames();
    for (std::shared_ptr<LayerItem> const& source : other.frames()) {
        std::shared_ptr<LayerItem> cell;
        switch (source->kind) {
        case LayerItem::Hold:
            // A hold repeats the copied cell before it; a stray hold at the
            // start has none and keeps a drawing of its own.
            cell = std::make_shared<LayerItem>(cells.isEmpty() ? deepCopy(source->drawing)
                                                               : cells.last()->drawing);
            break;
        case LayerItem::DistantClone:
            cell = std::make_shared<LayerItem>(LayerItem::DistantClone, source->identifier,
                                               deepCopy(source->drawing));
            cell->clones = source->clones;
            cell->original = source->original;
            if (cell->original.layer == sourceId)
                cell->original.layer = copyId;
            break;
        default:
            cell = std::make_shared<LayerItem>(LayerItem::Original, source->identifier,
                                               deepCopy(source->drawing));
            for (DrawingRef const& ref : source->clones) {
                if (ref.layer == sourceId)
                    cell->clones.append(DrawingRef{copyId, ref.drawing});
            }
            cell->original = source->original;
            break;
        }
        cells.append(cell);
    }
}

} // namespace Model

#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "drawings/Drawing.h"
#include "scene/AnnotationLayer.h"
#include "scene/DrawLayer.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"

#include <QPainterPath>
#include <QSignalBlocker>

#include <algorithm>
#include <optional>

namespace Model {

using namespace SceneDetail;

// --- cell edits and their undo records ---------------------------------------

namespace {

// What an undo record keeps of a cell: everything that makes the cell what
// it is, its place off the pegs and its key-drawing mark included, so that
// undoing the edit gives both back. The drawing is a copy because the cell's
// own drawing may live on in a promoted clone or be changed by the edit; it
// keeps its name, which the cell's tool tip shows.
std::shared_ptr<LayerItem> undoCopyOf(LayerItem const& cell, bool withDrawing)
{
    auto copy = std::make_shared<LayerItem>(cell.kind, cell.identifier, nullptr);
    if (withDrawing && cell.drawing) {
        copy->drawing.reset(cell.drawing->clone());
        copy->drawing->setName(cell.drawing->name());
    }
    copy->offPegsTransform = cell.offPegsTransform;
    copy->keyDrawing = cell.keyDrawing;
    copy->clones = cell.clones;
    copy->original = cell.original;
    return copy;
}

std::shared_ptr<Drawing> ownCopyOf(std::shared_ptr<Drawing> const& drawing)
{
    return drawing ? std::shared_ptr<Drawing>(drawing->clone()) : nullptr;
}

QList<SceneChange> sceneChanges(QList<LayerChange> layerChanges, int layer)
{
    QList<SceneChange> changes;
    changes.reserve(layerChanges.size());
    for (LayerChange& change : layerChanges)
        changes.append(SceneChange(std::move(change), layer));
    return changes;
}

} // namespace

QList<int> Scene::editedLayers(int layer) const
{
    if (!d->layers.at(layer)->isLinked())
        return {layer};
    QList<int> linked;
    for (int i = 0; i < numLayers(); ++i) {
        if (d->layers.at(i)->isLinked())
            linked.append(i);
    }
    return linked;
}

QList<SceneChange> Scene::insertFrameAt(int layer, int newFrame, bool blank, bool quiet)
{
    int const rangeFirst = d->frameRangeFirst;
    int const rangeLast = d->frameRangeLast;
    QList<SceneChange> changes;
    bool grow = false;
    for (int const index : editedLayers(layer)) {
        Layer* const target = d->layers.at(index).get();
        int const lengthBefore = target->length();
        if (blank && index == layer)
            target->insertBlankFrameAfter(newFrame - 1);
        else
            target->insertHoldFrameAfter(newFrame - 1);
        // Annotation layers count no cells; their notes move from frame 2 on.
        bool const inserted = target->type() == Layer::AnnotationLayerType
                                  ? newFrame >= 2
                                  : target->length() > lengthBefore;
        if (!inserted)
            continue;
        changes.prepend(SceneChange(LayerChange::RemoveFrame, newFrame, nullptr, index));
        if (newFrame <= rangeLast + 1 && target->length() > rangeLast)
            grow = true;
    }
    // Nothing inserted anywhere (a layer without frames before its first):
    // the active and scrub frames have no frame to move past.
    if (changes.isEmpty())
        return changes;

    updateMaxFrameNumber();
    if (grow) {
        ++d->frameRangeLast;
        if (rangeFirst > newFrame)
            ++d->frameRangeFirst;
        emit frameRangeChanged(d->frameRangeFirst, d->frameRangeLast);
    }
    if (d->activeFrame >= newFrame) {
        ++d->activeFrame;
        emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
    }
    if (d->scrubFrame >= newFrame) {
        int const previous = d->scrubFrame;
        ++d->scrubFrame;
        emit scrubFrameChanged(d->scrubFrame, previous);
    }
    emit layersChanged(layer, layer);
    if (!quiet)
        updateCachedFramePixmap(true);
    return changes;
}

QList<SceneChange> Scene::addBlankDrawingBefore2(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 1 || frame > d->layers.at(layer)->length() + 1)
        return {};
    return insertFrameAt(layer, frame, true, false);
}

QList<SceneChange> Scene::addBlankDrawingAfter2(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 0 || frame > d->layers.at(layer)->length())
        return {};
    return insertFrameAt(layer, frame + 1, true, false);
}

int Scene::addBlankDrawingAfter(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 0 || frame > d->layers.at(layer)->length())
        return -1;
    insertFrameAt(layer, frame + 1, true, false);
    return frame + 1;
}

int Scene::addCloneDrawingAfter(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 0 || frame > d->layers.at(layer)->length())
        return -1;
    insertFrameAt(layer, frame + 1, false, false);
    return frame + 1;
}

QList<SceneChange> Scene::addCloneDrawingAfter2(int layer, int frame, bool quiet)
{
    if (layer < 0 || layer >= numLayers() || frame < 0 || frame > d->layers.at(layer)->length())
        return {};
    std::optional<QSignalBlocker> blocker;
    if (quiet)
        blocker.emplace(this);
    return insertFrameAt(layer, frame + 1, false, quiet);
}

int Scene::addCloneDrawingsAfter(int layer, int frame, int count)
{
    if (count < 1 || frame == -1)
        return -1;
    int last = -1;
    for (int i = 0, after = frame; i < count; ++i) {
        int const added = addCloneDrawingAfter(layer, after);
        if (added == -1)
            break;
        last = added;
        after = added;
    }
    return last;
}

QList<SceneChange> Scene::addCloneDrawingsAfter2(int layer, int frame, int count)
{
    if (count < 1 || frame == -1)
        return {};
    QList<SceneChange> changes;
    // Only the last step is heard: listeners see the final state once.
    for (int i = 0; i < count; ++i)
        changes = addCloneDrawingAfter2(layer, frame, i < count - 1) + changes;
    return changes;
}

QList<SceneChange> Scene::removeFrame(int layer, int frame)
{
    if (layer < 0 || layer >= numLayers() || frame < 1 || frame > d->layers.at(layer)->length())
        return {};

    int const rangeFirst = d->frameRangeFirst;
    int const rangeLast = d->frameRangeLast;
    QList<int> const edited = editedLayers(layer);
    // Each layer's records go in front of those of the layers removed before
    // it. Undoing must run backwards through the removals: a linked layer's
    // removal may already have promoted or unlisted a cell that another
    // linked layer then lost at the same frame.
    QList<SceneChange> changes;
    for (int const index : edited)
        changes = sceneChanges(d->layers.at(index)->removeFrame(frame), index) + changes;

    // The range loses a frame when its content moved up by one everywhere;
    // a removal past its end moves nothing inside it.
    bool shrink = frame <= rangeLast;
    for (int i = 0; i < numLayers() && shrink; ++i) {
        if (!edited.contains(i) && d->layers.at(i)->length() >= rangeLast)
            shrink = false;
    }

    updateMaxFrameNumber();
    if (d->scrubFrame > frame) {
        int const previous = d->scrubFrame;
        --d->scrubFrame;
        emit scrubFrameChanged(d->scrubFrame, previous);
    }

    int const newActive = frame == rangeLast ? layerLength(validActiveLayer()) + 1 : d->activeFrame;
    int const lastShift = shrink && rangeLast > 1 ? 1 : 0;
    int const firstShift = lastShift && frame < rangeFirst ? 1 : 0;
    setFrameRange(rangeFirst - firstShift, rangeLast - lastShift, newActive, d->activeLayerIdx);

    if (d->activeFrame == frame)
        emit offPegsTransformChanged(offPegsTransform(frame));
    if (setActiveFrameAndLayerInternal(d->activeFrame, d->activeLayerIdx, AcceptVirtualLastFrame)) {
        emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
        updateCachedFramePixmap(true);
    }
    emit layersChanged(edited.first(), edited.last());
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    return changes;
}

QList<SceneChange> Scene::removeFrames(int layer, int frame, int count)
{
    if (count < 1)
        return {};
    QList<SceneChange> changes;
    // Walking back, no removal moves a frame still to be removed.
    for (int i = 0; i < count; ++i)
        changes = removeFrame(layer, frame - i) + changes;
    return changes;
}

QList<SceneChange> Scene::slideOriginalDrawing(int layer, int frame, int distance,
                                               int minDistance, int maxDistance)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || frame < 2 || frame > visual->length() || visual->isHoldFrame(frame))
        return {};
    if (minDistance > std::min(0, distance) || maxDistance < std::max(0, distance))
        return {};

    int start = frame;
    int holdsBefore = 0;
    for (int f = frame - 1; f >= 1 && holdsBefore < -minDistance; --f) {
        if (visual->isHoldFrame(f)) {
            ++holdsBefore;
            start = f;
        }
    }
    int holdsFromStart = 0;
    for (int f = start; f <= visual->length(); ++f) {
        if (visual->isHoldFrame(f))
            ++holdsFromStart;
    }
    int const toRemove = maxDistance - minDistance;
    int const position = frame + minDistance;
    // Without enough holds to take out, the original would not end at
    // frame + distance and the layer would change its length.
    if (holdsBefore < -minDistance || holdsFromStart < toRemove
        || (distance > minDistance && position < 2))
        return {};

    QList<SceneChange> changes;
    for (int removed = 0, search = start; removed < toRemove; ++removed) {
        int f = search;
        while (f <= visual->length() && !visual->isHoldFrame(f))
            ++f;
        if (f > visual->length())
            break;
        changes = sceneChanges(visual->removeFrame(f), layer) + changes;
        search = f;
    }
    for (int i = 0; i < maxDistance - distance; ++i) {
        visual->insertHoldFrameAfter(position);
        changes.prepend(SceneChange(LayerChange::RemoveFrame, position + 1, nullptr, layer));
    }
    for (int i = 0; i < distance - minDistance; ++i) {
        visual->insertHoldFrameAfter(position - 1);
        changes.prepend(SceneChange(LayerChange::RemoveFrame, position, nullptr, layer));
    }

    ChangedCells none;
    internalDrawingsChanged(none);
    emit layersChanged(layer, layer);
    updateCachedFramePixmap(true);
    return changes;
}

QList<SceneChange> Scene::replaceDrawing(int layer, int frame, std::shared_ptr<Drawing> drawing,
                                         bool passClonesOn, bool quiet)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame) || !drawing)
        return {};
    std::optional<QSignalBlocker> blocker;
    if (quiet)
        blocker.emplace(this);

    std::shared_ptr<LayerItem> const cell = visual->layerItem(frame);
    ChangedCells changed{{frame, layer}};
    QList<SceneChange> changes{
        SceneChange(LayerChange::ReplaceCell, frame, undoCopyOf(*cell, cell->kind == LayerItem::Original), layer)};

    switch (cell->kind) {
    case LayerItem::DistantClone:
        detachDistantClone(visual->identifier(), *cell, changed);
        break;
    case LayerItem::Hold:
        if (visual->isHoldFrame(frame - 1))
            changed.append({frame - 1, layer});
        break;
    default:
        if (passClonesOn)
            promoteFirstClone(*cell, changed);
        break;
    }

    cell->kind = LayerItem::Original;
    cell->drawing = drawing;
    // Clones that were not passed on follow the cell.
    for (DrawingRef const& ref : std::as_const(cell->clones)) {
        int cloneLayer = -1;
        int cloneFrame = -1;
        if (std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref, &cloneLayer, &cloneFrame)) {
            clone->drawing = drawing;
            changed.append({cloneFrame, cloneLayer});
            changed += updateHolds(cloneFrame, cloneLayer);
        }
    }
    changed += updateHolds(frame, layer);
    finishCellEdit(changed, quiet);
    return changes;
}

QList<SceneChange> Scene::replaceDrawingWithHold(int layer, int frame, bool quiet)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || frame < 2 || frame > visual->length())
        return {};
    std::optional<QSignalBlocker> blocker;
    if (quiet)
        blocker.emplace(this);

    std::shared_ptr<LayerItem> const cell = visual->layerItem(frame);
    std::shared_ptr<Drawing> const before = visual->layerItem(frame - 1)->drawing;
    ChangedCells changed{{frame, layer}};
    QList<SceneChange> changes;
    if (cell->kind == LayerItem::Original) {
        changes.append(SceneChange(LayerChange::ReplaceCell, frame, undoCopyOf(*cell, true), layer));
        promoteFirstClone(*cell, changed);
        cell->drawing = before;
        cell->kind = LayerItem::Hold;
        changed.append({frame - 1, layer});
    } else if (cell->kind == LayerItem::DistantClone) {
        changes.append(SceneChange(LayerChange::ReplaceCell, frame, undoCopyOf(*cell, true), layer));
        cell->drawing = before;
        cell->kind = LayerItem::Hold;
        changed.append({frame - 1, layer});
        detachDistantClone(visual->identifier(), *cell, changed);
    }
    changed += updateHolds(frame, layer);
    finishCellEdit(changed, quiet);
    return changes;
}

QList<SceneChange> Scene::replaceDrawingWithOriginal(int layer, int frame, QUuid const& copyId)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return {};

    std::shared_ptr<LayerItem> const cell = visual->layerItem(frame);
    ChangedCells changed{{frame, layer}};
    QList<SceneChange> changes;
    if (cell->kind != LayerItem::Original) {
        changes.append(SceneChange(LayerChange::ReplaceCell, frame, undoCopyOf(*cell, false), layer));
        if (cell->kind == LayerItem::Hold && visual->isHoldFrame(frame - 1))
            changed.append({frame - 1, layer});
        if (cell->kind == LayerItem::DistantClone)
            detachDistantClone(visual->identifier(), *cell, changed);
        std::shared_ptr<Drawing> drawing = ownCopyOf(cell->drawing);
        if (!drawing)
            drawing = visual->blankItem()->drawing;
        drawing->setCopyId(copyId);
        cell->drawing = drawing;
        cell->kind = LayerItem::Original;
    }
    changed += updateHolds(frame, layer);
    finishCellEdit(changed, false);
    return changes;
}

QList<SceneChange> Scene::replaceDrawingWithDistantClone(int layer, int frame, DrawingRef target,
                                                         bool quiet)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return {};
    int targetLayer = -1;
    int targetFrame = -1;
    std::shared_ptr<LayerItem> const original = lookupLayerItem(target, &targetLayer, &targetFrame);
    std::shared_ptr<LayerItem> const cell = visual->layerItem(frame);
    // Only an original can be shown elsewhere: a clone of a hold or of
    // another clone would have no drawing of its own to follow.
    if (!original || original == cell || original->kind != LayerItem::Original
        || layerType(targetLayer) != visual->type())
        return {};
    std::optional<QSignalBlocker> blocker;
    if (quiet)
        blocker.emplace(this);

    QUuid const layerId = visual->identifier();
    ChangedCells changed{{frame, layer}, {targetFrame, targetLayer}};
    std::shared_ptr<LayerItem> const saved = undoCopyOf(*cell, true);
    if (cell->kind == LayerItem::Original) {
        if (saved->drawing && cell->drawing)
            saved->drawing->setCopyId(cell->drawing->currentCopyId());
        promoteFirstClone(*cell, changed);
    } else if (cell->kind == LayerItem::DistantClone) {
        detachDistantClone(layerId, *cell, changed);
    }
    QList<SceneChange> changes{SceneChange(LayerChange::ReplaceCell, frame, saved, layer)};

    cell->drawing = original->drawing;
    cell->kind = LayerItem::DistantClone;
    cell->clones.clear();
    cell->original = target;
    original->clones.append(cell->reference(layerId));

    changed += updateHolds(frame, layer);
    finishCellEdit(changed, quiet);
    return changes;
}

QList<SceneChange> Scene::appendCut(int layer, int frame, QPainterPath const& path)
{
    auto* const strokeLayer = qobject_cast<StrokeLayer*>(layerAt(layer));
    if (path.isEmpty() || !strokeLayer || !strokeLayer->isVisible()
        || !strokeLayer->isFrameValid(frame))
        return {};

    // The owner of the drawing shown: back over holds, over to the original
    // of a distant clone.
    int ownerLayer = layer;
    int ownerFrame = frame;
    std::shared_ptr<LayerItem> owner = strokeLayer->layerItem(frame);
    while (owner->kind == LayerItem::Hold && ownerFrame > 1)
        owner = strokeLayer->layerItem(--ownerFrame);
    if (owner->kind == LayerItem::DistantClone) {
        int originalLayer = -1;
        int originalFrame = -1;
        std::shared_ptr<LayerItem> const original =
            lookupLayerItem(owner->original, &originalLayer, &originalFrame);
        if (original && original->kind == LayerItem::Original) {
            owner = original;
            ownerLayer = originalLayer;
            ownerFrame = originalFrame;
        }
    }
    SceneChange record(LayerChange::ReplaceCell, ownerFrame, undoCopyOf(*owner, true), ownerLayer);

    // A cut that takes nothing away leaves nothing to undo.
    if (!strokeLayer->appendCut(frame, path))
        return {};

    updateCachedFramePixmap(true);
    emit rectChanged(path.boundingRect().toAlignedRect());
    ChangedCells changed = updateHolds(ownerFrame, ownerLayer);
    for (DrawingRef const& ref : std::as_const(owner->clones)) {
        int cloneLayer = -1;
        int cloneFrame = -1;
        if (lookupLayerItem(ref, &cloneLayer, &cloneFrame)) {
            changed.append({cloneFrame, cloneLayer});
            changed += updateHolds(cloneFrame, cloneLayer);
        }
    }
    internalDrawingsChanged(changed);
    return {record};
}

void Scene::copyLayerOnto(int sourceLayer, int destinationLayer)
{
    auto* const source = qobject_cast<DrawLayer*>(layer(sourceLayer).get());
    auto* const destination = qobject_cast<DrawLayer*>(layer(destinationLayer).get());
    if (!source || !destination || source == destination || source->type() != destination->type())
        return;

    if (destination->length() < source->length()) {
        destination->insertBlankFrameAfter(destination->length());
        while (destination->length() < source->length())
            destination->insertHoldFrameAfter(destination->length());
    }

    QUuid const destinationId = destination->identifier();
    ChangedCells promoted;
    ChangedCells unlisted;
    for (int f = 1; f <= source->length(); ++f) {
        std::shared_ptr<LayerItem> const s = source->layerItem(f);
        std::shared_ptr<LayerItem> const c = destination->layerItem(f);
        switch (c->kind) {
        case LayerItem::Original:
            // The distant clones keep showing the drawing as it was.
            c->drawing = ownCopyOf(c->drawing);
            promoteFirstClone(*c, promoted);
            break;
        case LayerItem::Hold:
            // The drawing before is merged already; a hold of the source
            // keeps repeating it, anything else needs a drawing of its own.
            if (s->kind == LayerItem::Hold && f >= 2) {
                c->drawing = destination->layerItem(f - 1)->drawing;
            } else {
                c->drawing = ownCopyOf(c->drawing);
                c->kind = LayerItem::Original;
            }
            break;
        default:
            c->drawing = ownCopyOf(c->drawing);
            c->kind = LayerItem::Original;
            detachDistantClone(destinationId, *c, unlisted);
            break;
        }
        if (s->keyDrawing)
            c->keyDrawing = true;
        if (!s->offPegsTransform.isIdentity())
            c->offPegsTransform = s->offPegsTransform;
        if (c->kind != LayerItem::Hold && c->drawing && s->drawing)
            c->drawing->add(s->drawing.get());
    }
    internalDrawingsChanged(promoted);
}

} // namespace Model

#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "drawings/Drawing.h"
#include "scene/AnnotationLayer.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"

#include <algorithm>

namespace Model {

using namespace SceneDetail;

// --- applying change records ---------------------------------------------------

void Scene::addChanges(QList<SceneChange> const& changes)
{
    int const rangeFirst = d->frameRangeFirst;
    int const rangeLast = d->frameRangeLast;
    ChangedCells changed;
    int lowest = numLayers();
    int highest = -1;
    bool grow = false;
    bool shiftStart = false;

    for (SceneChange const& change : changes) {
        int const layer = change.layer;
        if (layer < 0 || layer >= numLayers())
            continue;
        int const frame = change.frame;
        changed.append({frame, layer});
        lowest = std::min(lowest, layer);
        highest = std::max(highest, layer);
        Layer* const target = d->layers.at(layer).get();
        auto* const visual = qobject_cast<VisualLayer*>(target);
        auto* const annotation = qobject_cast<AnnotationLayer*>(target);

        switch (change.kind) {
        case LayerChange::InsertCell: {
            if (!visual || !change.cell || frame < 1 || frame > visual->length() + 1)
                break;
            visual->frames().insert(frame - 1, change.cell);
            if (frame - 1 <= rangeLast && visual->length() > rangeLast)
                grow = true;
            if (frame < rangeFirst)
                shiftStart = true;
            if (change.cell->kind == LayerItem::Original) {
                // The heir that the removal made an original becomes a
                // distant clone again in the repair.
                DrawingRef const self = change.cell->reference(visual->identifier());
                for (DrawingRef const& ref : std::as_const(change.cell->clones)) {
                    int cloneLayer = -1;
                    int cloneFrame = -1;
                    if (std::shared_ptr<LayerItem> const clone =
                            lookupLayerItem(ref, &cloneLayer, &cloneFrame)) {
                        clone->original = self;
                        changed.append({cloneFrame, cloneLayer});
                    }
                }
            }
            repairRestoredCell(layer, frame, changed);
            break;
        }
        case LayerChange::ReplaceCell: {
            if (!visual || !change.cell || !visual->isFrameValid(frame))
                break;
            std::shared_ptr<LayerItem> const current = visual->layerItem(frame);
            switch (current->kind) {
            case LayerItem::Original:
                if (change.cell->kind == LayerItem::Original) {
                    for (DrawingRef const& ref : std::as_const(current->clones)) {
                        if (!change.cell->clones.contains(ref) && lookupLayerItem(ref))
                            change.cell->clones.append(ref);
                    }
                } else if (current != change.cell) {
                    // A cell that is no original cannot keep them.
                    promoteFirstClone(*current, changed);
                }
                break;
            case LayerItem::DistantClone:
                if (std::shared_ptr<LayerItem> const original = lookupLayerItem(current->original))
                    original->clones.removeAll(current->reference(visual->identifier()));
                break;
            case LayerItem::Hold:
                if (frame >= 2)
                    changed.append({frame - 1, layer});
                break;
            default:
                break;
            }
            visual->frames()[frame - 1] = change.cell;
            repairRestoredCell(layer, frame, changed);
            break;
        }
        case LayerChange::RemoveFrame:
            target->removeFrame(frame);
            break;
        case LayerChange::OffPegsTransform:
            if (!visual || !visual->isFrameValid(frame))
                break;
            visual->layerItem(frame)->offPegsTransform = change.transform;
            repairRestoredCell(layer, frame, changed);
            break;
        case LayerChange::InsertImage:
            if (annotation)
                annotation->insertFrame(frame, change.image);
            break;
        case LayerChange::ReplaceImage:
            if (annotation)
                annotation->replaceFrame(frame, change.image);
            break;
        case LayerChange::RemoveImage:
            if (annotation)
                annotation->removeFrame(frame);
            break;
        default:
            break;
        }
    }

    updateMaxFrameNumber();
    // However many cells came back, the range moves by one frame at most.
    setFrameRange(d->frameRangeFirst + (shiftStart ? 1 : 0), d->frameRangeLast + (grow ? 1 : 0),
                  d->activeFrame, d->activeLayerIdx);
    if (highest >= 0)
        emit layersChanged(lowest, highest);
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    internalDrawingsChanged(changed);
}

void Scene::repairRestoredCell(int layer, int frame, ChangedCells& changed)
{
    VisualLayer* const visual = visualLayer(layer);
    std::shared_ptr<LayerItem> const cell = visual ? visual->layerItem(frame) : nullptr;
    if (!cell)
        return;
    DrawingRef const self = cell->reference(visual->identifier());

    switch (cell->kind) {
    case LayerItem::Hold:
        if (frame >= 2)
            cell->drawing = visual->layerItem(frame - 1)->drawing;
        break;
    case LayerItem::DistantClone:
        if (std::shared_ptr<LayerItem> const original = originalOfSameType(layer, cell->original)) {
            if (!original->clones.contains(self))
                original->clones.append(self);
            cell->drawing = original->drawing;
        } else {
            // Nothing of the right kind to show: the cell stands on its own
            // with a blank drawing of its layer's kind.
            cell->kind = LayerItem::Original;
            cell->original = DrawingRef();
            cell->drawing = visual->blankItem()->drawing;
        }
        break;
    case LayerItem::Original: {
        QList<DrawingRef> kept;
        for (DrawingRef const& ref : std::as_const(cell->clones)) {
            int cloneLayer = -1;
            int cloneFrame = -1;
            std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref, &cloneLayer, &cloneFrame);
            if (!clone) {
                kept.append(ref);
                continue;
            }
            // A clone on a layer of another kind would show a drawing its
            // layer cannot hold.
            if (clone == cell || layerType(cloneLayer) != visual->type())
                continue;
            kept.append(ref);
            clone->kind = LayerItem::DistantClone;
            clone->drawing = cell->drawing;
            clone->clones.clear();
            clone->original = self;
            changed.append({cloneFrame, cloneLayer});
            changed += updateHolds(cloneFrame, cloneLayer);
        }
        cell->clones = kept;
        break;
    }
    default:
        break;
    }

    changed += updateHolds(frame, layer);
    if (frame == d->activeFrame)
        emit offPegsTransformChanged(offPegsTransform(frame));
}

QList<std::pair<int, int>> Scene::updateHolds(int frame, int layer)
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return {};
    ChangedCells changed{{frame, layer}};
    std::shared_ptr<Drawing> const drawing = visual->layerItem(frame)->drawing;
    for (int f = frame + 1; visual->isHoldFrame(f); ++f) {
        visual->layerItem(f)->drawing = drawing;
        changed.append({f, layer});
    }
    return changed;
}

void Scene::internalDrawingsChanged(QList<std::pair<int, int>>& changedCells)
{
    std::sort(changedCells.begin(), changedCells.end());
    changedCells.erase(std::unique(changedCells.begin(), changedCells.end()), changedCells.end());
    emit drawingsChanged(changedCells);
}

void Scene::finishCellEdit(ChangedCells& changed, bool quiet)
{
    if (!quiet)
        updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    internalDrawingsChanged(changed);
    emit currentDrawingTypeUpdated();
}

} // namespace Model

#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "drawings/Drawing.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"

#include <algorithm>

namespace Model {

using namespace SceneDetail;

// --- clone bookkeeping -------------------------------------------------------

void Scene::fixupReferences()
{
    for (int index = 0; index < d->layers.size(); ++index) {
        auto* const visual = qobject_cast<VisualLayer*>(d->layers.at(index).get());
        if (!visual || visual->frames().isEmpty())
            continue;
        std::shared_ptr<LayerItem> previous = visual->frames().first();
        for (std::shared_ptr<LayerItem> const& cell : std::as_const(visual->frames())) {
            if (cell->kind == LayerItem::Hold) {
                cell->drawing = previous->drawing;
            } else if (cell->kind == LayerItem::DistantClone) {
                // The rules of a restored cell: a clone shows only an original
                // on a layer of its own kind, which lists it; otherwise it
                // stands on its own with its layer's blank drawing. Originals
                // on later layers already carry the drawing read for them.
                if (std::shared_ptr<LayerItem> const original =
                        originalOfSameType(index, cell->original)) {
                    DrawingRef const self = cell->reference(visual->identifier());
                    if (!original->clones.contains(self))
                        original->clones.append(self);
                    cell->drawing = original->drawing;
                } else {
                    if (std::shared_ptr<LayerItem> const other = lookupLayerItem(cell->original))
                        other->clones.removeAll(cell->reference(visual->identifier()));
                    cell->kind = LayerItem::Original;
                    cell->original = DrawingRef();
                    cell->drawing = visual->blankItem()->drawing;
                }
            }
            previous = cell;
        }
    }
}

void Scene::connectCloneToNewOriginal(DrawingRef clone, DrawingRef newOriginal,
                                      std::shared_ptr<LayerItem> originalItem)
{
    if (!originalItem)
        originalItem = lookupLayerItem(newOriginal);
    std::shared_ptr<LayerItem> const cloneItem = lookupLayerItem(clone);
    if (!originalItem || !cloneItem || cloneItem->kind != LayerItem::DistantClone)
        return;
    if (!originalItem->clones.contains(clone))
        originalItem->clones.append(clone);
    cloneItem->original = newOriginal;
}

void Scene::disconnectFromOriginal(DrawingRef clone, std::shared_ptr<LayerItem const> cloneItem)
{
    if (!cloneItem)
        cloneItem = lookupLayerItem(clone);
    if (!cloneItem)
        return;
    if (std::shared_ptr<LayerItem> const original = lookupLayerItem(cloneItem->original))
        original->clones.removeAll(clone);
}

void Scene::promoteFirstClone(LayerItem& original, ChangedCells& changed)
{
    QList<DrawingRef> const clones = std::exchange(original.clones, {});
    // A stale entry ahead of the first clone that exists must not leave the
    // others pointing at a cell that no longer lists them.
    for (qsizetype i = 0; i < clones.size(); ++i) {
        int heirLayer = -1;
        int heirFrame = -1;
        std::shared_ptr<LayerItem> const heir = lookupLayerItem(clones.at(i), &heirLayer, &heirFrame);
        if (!heir || heir.get() == &original)
            continue;
        heir->clones = clones.mid(i + 1);
        heir->original = DrawingRef();
        heir->kind = LayerItem::Original;
        changed.append({heirFrame, heirLayer});
        for (DrawingRef const& ref : std::as_const(heir->clones)) {
            if (std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref))
                clone->original = clones.at(i);
        }
        return;
    }
}

void Scene::detachDistantClone(QUuid const& layerId, LayerItem& clone, ChangedCells& changed)
{
    int originalLayer = -1;
    int originalFrame = -1;
    if (std::shared_ptr<LayerItem> const original =
            lookupLayerItem(clone.original, &originalLayer, &originalFrame)) {
        original->clones.removeAll(clone.reference(layerId));
        changed.append({originalFrame, originalLayer});
    }
    clone.original = DrawingRef();
}

std::shared_ptr<LayerItem> Scene::originalOfSameType(int layer, DrawingRef const& ref) const
{
    int originalLayer = -1;
    std::shared_ptr<LayerItem> const original = lookupLayerItem(ref, &originalLayer);
    if (!original || original->kind != LayerItem::Original
        || layerType(originalLayer) != layerType(layer))
        return nullptr;
    return original;
}

} // namespace Model

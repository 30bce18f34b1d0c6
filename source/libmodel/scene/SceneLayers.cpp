#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "audio/AudioLayer.h"
#include "drawings/Drawing.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"

#include <algorithm>
#include <limits>

namespace Model {

using namespace SceneDetail;

// --- layer list --------------------------------------------------------------

int Scene::insertIntoLists(std::shared_ptr<Layer> const& layer, int index)
{
    int const n = numLayers();
    index = std::clamp(index, 0, n);
    d->layers.insert(index, layer);
    if (index <= d->audioLayerIdx)
        ++d->audioLayerIdx;
    // The new layer goes to the bottom of the stack.
    d->visualLayerIndices.insert(index, n);
    // Appending (as a file is read) shifts no index.
    if (index < n) {
        for (int& logical : d->logicalLayerIndices) {
            if (logical >= index)
                ++logical;
        }
    }
    d->logicalLayerIndices.append(index);
    if (layer->type() == Layer::AudioLayerType)
        d->audioLayerIdx = index;
    return index;
}

void Scene::shiftDisplayOrder(int layer, int from, int to)
{
    QList<int>& logical = d->logicalLayerIndices;
    QList<int>& visual = d->visualLayerIndices;
    if (to < from) {
        for (int p = from; p > to; --p) {
            logical[p] = logical.at(p - 1);
            visual[logical.at(p)] = p;
        }
    } else {
        for (int p = from; p < to; ++p) {
            logical[p] = logical.at(p + 1);
            visual[logical.at(p)] = p;
        }
    }
    logical[to] = layer;
    visual[layer] = to;
}

void Scene::relinkAddedLayer(VisualLayer& layer)
{
    QUuid const layerId = layer.identifier();
    for (std::shared_ptr<LayerItem> const& cell : std::as_const(layer.frames())) {
        DrawingRef const self = cell->reference(layerId);
        if (cell->kind == LayerItem::Original) {
            // Undoes the promotion of removeLayer: the first clone that was
            // made an original becomes a clone again, the others follow.
            bool demoted = false;
            for (DrawingRef const& ref : std::as_const(cell->clones)) {
                if (ref.layer == layerId)
                    continue;
                if (demoted) {
                    connectCloneToNewOriginal(ref, self, cell);
                    continue;
                }
                // Only a cell of the layer's own kind can show its drawing.
                int cloneLayer = -1;
                std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref, &cloneLayer);
                if (clone && layerType(cloneLayer) == layer.type()) {
                    clone->kind = LayerItem::DistantClone;
                    clone->original = self;
                    clone->clones.clear();
                    demoted = true;
                }
            }
        } else if (cell->kind == LayerItem::DistantClone) {
            int originalLayer = -1;
            std::shared_ptr<LayerItem> const original =
                lookupLayerItem(cell->original, &originalLayer);
            if (original && original->kind == LayerItem::Original
                && layerType(originalLayer) == layer.type()) {
                cell->drawing = original->drawing;
                if (!original->clones.contains(self))
                    original->clones.append(self);
            }
        }
    }
}

int Scene::addLayer(std::shared_ptr<Layer> const& layer, int index)
{
    if (!layer)
        return -1;
    // Announced with the index actually used: views insert their column there.
    emit beginInsertLayer(std::clamp(index, 0, numLayers()));
    layer->setParent(this);
    int const i = insertIntoLists(layer, index);
    if (auto* const visual = qobject_cast<VisualLayer*>(layer.get()))
        relinkAddedLayer(*visual);
    emit layerInserted(i);
    emit endInsertLayer();
    // Only the new layer can move the last frame further; checking every
    // layer on each addition would make reading a file quadratic.
    if (layer->length() > d->maximumFrameNumber) {
        d->maximumFrameNumber = layer->length();
        emit maximumFrameNumberChanged(d->maximumFrameNumber);
    }
    if (layer->type() == Layer::AudioLayerType)
        updateAudioLayerFrameRate();
    if (hasOneVisualLayer()
        && setActiveFrameAndLayerInternal(1, layerIndexTop(), KeepWithinDrawnFrames)) {
        emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
        updateCachedFramePixmap(true);
    }
    return i;
}

bool Scene::setLayerOrder(QList<int> const& order)
{
    int const n = numLayers();
    if (order.size() != n)
        return false;
    QList<int> visual(n, -1);
    for (int position = 0; position < n; ++position) {
        int const layer = order.at(position);
        if (layer < 0 || layer >= n || visual.at(layer) != -1)
            return false;
        visual[layer] = position;
    }
    if (order == d->logicalLayerIndices)
        return true;
    d->logicalLayerIndices = order;
    d->visualLayerIndices = visual;
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    if (n > 0)
        emit layersChanged(0, n - 1);
    return true;
}

bool Scene::moveLayer(int layer, int from, int to)
{
    int const n = numLayers();
    if (from < 0 || to < 0 || from >= n || to >= n || d->logicalLayerIndices.at(from) != layer)
        return false;
    if (from != to)
        shiftDisplayOrder(layer, from, to);
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    emit layerMoved(layer, from, to);
    return true;
}

void Scene::detachRemovedLayer(VisualLayer& layer)
{
    QUuid const layerId = layer.identifier();
    for (std::shared_ptr<LayerItem> const& cell : std::as_const(layer.frames())) {
        DrawingRef const self = cell->reference(layerId);
        if (cell->kind == LayerItem::DistantClone) {
            if (cell->original.layer != layerId)
                disconnectFromOriginal(self, cell);
        } else if (cell->kind == LayerItem::Original) {
            // The first clone that stays becomes the original of the others.
            // The removed cell keeps its own list, so that adding the layer
            // back can reverse this.
            std::shared_ptr<LayerItem> promoted;
            DrawingRef promotedRef;
            for (DrawingRef const& ref : std::as_const(cell->clones)) {
                if (ref.layer == layerId)
                    continue;
                if (promoted) {
                    connectCloneToNewOriginal(ref, promotedRef, promoted);
                    continue;
                }
                if (std::shared_ptr<LayerItem> const clone = lookupLayerItem(ref)) {
                    clone->kind = LayerItem::Original;
                    clone->original = DrawingRef();
                    clone->clones.clear();
                    promoted = clone;
                    promotedRef = ref;
                }
            }
        }
    }
}

std::shared_ptr<Layer> Scene::removeLayer(int index)
{
    int const n = numLayers();
    if (index < 0 || index >= n)
        return nullptr;

    // Where the active layer stands, so that the layer taking its place can
    // be found afterwards. Without an active layer there is no place to keep.
    int const active = validActiveLayer();
    int const activePosition = active >= 0 ? d->visualLayerIndices.at(active) : -1;
    bool const removedAbove =
        active >= 0 && d->visualLayerIndices.at(index) < activePosition;

    emit beginRemoveLayer(index);

    shiftDisplayOrder(index, d->visualLayerIndices.at(index), n - 1);
    std::shared_ptr<Layer> const removed = d->layers.takeAt(index);
    if (d->audioLayerIdx > index)
        --d->audioLayerIdx;
    d->visualLayerIndices.removeAt(index);
    for (int& logical : d->logicalLayerIndices) {
        if (logical > index)
            --logical;
    }
    d->logicalLayerIndices.removeLast();
    if (removed->type() == Layer::AudioLayerType)
        d->audioLayerIdx = -1;

    if (auto* const visual = qobject_cast<VisualLayer*>(removed.get()))
        detachRemovedLayer(*visual);

    emit layerRemoved(index);
    emit endRemoveLayer();
    updateMaxFrameNumber();

    int newActive = -1; // lets the frame range choose the top layer
    if (activePosition >= 0) {
        int const position = activePosition - (removedAbove ? 1 : 0);
        newActive = position < numLayers() ? d->logicalLayerIndices.at(position) : 0;
    }

    int const first = d->frameRangeFirst;
    int const last = d->frameRangeLast;
    int const maximum = d->maximumFrameNumber;
    if (maximum >= last)
        setFrameRange(first, last, d->activeFrame, newActive);
    else
        setFrameRange(first + maximum - last, maximum, d->activeFrame, newActive);

    updateCachedFramePixmap(true);
    return removed;
}

std::shared_ptr<Layer> Scene::removeLayer(std::shared_ptr<Layer> const& layer)
{
    return removeLayer(getLayerIndex(layer));
}

std::shared_ptr<Layer> Scene::swapLayer(int index, std::shared_ptr<Layer> newLayer)
{
    // Nothing to put in place: like every other edit of a layer that does not
    // exist, this changes and announces nothing.
    if (index < 0 || index >= numLayers() || !newLayer)
        return nullptr;

    std::shared_ptr<Layer> const old = d->layers.at(index);
    newLayer->setParent(this);
    d->layers[index] = newLayer;
    if (newLayer->type() == Layer::AudioLayerType)
        d->audioLayerIdx = index;
    else if (old->type() == Layer::AudioLayerType)
        d->audioLayerIdx = -1;

    if (index == d->activeLayerIdx) {
        updateCachedFramePixmap(true);
        emit offPegsTransformChanged(offPegsTransform(d->activeFrame));
        emit rectChanged(frameRect());
    }

    updateMaxFrameNumber();
    if (newLayer->type() == Layer::AudioLayerType)
        updateAudioLayerFrameRate();

    int const maximum = d->maximumFrameNumber;
    if (maximum < d->frameRangeLast)
        setFrameRange(d->frameRangeFirst + maximum - d->frameRangeLast, maximum, d->activeFrame,
                      d->activeLayerIdx);
    else
        setFrameRange(d->frameRangeFirst, d->frameRangeLast, d->activeFrame, d->activeLayerIdx);

    emit layersChanged(index, index);
    updateCachedFramePixmap(true);
    return old;
}

// --- layer properties and navigation -----------------------------------------

bool Scene::isLayerLinked(int layer) const
{
    Layer const* l = layerAt(layer);
    return l && l->isLinked();
}

bool Scene::setLayerLinked(int layer, bool linked)
{
    std::shared_ptr<Layer> const l = this->layer(layer);
    if (!l)
        return false;
    if (l->isLinked() != linked) {
        l->setLinked(linked);
        emit layersChanged(layer, layer);
    }
    return true;
}

bool Scene::setLayerVisible(int layer, bool visible)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual)
        return false;
    if (visual->isVisible() != visible) {
        visual->setVisible(visible);
        updateCachedFramePixmap(true);
        emit rectChanged(frameRect());
        emit layersChanged(layer, layer);
    }
    return true;
}

QString Scene::getNextLayerName()
{
    // A file may give the largest int: names stop there rather than wrap to
    // negative numbers.
    if (d->highestUsedLayerNumber < std::numeric_limits<int>::max())
        ++d->highestUsedLayerNumber;
    return QString::number(d->highestUsedLayerNumber);
}

int Scene::layerIndexBottom() const
{
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        if (VisualLayer const* visual = visualLayer(*it);
            visual && visual->length() >= d->frameRangeFirst)
            return *it;
    }
    return -1;
}

int Scene::layerIndexBelow(int layer) const
{
    if (layer < 0 || layer >= numLayers())
        return -1;
    for (qsizetype pos = d->visualLayerIndices.at(layer) + 1; pos < d->logicalLayerIndices.size();
         ++pos) {
        int const index = d->logicalLayerIndices.at(pos);
        if (VisualLayer const* visual = visualLayer(index);
            visual && visual->length() >= d->frameRangeFirst)
            return index;
    }
    return -1;
}

int Scene::layerIndexBelow() const
{
    int const active = validActiveLayer();
    int const below = active >= 0 ? layerIndexBelow(active) : -1;
    return below >= 0 ? below : layerIndexBottom();
}

int Scene::layerIndexAbove() const
{
    int const active = validActiveLayer();
    if (active < 0)
        return layerIndexTop();
    for (int pos = d->visualLayerIndices.at(active) - 1; pos >= 0; --pos) {
        int const index = d->logicalLayerIndices.at(pos);
        if (VisualLayer const* visual = visualLayer(index);
            visual && visual->length() >= d->frameRangeFirst)
            return index;
    }
    return layerIndexTop();
}

bool Scene::canMergeLayerDown(int layer) const
{
    int const type = layerType(layer);
    if (!isDrawType(type))
        return false;
    int const below = layerIndexBelow(layer);
    return below >= 0 && layerType(below) == type;
}

} // namespace Model

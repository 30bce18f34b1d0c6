#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "audio/AudioLayer.h"
#include "drawings/Drawing.h"
#include "scene/AnnotationLayer.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"
#include "settings/Settings.h"

namespace Model {

using namespace SceneDetail;

// --- cell queries ----------------------------------------------------------------

int Scene::drawingType(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->drawingType(frame) : int(LayerItem::NoDrawing);
}

int Scene::drawingTypeBeyond(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->drawingTypeBeyond(frame) : int(LayerItem::NoDrawing);
}

bool Scene::isOriginalFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isOriginalFrame(frame);
}

bool Scene::isDistantCloneFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isDistantCloneFrame(frame);
}

bool Scene::isHoldFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isHoldFrame(frame);
}

bool Scene::isLastHoldFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isLastHoldFrame(frame);
}

bool Scene::isKeyDrawing(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isKeyDrawing(frame);
}

bool Scene::isVirtualLastFrame(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual && visual->isVirtualLastFrame(frame);
}

bool Scene::isVirtualLastFrame() const
{
    return !isScrubFrameShown() && isVirtualLastFrame(d->activeLayerIdx, d->activeFrame);
}

std::shared_ptr<LayerItem> Scene::lookupLayerItem(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->layerItem(frame) : nullptr;
}

void Scene::setCellIdentifier(int layer, int frame, QUuid const& identifier)
{
    if (VisualLayer* const visual = qobject_cast<VisualLayer*>(this->layer(layer).get()))
        visual->setCellIdentifier(frame, identifier);
}

QImage Scene::thumbnail(int layer, int frame, QSize const& size) const
{
    Layer const* l = layerAt(layer);
    if (auto const* visual = qobject_cast<VisualLayer const*>(l))
        return visual->thumbnail(frame, size);
    if (auto const* audio = qobject_cast<AudioLayer const*>(l))
        return audio->thumbnail(frame, size);
    if (auto const* annotation = qobject_cast<AnnotationLayer const*>(l))
        return annotation->thumbnail(frame, size);
    return QImage();
}

QString Scene::toolTip(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->toolTip(frame) : QString();
}

QList<std::pair<int, int>> Scene::cloneIndices(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return {};
    std::shared_ptr<LayerItem> cell = visual->layerItem(frame);
    int originalLayer = layer;
    int originalFrame = frame;
    if (cell->kind == LayerItem::DistantClone) {
        cell = lookupLayerItem(cell->original, &originalLayer, &originalFrame);
        if (!cell)
            return {};
    }
    if (cell->kind != LayerItem::Original)
        return {};
    QList<std::pair<int, int>> cells{{originalFrame, originalLayer}};
    for (DrawingRef const& ref : std::as_const(cell->clones)) {
        int cloneLayer = -1;
        int cloneFrame = -1;
        if (lookupLayerItem(ref, &cloneLayer, &cloneFrame))
            cells.append({cloneFrame, cloneLayer});
    }
    return cells;
}

QColor Scene::layerColor(int layer) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual)
        return QColor();
    if (auto const* strokes = qobject_cast<StrokeLayer const*>(visual))
        return strokes->color();
    return QColor(Qt::black);
}

double Scene::layerOpacity(int layer) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->opacity() : 0.0;
}

bool Scene::hasDrawing(QUuid layerId, QUuid cellId, int* layer, int* frame) const
{
    return lookupLayerItem(DrawingRef{layerId, cellId}, layer, frame) != nullptr;
}

std::shared_ptr<LayerItem> Scene::lookupCopyId(QUuid const& copyId, DrawingRef* ref, int* layer,
                                               int* frame) const
{
    // Drawings never copied have no identifier: a null one names none of them.
    if (copyId.isNull())
        return nullptr;
    for (qsizetype l = 0; l < d->layers.size(); ++l) {
        auto const* visual = qobject_cast<VisualLayer const*>(d->layers.at(l).get());
        if (!visual)
            continue;
        QList<std::shared_ptr<LayerItem>> const& cells = visual->frames();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            std::shared_ptr<LayerItem> const& cell = cells.at(i);
            if (cell->kind != LayerItem::Original || !cell->drawing
                || cell->drawing->currentCopyId() != copyId)
                continue;
            if (ref)
                *ref = cell->reference(visual->identifier());
            if (layer)
                *layer = int(l);
            if (frame)
                *frame = int(i) + 1;
            return cell;
        }
    }
    return nullptr;
}

DrawingRef Scene::lookupOriginalRef(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return DrawingRef();
    for (int f = frame; f >= 1; --f) {
        std::shared_ptr<LayerItem> const cell = visual->layerItem(f);
        if (cell->kind == LayerItem::Original)
            return cell->reference(visual->identifier());
        if (cell->kind == LayerItem::DistantClone)
            return cell->original;
    }
    return DrawingRef();
}

DrawingRef Scene::lookupOriginalRef(QUuid layerId, int frame) const
{
    return lookupOriginalRef(lookupLayerIdx(layerId), frame);
}

DrawingRef Scene::lookupOriginalRefBeyond(int layer, int frame) const
{
    VisualLayer const* visual = visualLayer(layer);
    if (!visual)
        return DrawingRef();
    int const length = visual->length();
    if (frame <= length)
        return lookupOriginalRef(layer, frame);
    // An empty layer has nothing to repeat.
    if (length == 0)
        return DrawingRef();
    switch (visual->layerBeyondLast()) {
    case Layer::cycleDrawings:
        return lookupOriginalRef(layer, (frame - 1) % length + 1);
    case Layer::freezeLast:
        return lookupOriginalRef(layer, length);
    case Layer::showNothing:
        break;
    }
    return DrawingRef();
}

DrawingRef Scene::lookupOriginalRefBeyond(QUuid layerId, int frame) const
{
    return lookupOriginalRefBeyond(lookupLayerIdx(layerId), frame);
}

int Scene::lookupLayerIdx(QUuid layerId) const
{
    for (qsizetype i = 0; i < d->layers.size(); ++i) {
        if (d->layers.at(i)->identifier() == layerId)
            return int(i);
    }
    return -1;
}

bool Scene::isOffPegs(int frame, int* layer) const
{
    return !offPegsTransform(frame, layer).isIdentity();
}

QTransform Scene::offPegsTransform(int frame, int layer) const
{
    VisualLayer const* visual = visualLayer(layer);
    return visual ? visual->offPegsTransform(frame) : QTransform();
}

QImage Scene::annotationImage(int frame) const
{
    auto const* annotation =
        qobject_cast<AnnotationLayer const*>(layer(annotationLayerIdx()).get());
    return annotation ? annotation->annotationImage(frame) : QImage();
}

// --- per-cell and per-layer edits ------------------------------------------------

bool Scene::setAnnotationImage(int frame, QImage const& image)
{
    int const index = annotationLayerIdx();
    auto* const annotation = qobject_cast<AnnotationLayer*>(layer(index).get());
    if (!annotation)
        return false;
    // This path keeps no undo records.
    annotation->replaceFrame(frame, image);
    emit layersChanged(index, index);
    return true;
}

void Scene::setKeyDrawing(int layerIdx, int frameId, bool keyDrawing)
{
    VisualLayer* const visual = visualLayer(layerIdx);
    if (!visual || !visual->isFrameValid(frameId))
        return;
    // Set before it is reported, so that whoever hears of it reads the new flag.
    visual->setKeyDrawing(frameId, keyDrawing);
    ChangedCells changed{{frameId, layerIdx}};
    internalDrawingsChanged(changed);
    // Key drawings are the light table's stops in that mode.
    if (d->backlightSettings.enabled && d->backlightSettings.onlyKeyFrames) {
        updateCachedFramePixmap(true);
        emit rectChanged(frameRect());
    }
}

bool Scene::setLayerColor(int layerIdx, QColor color)
{
    auto* const strokes = qobject_cast<StrokeLayer*>(visualLayer(layerIdx));
    if (!strokes)
        return false;
    strokes->setColor(color);
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    emit layerColorChanged(layerIdx, color);
    emit layersChanged(layerIdx, layerIdx);
    return true;
}

bool Scene::setLayerOpacity(int layerIdx, double opacity)
{
    VisualLayer* const visual = visualLayer(layerIdx);
    if (!visual)
        return false;
    visual->setOpacity(opacity);
    updateCachedFramePixmap(true);
    emit rectChanged(frameRect());
    emit layerOpacityChanged(layerIdx, visual->opacity());
    emit layersChanged(layerIdx, layerIdx);
    return true;
}

void Scene::setOffPegsTransform(int frame, int layer, QTransform const& transform)
{
    VisualLayer* const visual = visualLayer(layer);
    if (!visual || !visual->isFrameValid(frame))
        return;
    visual->setOffPegsTransform(frame, transform);
    // The scene's transform at the frame may have changed for every layer.
    ChangedCells changed;
    for (int const index : std::as_const(d->logicalLayerIndices)) {
        if (visualLayer(index))
            changed.append({frame, index});
    }
    if (frame == d->activeFrame) {
        updateCachedFramePixmap(true);
        emit offPegsTransformChanged(offPegsTransform(frame, nullptr));
    }
    internalDrawingsChanged(changed);
}

void Scene::setOffPegsTransform(int frame, QTransform const& transform)
{
    // A drawing already off the pegs at the active frame keeps being the one
    // that moves.
    int offPegsLayer = -1;
    offPegsTransform(d->activeFrame, &offPegsLayer);
    setOffPegsTransform(frame, offPegsLayer >= 0 ? offPegsLayer : d->activeLayerIdx, transform);
}

void Scene::setCurrentDrawingOffPegsTransform(QTransform transform)
{
    setOffPegsTransform(d->activeFrame, transform);
}

void Scene::internalRectChanged(QRect const& rect)
{
    emit rectChanged(rect);
}

} // namespace Model

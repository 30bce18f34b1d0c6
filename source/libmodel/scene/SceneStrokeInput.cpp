#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "drawings/Drawing.h"
#include "drawings/StrokeDrawing.h"
#include "scene/DrawLayer.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"
#include "strokes/CompoundStroke.h"
#include "strokes/FloatingSelection.h"
#include "strokes/SingleStroke.h"
#include "tools/Tool.h"
#include "tools/ToolManager.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace Model {

using namespace SceneDetail;

// --- stroke input ------------------------------------------------------------------

void Scene::emitStrokeRect()
{
    emit rectChanged(d->activeStroke->takeChangedRect());
}

void Scene::rasteriseActiveStroke() const
{
    if (d->activeStroke)
        d->activeStroke->rasterisePendingSegments();
}

void Scene::startStroke(Stroke::GuidePoint&& guide, QPointF const* direction)
{
    if (d->activeStroke) {
        // An unfinished stroke is closed and dropped: nobody asked for it.
        d->extraPointTimer.stop();
        d->endPointTimer.stop();
        d->activeStroke->addEndPoint();
        emitStrokeRect();
        d->activeStroke.reset();
        emit hasActiveStrokeChanged(false);
    }
    ToolManager const* tools = ToolManager::instance();
    Tool::Type const type = tools->currentToolType();
    Tool* const tool = type == Tool::NoTool ? nullptr : tools->tool(type);
    d->activeStroke = std::make_unique<SingleStroke>(d->frameSize, tool);
    if (direction)
        d->activeStroke->addPoint(std::move(guide), *direction);
    else
        d->activeStroke->addPoint(std::move(guide));
    emitStrokeRect();
    d->extraPointTimer.start();
    d->endPointTimer.start();
    emit hasActiveStrokeChanged(true);
}

void Scene::beginStroke(Stroke::GuidePoint&& guide)
{
    startStroke(std::move(guide), nullptr);
}

void Scene::beginStroke(Stroke::GuidePoint&& guide, QPointF direction)
{
    startStroke(std::move(guide), &direction);
}

void Scene::addStrokePoint(Stroke::GuidePoint&& guide)
{
    if (!d->activeStroke || d->activeStroke->isTooCloseToLastGuidePoint(guide.position))
        return;
    d->extraPointTimer.start();
    d->endPointTimer.start();
    d->activeStroke->addPoint(std::move(guide));
    emitStrokeRect();
}

void Scene::addExtraStrokePoint()
{
    if (!d->activeStroke)
        return;
    d->activeStroke->addPoint();
    emitStrokeRect();
}

void Scene::addStrokeEndPoint()
{
    d->extraPointTimer.stop();
    d->endPointTimer.stop();
    if (!d->activeStroke)
        return;
    // The stroke stays in progress: the pen may move on.
    d->activeStroke->addEndPoint();
    emitStrokeRect();
}

std::unique_ptr<SingleStroke> Scene::endStroke()
{
    d->extraPointTimer.stop();
    d->endPointTimer.stop();
    if (!d->activeStroke)
        return nullptr;
    d->activeStroke->addEndPoint();
    // Whatever no repaint has shown yet goes into the buffer that the
    // drawing takes over.
    d->activeStroke->rasterisePendingSegments();
    // Still the active stroke while its last piece is repainted.
    emitStrokeRect();
    std::unique_ptr<SingleStroke> stroke = std::move(d->activeStroke);
    emit hasActiveStrokeChanged(false);
    return stroke;
}

SingleStroke const* Scene::activeStroke() const
{
    rasteriseActiveStroke();
    return d->activeStroke.get();
}

bool Scene::hasActiveStroke() const
{
    return d->activeStroke != nullptr;
}

bool Scene::appendStroke(int layer, int frame, std::unique_ptr<Stroke>&& stroke)
{
    // Every refusal is decided before the stroke is taken, so that a refused
    // stroke stays with its owner (an undo command keeps it for the next
    // redo). Visibility is no reason: it was checked when the pen went down,
    // and a redo must put the stroke back whatever is shown now.
    auto* const strokes = qobject_cast<StrokeLayer*>(layerAt(layer));
    if (!stroke || !strokes || !strokes->isFrameValid(frame))
        return false;
    StrokeDrawing const* drawing = strokes->strokeDrawing(frame - 1);
    if (!drawing)
        return false;
    // A drawing takes no eraser before it has strokes to erase.
    auto const* single = dynamic_cast<SingleStroke const*>(stroke.get());
    if (single && !single->isPen() && drawing->rootStroke()->isEmpty())
        return false;

    QRect const bounds = stroke->boundingRect();
    if (!strokes->appendStroke(frame, std::move(stroke)))
        return false;
    strokesChanged(layer, frame, bounds);
    return true;
}

std::unique_ptr<Stroke> Scene::removeLastStroke(int layer, int frame)
{
    auto* const strokes = qobject_cast<StrokeLayer*>(layerAt(layer));
    if (!strokes)
        return nullptr;
    std::unique_ptr<Stroke> stroke = strokes->removeLastStroke(frame);
    if (!stroke)
        return nullptr;
    strokesChanged(layer, frame, stroke->boundingRect());
    return stroke;
}

void Scene::strokesChanged(int layer, int frame, QRect const& bounds)
{
    updateCachedFramePixmap(true);
    emit rectChanged(bounds);
    ChangedCells changed = cellsShowingDrawing(layer, frame);
    internalDrawingsChanged(changed);
}

QList<std::pair<int, int>> Scene::cellsShowingDrawing(int layer, int frame)
{
    // The cell that owns the drawing: back over holds, or across to the
    // original of a distant clone.
    int ownerLayer = layer;
    int ownerFrame = frame;
    while (ownerFrame >= 1) {
        auto const* strokes = qobject_cast<StrokeLayer const*>(layerAt(ownerLayer));
        std::shared_ptr<LayerItem> const cell = strokes ? strokes->layerItem(ownerFrame) : nullptr;
        if (!cell || cell->kind == LayerItem::Original)
            break;
        if (cell->kind == LayerItem::DistantClone
            && lookupLayerItem(cell->original, &ownerLayer, &ownerFrame))
            break;
        --ownerFrame;
    }
    // A stray hold at the start owns its drawing itself.
    ownerFrame = std::max(ownerFrame, 1);

    ChangedCells changed{{ownerFrame, ownerLayer}};
    changed += updateHolds(ownerFrame, ownerLayer);
    std::shared_ptr<LayerItem> const owner = lookupLayerItem(ownerLayer, ownerFrame);
    if (!owner)
        return changed;
    for (DrawingRef const& ref : std::as_const(owner->clones)) {
        int cloneLayer = -1;
        int cloneFrame = -1;
        if (!lookupLayerItem(ref, &cloneLayer, &cloneFrame))
            continue;
        changed.append({cloneFrame, cloneLayer});
        changed += updateHolds(cloneFrame, cloneLayer);
    }
    return changed;
}

void Scene::drawDottedLineToCursor(QPainter* painter, QRect const& exposed, double width) const
{
    if (!painter || isScrubFrameShown() || !d->activeStroke || d->activeStroke->isEraser())
        return;
    auto const* strokes = qobject_cast<StrokeLayer const*>(visualLayer(validActiveLayer()));
    if (!strokes || !strokes->isVisible())
        return;
    d->activeStroke->drawDottedLineFromLastResultToGuide(painter, strokes->color(),
                                                         exposed & frameRect(), width);
}

std::unique_ptr<FloatingSelection>
Scene::createNewFloatingSelection(QPainterPath const& lasso) const
{
    int const active = validActiveLayer();
    if (active < 0 || !isDrawType(layerType(active)))
        return nullptr;
    auto const* drawLayer = qobject_cast<DrawLayer const*>(d->layers.at(active).get());
    return drawLayer ? drawLayer->createNewFloatingSelection(d->activeFrame, lasso) : nullptr;
}

} // namespace Model

#include "commands/MergeLayerDown.h"

#include "commands/CommandRules.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "scene/VisualLayer.h"

#include <QPointer>

namespace Commands {

struct MergeLayerDown::Data
{
    QPointer<Model::KWScene> scene;
    int activeFrame = 1;
    std::shared_ptr<Model::Layer> activeLayer;
    int minimum = 1;
    int maximum = 1;
    int layer = -1;
    int below = -1;
    int position = -1;
    int belowPosition = -1;
    std::shared_ptr<Model::Layer> merged;
    std::shared_ptr<Model::Layer> lower;
    std::shared_ptr<Model::Layer> upper;
};

MergeLayerDown::MergeLayerDown(Model::KWScene* scene, int layer, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->layer = layer;
    setText(commandText("Merge Layer Down", "Commands::MergeLayerDown"));
    Model::Scene const* s = sceneOf(scene);
    if (!s || !s->canMergeLayerDown(layer)) {
        setObsolete(true);
        return;
    }
    d->below = s->layerIndexBelow(layer);
    if (d->below == layer || !s->isDrawLayer(layer) || s->layerType(layer) != s->layerType(d->below)) {
        setObsolete(true);
        return;
    }
    d->activeFrame = s->activeFrame();
    d->activeLayer = s->layer(s->activeLayerIdx());
    d->minimum = s->minimumFrameRangeNumber();
    d->maximum = s->maximumFrameRangeNumber();
    d->position = displayPosition(s, layer);
    d->belowPosition = displayPosition(s, d->below);
}

MergeLayerDown::~MergeLayerDown() = default;

void MergeLayerDown::redo()
{
    Model::Scene* const s = sceneOf(d->scene);
    if (!s)
        return;
    d->upper = s->layer(d->layer);
    d->lower = s->layer(d->below);
    bool const firstRun = !d->merged;
    if (firstRun) {
        auto const* lower = qobject_cast<Model::VisualLayer const*>(d->lower.get());
        if (!lower)
            return;
        d->merged.reset(lower->clone());
        auto* merged = qobject_cast<Model::VisualLayer*>(d->merged.get());
        for (int frame = 1; merged && frame <= lower->length(); ++frame) {
            merged->setKeyDrawing(frame, lower->isKeyDrawing(frame));
            merged->setOffPegsTransform(frame, lower->offPegsTransform(frame));
        }
    }
    s->removeLayer(d->below);
    int const index = s->addLayer(d->merged, s->numLayers());
    moveLayerToPosition(s, index, d->belowPosition);
    if (firstRun)
        s->copyLayerOnto(s->getLayerIndex(d->upper), index);
    s->setFrameRange(d->minimum, d->maximum, d->activeFrame, index);
    s->removeLayer(d->upper);
}

void MergeLayerDown::undo()
{
    Model::Scene* const s = sceneOf(d->scene);
    if (!s || !d->upper || !d->lower)
        return;
    moveLayerToPosition(s, s->addLayer(d->upper, d->layer), d->position);
    s->removeLayer(d->merged);
    moveLayerToPosition(s, s->addLayer(d->lower, d->below), d->belowPosition);
    s->setFrameRange(d->minimum, d->maximum, d->activeFrame, s->getLayerIndex(d->activeLayer));
}

} // namespace Commands

#include "commands/RemoveLayer.h"

#include "commands/CommandRules.h"
#include "scene/Layer.h"
#include "scene/Scene.h"

#include <QPointer>

namespace Commands {

struct RemoveLayer::Data
{
    QPointer<Model::Scene> scene;
    int layer = -1;
    int position = -1;
    std::shared_ptr<Model::Layer> removed;
    RangeRecord atConstruction;
};

RemoveLayer::RemoveLayer(Model::Scene* scene, int layer, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->layer = layer;
    setText(commandText("Remove Layer", "Commands::RemoveLayer"));
    if (!scene)
        return;
    d->atConstruction = RangeRecord::ofActiveCell(scene);
    d->position = displayPosition(scene, layer);
}

RemoveLayer::~RemoveLayer() = default;

void RemoveLayer::redo()
{
    if (d->scene)
        d->removed = d->scene->removeLayer(d->layer);
}

void RemoveLayer::undo()
{
    if (!d->scene || !d->removed)
        return;
    int const index = d->scene->addLayer(d->removed, d->layer);
    moveLayerToPosition(d->scene, index, d->position);
    d->removed.reset();
    d->atConstruction.restore(d->scene);
}

} // namespace Commands

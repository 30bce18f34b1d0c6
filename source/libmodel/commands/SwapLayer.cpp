#include "commands/SwapLayer.h"

#include "commands/CommandRules.h"
#include "scene/Layer.h"
#include "scene/Scene.h"

#include <QPointer>

namespace Commands {

struct SwapLayer::Data
{
    QPointer<Model::Scene> scene;
    int layer = -1;
    std::shared_ptr<Model::Layer> takenOut;
    std::shared_ptr<Model::Layer> replacement;
    RangeRecord atConstruction;
};

SwapLayer::SwapLayer(Model::Scene* scene, int layer, std::shared_ptr<Model::Layer> replacement,
                     QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->layer = layer;
    d->replacement = std::move(replacement);
    d->atConstruction = RangeRecord::ofActiveCell(scene);
    setText(commandText("Swap Layer", "Commands::SwapLayer"));
}

SwapLayer::~SwapLayer() = default;

void SwapLayer::redo()
{
    if (!d->scene || !d->replacement)
        return;
    d->takenOut = d->scene->swapLayer(d->layer, d->replacement);
}

void SwapLayer::undo()
{
    if (!d->scene || !d->takenOut)
        return;
    d->replacement = d->scene->swapLayer(d->layer, d->takenOut);
    d->atConstruction.restore(d->scene);
}

} // namespace Commands

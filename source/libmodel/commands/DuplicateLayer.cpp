#include "commands/DuplicateLayer.h"

#include "commands/CommandRules.h"
#include "scene/Layer.h"
#include "scene/Scene.h"

#include <QPointer>

namespace Commands {

struct DuplicateLayer::Data
{
    QPointer<Model::Scene> scene;
    int source = -1;
    int copy = -1;
    RangeRecord atConstruction;
};

DuplicateLayer::DuplicateLayer(Model::Scene* scene, int layer, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->source = layer;
    setText(commandText("Duplicate Layer", "Commands::DuplicateLayer"));
    if (!scene || !scene->isVisualLayer(layer)) {
        setObsolete(true);
        return;
    }
    d->atConstruction = RangeRecord::ofActiveCell(scene);
}

DuplicateLayer::~DuplicateLayer() = default;

void DuplicateLayer::redo()
{
    if (!d->scene)
        return;
    std::shared_ptr<Model::Layer> const source = d->scene->layer(d->source);
    std::shared_ptr<Model::Layer> copy(source ? source->clone() : nullptr);
    if (!copy)
        return;
    copy->setName(QObject::tr("Copy of %1").arg(source->name()));
    d->copy = d->scene->addLayer(copy, d->scene->numLayers());
    moveLayerToPosition(d->scene, d->copy, displayPosition(d->scene, d->atConstruction.layer));
    d->scene->setActiveFrameAndLayer(d->atConstruction.frame, d->copy,
                                     Model::Scene::KeepWithinDrawnFrames);
}

void DuplicateLayer::undo()
{
    if (!d->scene || d->copy < 0)
        return;
    d->scene->removeLayer(d->copy);
    d->copy = -1;
    d->atConstruction.restore(d->scene);
}

} // namespace Commands

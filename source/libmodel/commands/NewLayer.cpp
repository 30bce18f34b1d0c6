#include "commands/NewLayer.h"

#include "commands/CommandRules.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"

#include <QPointer>

namespace Commands {

struct NewLayer::Data
{
    QPointer<Model::Scene> scene;
    int index = -1;
    QString name;
    std::shared_ptr<Model::Layer> layer; // while outside the scene
    RangeRecord atConstruction;
    int target = -1;
};

NewLayer::NewLayer(Model::Scene* scene, Model::Layer::LayerType type, int targetLayer,
                   QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    switch (type) {
    case Model::Layer::ReferenceLayerType:
        setText(commandText("New Reference Layer", "Commands::NewLayer"));
        break;
    case Model::Layer::PaintLayerType:
        setText(commandText("New Paint Layer", "Commands::NewLayer"));
        break;
    default:
        setText(commandText("New Layer", "Commands::NewLayer"));
        break;
    }
    if (!scene)
        return;
    d->name = scene->getNextLayerName();
    d->atConstruction = RangeRecord::ofActiveCell(scene);
    d->target = targetLayer == -1 ? scene->activeLayerIdx() : targetLayer;
    if (type == Model::Layer::StrokeLayerType)
        d->layer = std::make_shared<Model::StrokeLayer>(Qt::black, scene->frameSize(), scene);
    else if (type == Model::Layer::ReferenceLayerType)
        d->layer = std::make_shared<Model::ReferenceLayer>(scene->frameSize(), scene);
    if (!d->layer) {
        setObsolete(true);
        return;
    }
    d->layer->setName(d->name);
}

NewLayer::~NewLayer() = default;

void NewLayer::redo()
{
    if (!d->scene || !d->layer)
        return;
    d->index = d->scene->addLayer(d->layer, d->scene->numLayers());
    moveLayerToPosition(d->scene, d->index, displayPosition(d->scene, d->target));
    d->scene->setActiveFrameAndLayer(d->atConstruction.frame, d->index,
                                     Model::Scene::KeepWithinDrawnFrames);
    d->layer.reset();
}

void NewLayer::undo()
{
    if (!d->scene || d->index < 0)
        return;
    d->atConstruction.restore(d->scene);
    d->layer = d->scene->removeLayer(d->index);
}

} // namespace Commands

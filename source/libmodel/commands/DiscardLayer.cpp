#include "commands/DiscardLayer.h"

#include "audio/AudioLayer.h"
#include "commands/CommandRules.h"
#include "commands/RemoveLayer.h"
#include "commands/SetActiveFrameAndLayer.h"
#include "commands/SwapLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"

namespace Commands {

DiscardLayer::DiscardLayer(Model::Scene* scene, int layer, QUndoCommand* parent)
    : QUndoCommand(parent)
{
    if (!scene)
        return;
    if (scene->isVisualLayer(layer)) {
        setText(commandText("Discard Layer", "Commands::DiscardLayer"));
        if (scene->numVisualLayers() >= 2) {
            if (layer == scene->activeLayerIdx()) {
                QList<int> const order = scene->getLogicalLayerIndices();
                int const position = displayPosition(scene, layer);
                int const next = position != 0 ? order.value(position - 1) : order.value(1);
                int const frame = scene->activeFrame();
                new SetActiveFrameAndLayer(scene, frame, next, frame, this);
            }
            new RemoveLayer(scene, layer, this);
        } else {
            auto blank = std::make_shared<Model::StrokeLayer>(Qt::black, scene->frameSize(), scene);
            blank->setName(QObject::tr("New Layer"));
            new SwapLayer(scene, layer, blank, this);
        }
    } else if (scene->isAudioLayer(layer)) {
        setText(commandText("Discard Audio", "Commands::DiscardLayer"));
        new SwapLayer(scene, layer, std::make_shared<Model::AudioLayer>(scene), this);
    } else {
        setObsolete(true);
    }
}

DiscardLayer::~DiscardLayer() = default;

} // namespace Commands

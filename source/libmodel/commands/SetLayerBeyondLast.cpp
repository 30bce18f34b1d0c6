#include "commands/SetLayerBeyondLast.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

namespace Commands {

SetLayerBeyondLast::SetLayerBeyondLast(Model::Scene* scene, int layer,
                                       Model::Layer::LayerBeyondLast mode, QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_layer(layer)
    , m_oldMode(scene ? scene->layerBeyondLast(layer) : 0)
    , m_newMode(mode)
{
    switch (mode) {
    case Model::Layer::showNothing:
        setText(commandText("Show Nothing Beyond Last Drawing", "Commands::SetLayerBeyondLast"));
        break;
    case Model::Layer::freezeLast:
        setText(commandText("Freeze Last Drawing", "Commands::SetLayerBeyondLast"));
        break;
    case Model::Layer::cycleDrawings:
        setText(commandText("Cycle Drawings Beyond Last Drawing", "Commands::SetLayerBeyondLast"));
        break;
    default:
        setText(commandText("Undefined", "Commands::SetLayerBeyondLast"));
        break;
    }
    // A layer without the mode (not visual) answers 0.
    if (!scene || int(mode) == m_oldMode || int(mode) == 0 || m_oldMode == 0)
        setObsolete(true);
}

SetLayerBeyondLast::~SetLayerBeyondLast() = default;

void SetLayerBeyondLast::redo()
{
    if (!isObsolete() && m_scene)
        m_scene->setLayerBeyondLast(m_layer, m_newMode);
}

void SetLayerBeyondLast::undo()
{
    if (!isObsolete() && m_scene)
        m_scene->setLayerBeyondLast(m_layer, Model::Layer::LayerBeyondLast(m_oldMode));
}

} // namespace Commands

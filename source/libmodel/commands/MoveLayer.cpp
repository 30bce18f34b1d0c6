#include "commands/MoveLayer.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

namespace Commands {

MoveLayer::MoveLayer(Model::Scene* scene, int layer, int from, int to, QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_layer(layer)
    , m_from(from)
    , m_to(to)
{
    setText(commandText("Move Layer", "Commands::MoveLayer"));
}

MoveLayer::~MoveLayer() = default;

void MoveLayer::redo()
{
    if (!m_scene)
        return;
    if (m_from == m_to)
        setObsolete(true);
    else
        m_scene->moveLayer(m_layer, m_from, m_to);
}

void MoveLayer::undo()
{
    if (m_scene)
        m_scene->moveLayer(m_layer, m_to, m_from);
}

} // namespace Commands

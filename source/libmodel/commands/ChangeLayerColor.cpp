#include "commands/ChangeLayerColor.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

namespace Commands {

ChangeLayerColor::ChangeLayerColor(Model::Scene* scene, int layer, QColor color,
                                   QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_layer(layer)
    , m_newColor(color)
    , m_oldColor(scene ? scene->layerColor(layer) : QColor())
{
    setText(commandText("Change Layer Color", "Commands::ChangeLayerColor"));
}

ChangeLayerColor::~ChangeLayerColor() = default;

void ChangeLayerColor::redo()
{
    if (!m_scene)
        return;
    if (m_oldColor == m_newColor)
        setObsolete(true);
    else
        m_scene->setLayerColor(m_layer, m_newColor);
}

void ChangeLayerColor::undo()
{
    if (m_scene)
        m_scene->setLayerColor(m_layer, m_oldColor);
}

} // namespace Commands

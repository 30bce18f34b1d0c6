#include "commands/MarkAsKeyDrawing.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

namespace Commands {

MarkAsKeyDrawing::MarkAsKeyDrawing(Model::Scene* scene, bool keyDrawing, QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_keyDrawing(keyDrawing)
{
    if (!scene)
        return;
    m_layer = scene->activeLayerIdx();
    m_frame = scene->activeFrame();
    setText(keyDrawing ? commandText("Mark as Key Drawing", "Commands::MarkAsKeyDrawing")
                       : commandText("Unmark as Key Drawing", "Commands::MarkAsKeyDrawing"));
    if (scene->isKeyDrawing(m_layer, m_frame) == keyDrawing)
        setObsolete(true);
}

MarkAsKeyDrawing::~MarkAsKeyDrawing() = default;

void MarkAsKeyDrawing::redo()
{
    if (m_scene)
        m_scene->setKeyDrawing(m_layer, m_frame, m_keyDrawing);
}

void MarkAsKeyDrawing::undo()
{
    if (m_scene)
        m_scene->setKeyDrawing(m_layer, m_frame, !m_keyDrawing);
}

} // namespace Commands

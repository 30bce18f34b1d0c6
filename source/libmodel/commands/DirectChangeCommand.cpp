#include "commands/DirectChangeCommand.h"

#include "scene/Scene.h"

namespace Commands {

DirectChangeCommand::DirectChangeCommand(Model::Scene* scene, QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_atConstruction(RangeRecord::ofActiveCell(scene))
{
}

DirectChangeCommand::~DirectChangeCommand() = default;

void DirectChangeCommand::redo()
{
    if (isObsolete() || !m_scene)
        return;
    int const frame = m_atConstruction.frame;
    int const layer = m_atConstruction.layer;
    m_changes = edit(m_scene, frame, layer);
    m_identifiers.keep(m_scene);
    m_scene->setActiveFrameAndLayer(activeFrameAfter(frame), layer,
                                    Model::Scene::KeepWithinDrawnFrames);
}

void DirectChangeCommand::undo()
{
    if (isObsolete() || !m_scene)
        return;
    applyAndClear(m_scene, m_changes);
    m_atConstruction.restore(m_scene);
}

} // namespace Commands

#include "commands/DiscardCloneDrawings.h"

#include "scene/Scene.h"

namespace Commands {

DiscardCloneDrawings::DiscardCloneDrawings(Model::Scene* scene, int n, QUndoCommand* parent)
    : DirectChangeCommand(scene, parent)
    , m_count(n)
{
    setText(commandText("Discard Clone Drawings", "Commands::DiscardCloneDrawings", n));
    if (!scene || n < 1)
        setObsolete(true);
}

DiscardCloneDrawings::~DiscardCloneDrawings() = default;

QList<Model::SceneChange> DiscardCloneDrawings::edit(Model::Scene* scene, int frame, int layer)
{
    return scene->removeFrames(layer, frame, m_count);
}

int DiscardCloneDrawings::activeFrameAfter(int frame) const
{
    return frame - m_count;
}

} // namespace Commands

#include "commands/DiscardDrawing.h"

#include "commands/CommandRules.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

namespace Commands {

DiscardDrawing::DiscardDrawing(Model::KWScene* scene, QModelIndex const& index,
                               QUndoCommand* parent)
    : FrameRemovingCommand(scene, {index}, false, parent)
{
    setText(commandText("Discard Drawing", "Commands::DiscardDrawing"));
}

DiscardDrawing::DiscardDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                               QUndoCommand* parent)
    : FrameRemovingCommand(scene, indexes, false, parent)
{
    setText(commandText("Discard Selected Drawings", "Commands::DiscardDrawing",
                        int(indexes.size())));
}

DiscardDrawing::~DiscardDrawing() = default;

int DiscardDrawing::activeFrameAfterRedo(int lastRow, int column, int removed) const
{
    Model::Scene const* s = sceneOf(scene());
    int const frame = lastRow - removed + 2;
    if (frame > s->maximumFrameRangeNumber())
        return s->virtualLayerLength(column);
    return frame;
}

} // namespace Commands

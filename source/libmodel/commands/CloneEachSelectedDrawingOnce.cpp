#include "commands/CloneEachSelectedDrawingOnce.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"

namespace Commands {

// Highest row first, so that each hold leaves the rows of the cells above
// it alone.
CloneEachSelectedDrawingOnce::CloneEachSelectedDrawingOnce(Model::KWScene* scene,
                                                           QList<QModelIndex> const& indexes,
                                                           QUndoCommand* parent)
    : SelectionRepeatCommand(scene, indexes, Qt::DescendingOrder, parent)
{
    setText(commandText("Clone Each Selected Drawing Once",
                        "Commands::CloneEachSelectedDrawingOnce"));
}

CloneEachSelectedDrawingOnce::~CloneEachSelectedDrawingOnce() = default;

QModelIndex CloneEachSelectedDrawingOnce::firstIndex() const
{
    return keptCells().isEmpty() ? QModelIndex() : keptCells().constLast();
}

int CloneEachSelectedDrawingOnce::indicesCount() const
{
    return int(keptCells().size());
}

QList<Model::SceneChange> CloneEachSelectedDrawingOnce::repeat(Model::SceneModel* model,
                                                               QList<QModelIndex> const& indexes)
{
    QList<Model::SceneChange> changes;
    for (QModelIndex const& index : indexes)
        changes += model->addCloneDrawingAfter(index);
    return changes;
}

} // namespace Commands

#include "commands/AddCloneDrawings.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"

namespace Commands {

AddCloneDrawings::AddCloneDrawings(Model::KWScene* scene, QModelIndex const& index, int n,
                                   QUndoCommand* parent)
    : FrameAddingCommand(scene, parent)
    , m_count(n)
{
    setText(commandText("Add Clone Drawings", "Commands::AddCloneDrawings", n));
    keepCell(index);
    if (n < 1)
        setObsolete(true);
}

AddCloneDrawings::AddCloneDrawings(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                                   int n, QUndoCommand* parent)
    : FrameAddingCommand(scene, parent)
    , m_count(n)
{
    setText(commandText("Add Clones after each Selected Drawing", "Commands::AddCloneDrawings", n));
    keepCells(indexes);
    if (n < 1)
        setObsolete(true);
}

AddCloneDrawings::~AddCloneDrawings() = default;

void AddCloneDrawings::addFrames(Model::SceneModel* model, QModelIndex const& index)
{
    model->addCloneDrawingsAfter(index, m_count);
}

QList<Model::SceneChange> AddCloneDrawings::removeFrames(Model::SceneModel* model,
                                                         QModelIndex const& index)
{
    return model->removeFrames(model->index(index.row() + 1, index.column()), m_count);
}

int AddCloneDrawings::framesAddedPerCell() const
{
    return m_count;
}

} // namespace Commands

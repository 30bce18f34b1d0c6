#include "commands/DuplicateDrawing.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"

namespace Commands {

DuplicateDrawing::DuplicateDrawing(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent)
    : FrameAddingCommand(scene, parent)
{
    setText(commandText("Duplicate Drawing as Original", "Commands::DuplicateDrawing"));
    keepCell(index);
}

DuplicateDrawing::DuplicateDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent)
    : FrameAddingCommand(scene, parent)
{
    setText(commandText("Duplicate each Selected Drawing as Original", "Commands::DuplicateDrawing"));
    keepCells(indexes);
}

DuplicateDrawing::~DuplicateDrawing() = default;

void DuplicateDrawing::addFrames(Model::SceneModel* model, QModelIndex const& index)
{
    model->addCloneDrawingAfter(index);
    model->replaceDrawingWithOriginal(model->index(index.row() + 1, index.column()), QUuid());
}

QList<Model::SceneChange> DuplicateDrawing::removeFrames(Model::SceneModel* model, QModelIndex const& index)
{
    return model->removeFrame(model->index(index.row() + 1, index.column()));
}

} // namespace Commands

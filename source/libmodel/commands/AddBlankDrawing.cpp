#include "commands/AddBlankDrawing.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"

namespace Commands {

AddBlankDrawing::AddBlankDrawing(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent)
    : FrameAddingCommand(scene, parent)
{
    setText(commandText("Add Blank Drawing", "Commands::AddBlankDrawing"));
    keepCell(index);
}

AddBlankDrawing::AddBlankDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent)
    : FrameAddingCommand(scene, parent)
{
    setText(commandText("Add Blank after each Selected Drawing", "Commands::AddBlankDrawing"));
    keepCells(indexes);
}

AddBlankDrawing::~AddBlankDrawing() = default;

void AddBlankDrawing::addFrames(Model::SceneModel* model, QModelIndex const& index)
{
    model->addBlankDrawingAfter(index);
}

QList<Model::SceneChange> AddBlankDrawing::removeFrames(Model::SceneModel* model, QModelIndex const& index)
{
    return model->removeFrame(model->index(index.row() + 1, index.column()));
}

} // namespace Commands

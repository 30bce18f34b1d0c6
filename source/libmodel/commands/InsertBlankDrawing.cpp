#include "commands/InsertBlankDrawing.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"

namespace Commands {

InsertBlankDrawing::InsertBlankDrawing(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent)
    : FrameAddingCommand(scene, parent)
{
    setText(commandText("Insert Blank Drawing", "Commands::InsertBlankDrawing"));
    keepCell(index);
}

InsertBlankDrawing::InsertBlankDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent)
    : FrameAddingCommand(scene, parent)
{
    setText(commandText("Insert Blank after each Selected Drawing", "Commands::InsertBlankDrawing"));
    keepCells(indexes);
}

InsertBlankDrawing::~InsertBlankDrawing() = default;

void InsertBlankDrawing::addFrames(Model::SceneModel* model, QModelIndex const& index)
{
    model->insertBlankDrawingAt(index);
}

QList<Model::SceneChange> InsertBlankDrawing::removeFrames(Model::SceneModel* model, QModelIndex const& index)
{
    return model->removeFrame(index);
}

bool InsertBlankDrawing::insertsAtCell() const
{
    return true;
}

} // namespace Commands

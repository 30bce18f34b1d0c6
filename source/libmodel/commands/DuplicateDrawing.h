#pragma once

#include "commands/FrameAddingCommand.h"

namespace Commands {

// A copy of each cell's drawing as a new original right after it.
class DuplicateDrawing : public FrameAddingCommand
{
public:
    DuplicateDrawing(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent = nullptr);
    DuplicateDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent = nullptr);
    ~DuplicateDrawing() override;

protected:
    void addFrames(Model::SceneModel* model, QModelIndex const& index) override;
    QList<Model::SceneChange> removeFrames(Model::SceneModel* model,
                                           QModelIndex const& index) override;
};

} // namespace Commands

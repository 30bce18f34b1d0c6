#pragma once

#include "commands/FrameAddingCommand.h"

namespace Commands {

// A new blank drawing at each cell, which moves one frame on with all after it.
class InsertBlankDrawing : public FrameAddingCommand
{
public:
    InsertBlankDrawing(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent = nullptr);
    InsertBlankDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent = nullptr);
    ~InsertBlankDrawing() override;

protected:
    void addFrames(Model::SceneModel* model, QModelIndex const& index) override;
    QList<Model::SceneChange> removeFrames(Model::SceneModel* model,
                                           QModelIndex const& index) override;
    bool insertsAtCell() const override;
};

} // namespace Commands

#pragma once

#include "commands/FrameAddingCommand.h"

namespace Commands {

// A new blank drawing right after each cell; the holds after it move on.
class AddBlankDrawing : public FrameAddingCommand
{
public:
    AddBlankDrawing(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent = nullptr);
    AddBlankDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent = nullptr);
    ~AddBlankDrawing() override;

protected:
    void addFrames(Model::SceneModel* model, QModelIndex const& index) override;
    QList<Model::SceneChange> removeFrames(Model::SceneModel* model,
                                           QModelIndex const& index) override;
};

} // namespace Commands

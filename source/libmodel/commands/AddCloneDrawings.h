#pragma once

#include "commands/FrameAddingCommand.h"

namespace Commands {

// n holds of each cell's drawing right after it.
class AddCloneDrawings : public FrameAddingCommand
{
public:
    AddCloneDrawings(Model::KWScene* scene, QModelIndex const& index, int n = 1,
                     QUndoCommand* parent = nullptr);
    AddCloneDrawings(Model::KWScene* scene, QList<QModelIndex> const& indexes, int n = 1,
                     QUndoCommand* parent = nullptr);
    ~AddCloneDrawings() override;

protected:
    void addFrames(Model::SceneModel* model, QModelIndex const& index) override;
    QList<Model::SceneChange> removeFrames(Model::SceneModel* model,
                                           QModelIndex const& index) override;
    int framesAddedPerCell() const override;

private:
    int m_count;
};

} // namespace Commands

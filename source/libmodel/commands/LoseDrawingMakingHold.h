#pragma once

#include "commands/CellChangingCommand.h"

namespace Commands {

// Turns each cell into a hold of the cell before it (frame 1 never).
class LoseDrawingMakingHold : public CellChangingCommand
{
public:
    LoseDrawingMakingHold(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent = nullptr);
    LoseDrawingMakingHold(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent = nullptr);
    ~LoseDrawingMakingHold() override;

protected:
    QList<Model::SceneChange> change(Model::KWScene* scene, QModelIndex const& index,
                                     QUuid const& copyId) override;
    bool keepsCopyIds() const override;
};

} // namespace Commands

#pragma once

#include "commands/CellChangingCommand.h"

namespace Commands {

// Puts a new blank drawing into each cell.
class ClearDrawingMakingBlank : public CellChangingCommand
{
public:
    ClearDrawingMakingBlank(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent = nullptr);
    ClearDrawingMakingBlank(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent = nullptr);
    ~ClearDrawingMakingBlank() override;

protected:
    QList<Model::SceneChange> change(Model::KWScene* scene, QModelIndex const& index,
                                     QUuid const& copyId) override;
};

} // namespace Commands

#pragma once

#include "commands/CellChangingCommand.h"

namespace Commands {

// Gives each hold or distant clone its own copy of the drawing it shows.
class TurnCloneIntoOriginal : public CellChangingCommand
{
public:
    TurnCloneIntoOriginal(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent = nullptr);
    TurnCloneIntoOriginal(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent = nullptr);
    ~TurnCloneIntoOriginal() override;

protected:
    QList<Model::SceneChange> change(Model::KWScene* scene, QModelIndex const& index,
                                     QUuid const& copyId) override;
};

} // namespace Commands

#pragma once

#include "commands/SelectionRepeatCommand.h"

namespace Commands {

// One hold after each selected cell; the topmost selected cell is made
// active.
class CloneEachSelectedDrawingOnce : public SelectionRepeatCommand
{
public:
    CloneEachSelectedDrawingOnce(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                                 QUndoCommand* parent = nullptr);
    ~CloneEachSelectedDrawingOnce() override;

    // The kept cell with the smallest row, invalid when none was kept.
    QModelIndex firstIndex() const;
    int indicesCount() const;

protected:
    QList<Model::SceneChange> repeat(Model::SceneModel* model,
                                     QList<QModelIndex> const& indexes) override;
};

} // namespace Commands

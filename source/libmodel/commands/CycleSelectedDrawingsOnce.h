#pragma once

#include "commands/SelectionRepeatCommand.h"

namespace Commands {

// Repeats the selected cells once after them: each new cell shows the same
// drawing as its source, as a distant clone of an original or as a hold.
class CycleSelectedDrawingsOnce : public SelectionRepeatCommand
{
public:
    CycleSelectedDrawingsOnce(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                              QUndoCommand* parent = nullptr);
    ~CycleSelectedDrawingsOnce() override;

protected:
    QList<Model::SceneChange> repeat(Model::SceneModel* model,
                                     QList<QModelIndex> const& indexes) override;
};

} // namespace Commands

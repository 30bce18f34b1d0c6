#pragma once

#include "commands/FrameRemovingCommand.h"

namespace Commands {

// Removes the frames of the given cells, drawings and holds alike.
class DiscardDrawing : public FrameRemovingCommand
{
public:
    DiscardDrawing(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent = nullptr);
    DiscardDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                   QUndoCommand* parent = nullptr);
    ~DiscardDrawing() override;

protected:
    int activeFrameAfterRedo(int lastRow, int column, int removed) const override;
};

} // namespace Commands

#pragma once

#include "commands/FrameRemovingCommand.h"

namespace Commands {

// Removes the given holds; originals and distant clones are left.
class DeleteCloneDrawing : public FrameRemovingCommand
{
public:
    DeleteCloneDrawing(Model::KWScene* scene, QModelIndex const& index,
                       QUndoCommand* parent = nullptr);
    DeleteCloneDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                       QUndoCommand* parent = nullptr);
    ~DeleteCloneDrawing() override;

protected:
    int activeFrameAfterRedo(int lastRow, int column, int removed) const override;

private:
    int m_largestRow = -1; // among all given cells, accepted or not
};

} // namespace Commands

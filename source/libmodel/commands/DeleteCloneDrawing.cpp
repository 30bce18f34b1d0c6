#include "commands/DeleteCloneDrawing.h"

#include "commands/CommandRules.h"

#include <algorithm>

namespace Commands {

namespace {

int largestRow(QList<QModelIndex> const& indexes)
{
    int row = -1;
    for (QModelIndex const& index : indexes)
        row = std::max(row, index.row());
    return row;
}

} // namespace

DeleteCloneDrawing::DeleteCloneDrawing(Model::KWScene* scene, QModelIndex const& index,
                                       QUndoCommand* parent)
    : FrameRemovingCommand(scene, {index}, true, parent)
    , m_largestRow(index.row())
{
    setText(commandText("Discard Clone Drawing", "Commands::DiscardCLoneDrawing"));
}

DeleteCloneDrawing::DeleteCloneDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                                       QUndoCommand* parent)
    : FrameRemovingCommand(scene, indexes, true, parent)
    , m_largestRow(largestRow(indexes))
{
    setText(commandText("Discard Selected Clone Drawings", "Commands::DiscardCloneDrawing",
                        int(indexes.size())));
}

DeleteCloneDrawing::~DeleteCloneDrawing() = default;

int DeleteCloneDrawing::activeFrameAfterRedo(int, int, int removed) const
{
    return m_largestRow - removed + 1;
}

} // namespace Commands

#pragma once

#include "scene/SceneChange.h"

#include <QList>
#include <QModelIndex>
#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
class SceneModel;
} // namespace Model

namespace Commands {

// Base of the commands that add frames after (or at) selected cells and undo
// by removing them again. The first redo runs the edit and drops its
// records; undo removes the added frames cell by cell, keeping those
// records, and puts back the frame range and active cell of construction; a
// later redo replays the kept records and restores the range seen at undo.
//
// Cells are worked on from the last to the first, so that frames added after
// a later cell leave the rows of earlier ones alone; undo walks them first to
// last with the rows unshifted, since every earlier cell added exactly as
// many frames before a later one as its own removal takes away.
class FrameAddingCommand : public QUndoCommand
{
public:
    ~FrameAddingCommand() override;

    void undo() override;
    void redo() override;

protected:
    // Records the scene, the current index and the frame range.
    FrameAddingCommand(Model::KWScene* scene, QUndoCommand* parent);

    // One-cell form: obsolete unless the scene is there and the cell lies on
    // a visual layer.
    void keepCell(QModelIndex const& index);
    // List form: the accepted cells sorted by row; obsolete when none.
    void keepCells(QList<QModelIndex> const& indexes);

    // The edit of one cell; its records are not needed.
    virtual void addFrames(Model::SceneModel* model, QModelIndex const& index) = 0;
    // Removes what addFrames added at the cell; returns the records.
    virtual QList<Model::SceneChange> removeFrames(Model::SceneModel* model,
                                                   QModelIndex const& index) = 0;
    // How many frames one cell adds before the cell that follows the active
    // one: the new active frame is current row + (current row - first kept
    // row + 1) * n + 1, or for an insert at the cell current row +
    // (current row - first kept row) + 1.
    virtual int framesAddedPerCell() const;
    virtual bool insertsAtCell() const;

private:
    int activeFrameAfterRedo() const;

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

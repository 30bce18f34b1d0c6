#pragma once

#include <QList>
#include <QModelIndex>
#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// Base of the commands that remove the frames of selected cells. Cells are
// removed first to last, each row lowered by the frames removed before it;
// undo applies the records and puts back the frame range and active cell of
// construction. A removal of a layer's first frame can leave a new cell in
// its place, so the first cells' identifiers seen after a redo are written
// back after the next one: whichever way the stack is walked, they stay.
class FrameRemovingCommand : public QUndoCommand
{
public:
    ~FrameRemovingCommand() override;

    void undo() override;
    void redo() override;

protected:
    // holdsOnly: only holds are accepted (besides a real cell on a visual
    // layer).
    FrameRemovingCommand(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                         bool holdsOnly, QUndoCommand* parent);

    // The active frame after a redo, from the row of the last removed cell
    // and the number removed.
    virtual int activeFrameAfterRedo(int lastRow, int column, int removed) const = 0;

    Model::KWScene* scene() const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

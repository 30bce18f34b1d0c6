#pragma once

#include "commands/CommandRules.h"

#include <QList>
#include <QModelIndex>
#include <QUndoCommand>
#include <QUuid>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// Base of the commands that change what selected cells show without adding
// or removing frames. Each redo makes the change afresh and keeps the
// records; undo reverses them. Where the change puts a new drawing into a
// cell, the copy id that drawing had before an undo is given to the one
// the next redo makes, so that the clipboard still knows it.
class CellChangingCommand : public QUndoCommand
{
public:
    ~CellChangingCommand() override;

    void undo() override;
    void redo() override;

protected:
    // The cells the filter accepts, in their given order; obsolete without a
    // scene or when none is accepted.
    CellChangingCommand(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                        CellFilter filter, QUndoCommand* parent);

    // The change of one cell; copyId is the id its new drawing had before
    // the last undo (null the first time).
    virtual QList<Model::SceneChange> change(Model::KWScene* scene, QModelIndex const& index,
                                             QUuid const& copyId) = 0;
    virtual bool keepsCopyIds() const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

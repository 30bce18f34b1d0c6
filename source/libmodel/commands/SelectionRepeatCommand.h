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

// Base of the commands that repeat the selected cells once, after them. Each
// redo makes the cells afresh (with the identifiers of the first redo) and
// makes the last kept cell active; undo applies the records and puts back
// the frame range and active cell of construction.
class SelectionRepeatCommand : public QUndoCommand
{
public:
    ~SelectionRepeatCommand() override;

    void undo() override;
    void redo() override;

protected:
    // Keeps the cells on visual layers sorted by row in the order given;
    // obsolete without a scene or when none is kept.
    SelectionRepeatCommand(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                           Qt::SortOrder order, QUndoCommand* parent);

    // The edit over the kept cells; returns the records that undo it.
    virtual QList<Model::SceneChange> repeat(Model::SceneModel* model,
                                             QList<QModelIndex> const& indexes) = 0;

    QList<QModelIndex> const& keptCells() const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

#pragma once

#include <QModelIndex>
#include <QPainterPath>
#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// Cuts a lassoed area out of the drawing a cell shows (its original's, for a
// hold or a distant clone).
class CutPath : public QUndoCommand
{
public:
    CutPath(Model::KWScene* scene, QModelIndex const& index, QPainterPath path,
            QUndoCommand* parent = nullptr);
    ~CutPath() override;

    void undo() override;
    void redo() override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

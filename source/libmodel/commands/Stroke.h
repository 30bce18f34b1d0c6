#pragma once

#include <QList>
#include <QModelIndex>
#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
class SingleStroke;
class Stroke;
} // namespace Model

namespace Commands {

// A finished stroke put on top of drawings: one drawn stroke, or a stamp
// into one cell or into every drawing that the selected cells show. Each
// redo appends a fresh copy of the stroke and each undo takes the top
// stroke off again, so the drawings keep the copy identifiers they had
// after the first redo whichever way the stack is walked.
class Stroke : public QUndoCommand
{
public:
    Stroke(Model::KWScene* scene, QModelIndex const& index,
           std::unique_ptr<Model::SingleStroke> stroke, QUndoCommand* parent = nullptr);
    Stroke(Model::KWScene* scene, QModelIndex const& index, std::unique_ptr<Model::Stroke> stroke,
           QUndoCommand* parent = nullptr);
    // Each drawing receives the stroke once, however many of its cells are
    // selected. With clones locked for drawing only originals take it. A
    // selected virtual last frame of a stroke layer gets a new drawing, so
    // that no part of the stamp is dropped.
    Stroke(Model::KWScene* scene, QList<QModelIndex> const& indexes,
           std::unique_ptr<Model::Stroke> stroke, QUndoCommand* parent = nullptr);
    ~Stroke() override;

    void undo() override;
    void redo() override;

private:
    void initOneCell(Model::KWScene* scene, QModelIndex const& index);
    void appendTo(QModelIndex const& index);
    void takeBackFrom(QModelIndex const& index);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

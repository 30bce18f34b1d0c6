#pragma once

#include <QModelIndex>
#include <QUndoCommand>

#include <memory>

class QWidget;

namespace Model {
class KWScene;
}

namespace Commands {

// Turns the vector strokes of the drawing a stroke-layer cell shows into
// bitmap strokes. The slow collapse runs once, on the first redo, with a
// progress dialog on the given widget; later redos put in copies of its
// result.
class CollapseVectorData : public QUndoCommand
{
public:
    CollapseVectorData(Model::KWScene* scene, QModelIndex const& index, QWidget* parentWidget,
                       QUndoCommand* parent = nullptr);
    ~CollapseVectorData() override;

    void undo() override;
    void redo() override;

private:
    bool collapse();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

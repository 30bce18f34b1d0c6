#pragma once

#include <QList>
#include <QModelIndex>
#include <QUndoCommand>

#include <memory>

class QMimeData;

namespace Model {
class KWScene;
}

namespace Commands {

// Pastes the frames of the scene's clipboard format. Child commands open
// the cells (one-cell form: at the index; list form: over the selection,
// adding or discarding cells to fit the count), then each frame is rebuilt
// from the kept bytes on every redo. A drawing already in the scene is
// reused by its copy id rather than copied: a hold when it continues the
// drawing before, a distant clone elsewhere, the very drawing object when
// the paste itself discards or overwrites it. The pasted cells keep the
// identifiers of the first redo.
class PasteDrawing : public QUndoCommand
{
public:
    PasteDrawing(Model::KWScene* scene, QModelIndex const& index, QMimeData const* mimeData,
                 QUndoCommand* parent = nullptr);
    PasteDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                 QMimeData const* mimeData, QUndoCommand* parent = nullptr);
    ~PasteDrawing() override;

    void undo() override;
    void redo() override;

private:
    // Keeps the bytes when they read as a whole and suit the target's layer.
    bool keepPayload(QMimeData const* mimeData, int targetColumn);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

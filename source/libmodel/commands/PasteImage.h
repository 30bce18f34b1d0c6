#pragma once

#include <QImage>
#include <QList>
#include <QModelIndex>
#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// Pastes a clipboard image as a new drawing of a reference layer, scaled
// down to fit the frame when it is larger (never enlarged). The list form
// replaces the selected cells by the one image.
class PasteImage : public QUndoCommand
{
public:
    PasteImage(Model::KWScene* scene, QModelIndex const& index, QImage const& image,
               QUndoCommand* parent = nullptr);
    PasteImage(Model::KWScene* scene, QList<QModelIndex> const& indexes, QImage const& image,
               QUndoCommand* parent = nullptr);
    ~PasteImage() override;

    void undo() override;
    void redo() override;

private:
    void keepImage(QImage const& image);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

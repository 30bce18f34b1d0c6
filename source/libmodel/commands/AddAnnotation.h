#pragma once

#include <QImage>
#include <QModelIndex>
#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// Puts a new note image into an annotation cell. Redo and undo are the same
// swap: the command always holds the image the last run replaced.
class AddAnnotation : public QUndoCommand
{
public:
    AddAnnotation(Model::KWScene* scene, QModelIndex index, QImage image,
                  QUndoCommand* parent = nullptr);
    ~AddAnnotation() override;

    void undo() override;
    void redo() override;

private:
    void swapImages();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

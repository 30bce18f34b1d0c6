#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUndoCommand>

#include <memory>

class QWidget;

namespace Model {
class Scene;
}

namespace Commands {

// Image files as a new reference layer, read once in the constructor with a
// progress dialog on the parent widget. Files are taken in natural order
// (2 before 10). With a number position and a start number, each file lands
// on the frame its name numbers: gaps before the first file hold a white
// "Inserted blank" drawing, gaps between files hold the previous image.
class ImportNewReferenceLayer : public QUndoCommand
{
public:
    // Why an import added nothing, for the caller's message.
    enum class Outcome { Imported, Cancelled, NothingRead };

    ImportNewReferenceLayer(Model::Scene* scene, QList<QString> files, QWidget* parentWidget,
                            int numberPosition = -1, int startNumber = -1,
                            QUndoCommand* parent = nullptr);
    ~ImportNewReferenceLayer() override;

    void undo() override;
    void redo() override;

    Outcome outcome() const;
    // The files that gave no image, in the order they were read.
    QStringList unreadableFiles() const;

private:
    void import(QStringList files, QWidget* parentWidget, int numberPosition, int startNumber);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

#pragma once

#include <QString>
#include <QUndoCommand>

#include <memory>

class QWidget;

namespace Model {
class Scene;
}

namespace Commands {

// A sound file as the scene's sound, decoded once in the constructor with a
// progress dialog on the parent widget; redo and undo swap the new audio
// layer with the scene's.
class ImportNewAudioLayer : public QUndoCommand
{
public:
    // Why an import added nothing, for the caller's message.
    enum class Outcome { Imported, Cancelled, NothingRead };

    ImportNewAudioLayer(Model::Scene* scene, QString path, QWidget* parentWidget,
                        QUndoCommand* parent = nullptr);
    ~ImportNewAudioLayer() override;

    void undo() override;
    void redo() override;

    Outcome outcome() const;

private:
    void swap();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

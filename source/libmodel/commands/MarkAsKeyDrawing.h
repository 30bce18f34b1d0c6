#pragma once

#include <QPointer>
#include <QUndoCommand>

namespace Model {
class Scene;
}

namespace Commands {

// Sets or clears the key-drawing mark of the active cell.
class MarkAsKeyDrawing : public QUndoCommand
{
public:
    MarkAsKeyDrawing(Model::Scene* scene, bool keyDrawing, QUndoCommand* parent = nullptr);
    ~MarkAsKeyDrawing() override;

    void undo() override;
    void redo() override;

private:
    QPointer<Model::Scene> m_scene;
    bool m_keyDrawing;
    int m_layer = -1;
    int m_frame = -1;
};

} // namespace Commands

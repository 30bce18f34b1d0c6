#pragma once

#include <QList>
#include <QPointer>
#include <QUndoCommand>

#include <utility>

namespace Model {
class Scene;
}

namespace Commands {

// Clears every key-drawing mark of the scene.
class UnmarkAllKeyDrawings : public QUndoCommand
{
public:
    explicit UnmarkAllKeyDrawings(Model::Scene* scene, QUndoCommand* parent = nullptr);
    ~UnmarkAllKeyDrawings() override;

    void undo() override;
    void redo() override;

private:
    void mark(bool keyDrawing);

    QPointer<Model::Scene> m_scene;
    QList<std::pair<int, int>> m_marked; // (layer, frame)
};

} // namespace Commands

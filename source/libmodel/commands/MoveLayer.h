#pragma once

#include <QPointer>
#include <QUndoCommand>

namespace Model {
class Scene;
}

namespace Commands {

// Moves a layer between display positions.
class MoveLayer : public QUndoCommand
{
public:
    MoveLayer(Model::Scene* scene, int layer, int from, int to, QUndoCommand* parent = nullptr);
    ~MoveLayer() override;

    void undo() override;
    void redo() override;

private:
    QPointer<Model::Scene> m_scene;
    int m_layer;
    int m_from;
    int m_to;
};

} // namespace Commands

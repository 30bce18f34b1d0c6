#pragma once

#include <QColor>
#include <QPointer>
#include <QUndoCommand>

namespace Model {
class Scene;
}

namespace Commands {

// A stroke layer's new colour.
class ChangeLayerColor : public QUndoCommand
{
public:
    ChangeLayerColor(Model::Scene* scene, int layer, QColor color, QUndoCommand* parent = nullptr);
    ~ChangeLayerColor() override;

    void undo() override;
    void redo() override;

private:
    QPointer<Model::Scene> m_scene;
    int m_layer;
    QColor m_newColor;
    QColor m_oldColor;
};

} // namespace Commands

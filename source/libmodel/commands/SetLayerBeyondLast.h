#pragma once

#include "scene/Layer.h"

#include <QPointer>
#include <QUndoCommand>

namespace Model {
class Scene;
}

namespace Commands {

// What a visual layer shows past its last drawing.
class SetLayerBeyondLast : public QUndoCommand
{
public:
    SetLayerBeyondLast(Model::Scene* scene, int layer, Model::Layer::LayerBeyondLast mode,
                       QUndoCommand* parent = nullptr);
    ~SetLayerBeyondLast() override;

    void undo() override;
    void redo() override;

private:
    QPointer<Model::Scene> m_scene;
    int m_layer;
    int m_oldMode = 0;
    Model::Layer::LayerBeyondLast m_newMode;
};

} // namespace Commands

#pragma once

#include <QUndoCommand>

namespace Model {
class Scene;
}

namespace Commands {

// Discards a layer through its children: the last visual layer is replaced
// by an empty stroke layer, so that the scene always keeps one to draw on;
// discarding the sound replaces it by an empty audio layer.
class DiscardLayer : public QUndoCommand
{
public:
    DiscardLayer(Model::Scene* scene, int layer, QUndoCommand* parent = nullptr);
    ~DiscardLayer() override;
};

} // namespace Commands

#pragma once

#include <QUndoCommand>

#include <memory>

namespace Model {
class Layer;
class Scene;
} // namespace Model

namespace Commands {

// Puts another layer object in the place of a layer; undo swaps the two back.
class SwapLayer : public QUndoCommand
{
public:
    SwapLayer(Model::Scene* scene, int layer, std::shared_ptr<Model::Layer> replacement,
              QUndoCommand* parent = nullptr);
    ~SwapLayer() override;

    void undo() override;
    void redo() override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

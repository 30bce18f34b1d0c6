#pragma once

#include <QUndoCommand>

#include <memory>

namespace Model {
class Scene;
}

namespace Commands {

// Takes a layer out of the scene; undo puts the same layer object back where
// it was shown.
class RemoveLayer : public QUndoCommand
{
public:
    RemoveLayer(Model::Scene* scene, int layer, QUndoCommand* parent = nullptr);
    ~RemoveLayer() override;

    void undo() override;
    void redo() override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

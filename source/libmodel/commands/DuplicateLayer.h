#pragma once

#include <QUndoCommand>

#include <memory>

namespace Model {
class Scene;
}

namespace Commands {

// A copy of a visual layer named "Copy of <name>", shown just above the
// layer active at construction and made active.
class DuplicateLayer : public QUndoCommand
{
public:
    DuplicateLayer(Model::Scene* scene, int layer, QUndoCommand* parent = nullptr);
    ~DuplicateLayer() override;

    void undo() override;
    void redo() override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

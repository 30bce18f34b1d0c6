#pragma once

#include <QUndoCommand>

#include <memory>

namespace Model {
class Scene;
}

namespace Commands {

// A visual layer's new opacity, given with the one the drag began from.
// Successive changes of the same layer merge, and dragging back to where it
// began leaves no entry.
class ChangeLayerOpacity : public QUndoCommand
{
public:
    ChangeLayerOpacity(Model::Scene* scene, int layer, double oldOpacity, double newOpacity,
                       QUndoCommand* parent = nullptr);
    ~ChangeLayerOpacity() override;

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(QUndoCommand const* other) override;

private:
    bool changesNothing() const;

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

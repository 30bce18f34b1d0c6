#pragma once

#include <QTransform>
#include <QUndoCommand>

#include <memory>

namespace Model {
class Scene;
}

namespace Commands {

// Moves the active frame's drawing off the pegs, or back onto them with the
// identity. Successive moves of one frame merge, and a frame dragged back
// exactly onto the pegs leaves no entry.
class OffPegs : public QUndoCommand
{
public:
    OffPegs(Model::Scene* scene, QTransform transform, QUndoCommand* parent = nullptr);
    ~OffPegs() override;

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(QUndoCommand const* other) override;

private:
    void updateText();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

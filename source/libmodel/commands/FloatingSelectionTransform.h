#pragma once

#include "strokes/FloatingSelection.h"

#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// A new transform of the scene's floating selection.
class FloatingSelectionTransform : public QUndoCommand
{
public:
    FloatingSelectionTransform(Model::KWScene* scene,
                               Model::FloatingSelection::Transform transform,
                               QUndoCommand* parent = nullptr);
    ~FloatingSelectionTransform() override;

    void undo() override;
    void redo() override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands

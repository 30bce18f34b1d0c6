#pragma once

#include <QUndoCommand>

namespace Model {
class SceneModel;
}

namespace Commands {

// Links or unlinks every visual layer, one child command per layer.
class SetAllLayersLinked : public QUndoCommand
{
public:
    SetAllLayersLinked(Model::SceneModel* model, bool flag, QUndoCommand* parent = nullptr);
    ~SetAllLayersLinked() override;
};

} // namespace Commands

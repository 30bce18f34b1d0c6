#include "commands/SetLayerVisible.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"

namespace Commands {

SetLayerVisible::SetLayerVisible(QAbstractItemModel* model, int layer, bool flag, QUndoCommand* parent)
    : LayerFlagCommand(model, layer, flag, Model::SceneModel::LayerVisibleRole, parent)
{
    setText(flag ? commandText("Set Layer Visible", "Commands::SetLayerVisible")
                 : commandText("Set Layer Invisible", "Commands::SetLayerVisible"));
}

SetLayerVisible::~SetLayerVisible() = default;

} // namespace Commands

#include "commands/SetLayerLinked.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"

namespace Commands {

SetLayerLinked::SetLayerLinked(QAbstractItemModel* model, int layer, bool flag, QUndoCommand* parent)
    : LayerFlagCommand(model, layer, flag, Model::SceneModel::LayerLinkedRole, parent)
{
    setText(flag ? commandText("Link Layer", "Commands::SetLayerLinked")
                 : commandText("Unlink Layer", "Commands::SetLayerLinked"));
}

SetLayerLinked::~SetLayerLinked() = default;

} // namespace Commands

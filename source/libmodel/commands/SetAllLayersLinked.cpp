#include "commands/SetAllLayersLinked.h"

#include "commands/CommandRules.h"
#include "commands/SetLayerLinked.h"
#include "models/SceneModel.h"

namespace Commands {

SetAllLayersLinked::SetAllLayersLinked(Model::SceneModel* model, bool flag, QUndoCommand* parent)
    : QUndoCommand(parent)
{
    setText(flag ? commandText("Link All Layers", "Commands::SetAllLayersLinked")
                 : commandText("Unlink All Layers", "Commands::SetAllLayersLinked"));
    bool changes = false;
    for (int column = 0; model && column < model->columnCount(); ++column) {
        if (model->headerData(column, Qt::Horizontal, Model::SceneModel::IsVisualLayerRole).toBool())
            changes |= !(new SetLayerLinked(model, column, flag, this))->isObsolete();
    }
    // Every layer already in that state: an empty request.
    if (!changes)
        setObsolete(true);
}

SetAllLayersLinked::~SetAllLayersLinked() = default;

} // namespace Commands

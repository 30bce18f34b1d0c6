#include "commands/TurnCloneIntoOriginal.h"

#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/VisualLayer.h"
#include "drawings/Drawing.h"

namespace Commands {

TurnCloneIntoOriginal::TurnCloneIntoOriginal(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent)
    : CellChangingCommand(scene, {index}, CellFilter::HoldOrDistantClone, parent)
{
    setText(commandText("Turn Clone into Original", "Commands::TurnCloneIntoOriginal"));
}

TurnCloneIntoOriginal::TurnCloneIntoOriginal(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent)
    : CellChangingCommand(scene, indexes, CellFilter::HoldOrDistantClone, parent)
{
    setText(commandText("Turn Selected Clones into Originals", "Commands::TurnCloneIntoOriginal", int(indexes.size())));
}

TurnCloneIntoOriginal::~TurnCloneIntoOriginal() = default;

QList<Model::SceneChange> TurnCloneIntoOriginal::change(Model::KWScene* scene, QModelIndex const& index,
                                     QUuid const& copyId)
{
    return scene->sceneModel()->replaceDrawingWithOriginal(index, copyId);
}

} // namespace Commands

#include "commands/LoseDrawingMakingHold.h"

#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/VisualLayer.h"
#include "drawings/Drawing.h"

namespace Commands {

LoseDrawingMakingHold::LoseDrawingMakingHold(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent)
    : CellChangingCommand(scene, {index}, CellFilter::BelowFirstFrame, parent)
{
    setText(commandText("Lose Drawing", "Commands::LoseDrawingMakingHold"));
}

LoseDrawingMakingHold::LoseDrawingMakingHold(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent)
    : CellChangingCommand(scene, indexes, CellFilter::BelowFirstFrame, parent)
{
    setText(commandText("Lose Selected Drawings", "Commands::LoseDrawingMakingHold", int(indexes.size())));
}

LoseDrawingMakingHold::~LoseDrawingMakingHold() = default;

QList<Model::SceneChange> LoseDrawingMakingHold::change(Model::KWScene* scene, QModelIndex const& index,
                                     QUuid const& copyId)
{
    Q_UNUSED(copyId)
    return scene->sceneModel()->replaceDrawingWithHold(index, false);
}

bool LoseDrawingMakingHold::keepsCopyIds() const
{
    return false;
}

} // namespace Commands

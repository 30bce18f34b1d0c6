#include "commands/ClearDrawingMakingBlank.h"

#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/VisualLayer.h"
#include "drawings/Drawing.h"

namespace Commands {

ClearDrawingMakingBlank::ClearDrawingMakingBlank(Model::KWScene* scene, QModelIndex const& index, QUndoCommand* parent)
    : CellChangingCommand(scene, {index}, CellFilter::VisualLayer, parent)
{
    setText(commandText("Clear Drawing", "Commands::ClearDrawingMakingBlank"));
}

ClearDrawingMakingBlank::ClearDrawingMakingBlank(Model::KWScene* scene, QList<QModelIndex> const& indexes, QUndoCommand* parent)
    : CellChangingCommand(scene, indexes, CellFilter::VisualLayer, parent)
{
    setText(commandText("Clear Selected Drawings", "Commands::ClearDrawingMakingBlank", int(indexes.size())));
}

ClearDrawingMakingBlank::~ClearDrawingMakingBlank() = default;

QList<Model::SceneChange> ClearDrawingMakingBlank::change(Model::KWScene* scene, QModelIndex const& index,
                                     QUuid const& copyId)
{
    auto const* layer =
        qobject_cast<Model::VisualLayer const*>(scene->scene()->layer(index.column()).get());
    if (!layer)
        return {};
    std::shared_ptr<Model::Drawing> const blank = layer->blankItem()->drawing;
    if (blank && !copyId.isNull())
        blank->setCopyId(copyId);
    return scene->sceneModel()->replaceDrawing(index, blank, false, false);
}

} // namespace Commands

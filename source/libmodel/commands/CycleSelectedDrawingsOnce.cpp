#include "commands/CycleSelectedDrawingsOnce.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"
#include "scene/LayerItem.h"

namespace Commands {

CycleSelectedDrawingsOnce::CycleSelectedDrawingsOnce(Model::KWScene* scene,
                                                     QList<QModelIndex> const& indexes,
                                                     QUndoCommand* parent)
    : SelectionRepeatCommand(scene, indexes, Qt::AscendingOrder, parent)
{
    setText(commandText("Cycle Selected Drawings Once", "Commands::CycleSelectedDrawingsOnce"));
}

CycleSelectedDrawingsOnce::~CycleSelectedDrawingsOnce() = default;

QList<Model::SceneChange> CycleSelectedDrawingsOnce::repeat(Model::SceneModel* model,
                                                            QList<QModelIndex> const& indexes)
{
    QList<Model::SceneChange> changes;
    int const n = int(indexes.size());
    for (QModelIndex const& index : indexes) {
        int const column = index.column();
        // For a selection in one block: behind the cells added so far.
        QModelIndex const target = model->index(index.row() + n - 1, column);
        changes += model->addCloneDrawingAfter(target);
        Model::DrawingRef source;
        if (model->data(index, Model::SceneModel::OriginalRole).toBool()) {
            source = model->drawingIdentifier(index);
        } else if (model->data(index, Model::SceneModel::DistantCloneRole).toBool()) {
            if (auto const item = model->lookupLayerItem(index))
                source = item->original;
        }
        // A hold as source keeps the hold just added.
        if (!source.isNull())
            changes += model->replaceDrawingWithDistantClone(
                model->index(target.row() + 1, column), source, false);
    }
    return changes;
}

} // namespace Commands

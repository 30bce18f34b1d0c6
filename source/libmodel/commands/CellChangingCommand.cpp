#include "commands/CellChangingCommand.h"

#include "drawings/Drawing.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"

#include <QMap>
#include <QPointer>

namespace Commands {

struct CellChangingCommand::Data
{
    QPointer<Model::KWScene> scene;
    QList<QModelIndex> indexes;
    QList<Model::SceneChange> changes;
    QMap<QModelIndex, QUuid> copyIds;
    // What the cells' drawings were known as before the change: the
    // records may put back copies of them, which the clipboard must still
    // recognise.
    QMap<QModelIndex, QUuid> copyIdsBefore;
};

CellChangingCommand::CellChangingCommand(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                                         CellFilter filter, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->indexes = acceptedCells(sceneModelOf(scene), indexes, filter);
    if (!sceneOf(scene) || d->indexes.isEmpty())
        setObsolete(true);
}

CellChangingCommand::~CellChangingCommand() = default;

bool CellChangingCommand::keepsCopyIds() const
{
    return true;
}

void CellChangingCommand::redo()
{
    if (isObsolete() || !sceneModelOf(d->scene))
        return;
    Model::SceneModel* const model = sceneModelOf(d->scene);
    d->changes.clear();
    d->copyIdsBefore.clear();
    for (QModelIndex const& index : std::as_const(d->indexes)) {
        std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(index);
        if (item && item->drawing)
            d->copyIdsBefore.insert(index, item->drawing->currentCopyId());
        d->changes += change(d->scene, index, d->copyIds.value(index));
    }
}

void CellChangingCommand::undo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    d->copyIds.clear();
    if (keepsCopyIds()) {
        for (QModelIndex const& index : std::as_const(d->indexes)) {
            std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(index);
            if (item && item->drawing)
                d->copyIds.insert(index, item->drawing->currentCopyId());
        }
    }
    reverseAndClear(model, d->changes);
    for (auto it = d->copyIdsBefore.cbegin(); it != d->copyIdsBefore.cend(); ++it) {
        std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(it.key());
        if (item && item->drawing && !it.value().isNull())
            item->drawing->setCopyId(it.value());
    }
}

} // namespace Commands

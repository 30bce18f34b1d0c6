#include "commands/CutPath.h"

#include "commands/CommandRules.h"
#include "drawings/Drawing.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QUuid>

namespace Commands {

struct CutPath::Data
{
    QPointer<Model::KWScene> scene;
    QModelIndex index;
    QPainterPath path;
    QList<Model::SceneChange> changes;
    QUuid copyIdBefore;
    QUuid copyIdAfter;
};

CutPath::CutPath(Model::KWScene* scene, QModelIndex const& index, QPainterPath path,
                 QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->index = index;
    d->path = std::move(path);
    setText(commandText("Cutout", "Commands::CutPath"));
    if (!sceneOf(scene) || !index.isValid() || d->path.isEmpty())
        setObsolete(true);
}

CutPath::~CutPath() = default;

void CutPath::redo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    std::shared_ptr<Model::LayerItem> item = model->lookupLayerItem(d->index);
    if (item && item->drawing)
        d->copyIdBefore = item->drawing->currentCopyId();
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    d->changes += model->appendCut(d->index, d->path);
    QGuiApplication::restoreOverrideCursor();
    // The cut put a new drawing into the original's cell.
    item = model->lookupLayerItem(d->index);
    if (!d->copyIdAfter.isNull() && item && item->drawing)
        item->drawing->setCopyId(d->copyIdAfter);
    if (d->changes.isEmpty())
        setObsolete(true);
}

void CutPath::undo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    std::shared_ptr<Model::LayerItem> item = model->lookupLayerItem(d->index);
    if (item && item->drawing)
        d->copyIdAfter = item->drawing->currentCopyId();
    reverseAndClear(model, d->changes);
    item = model->lookupLayerItem(d->index);
    if (!d->copyIdBefore.isNull() && item && item->drawing)
        item->drawing->setCopyId(d->copyIdBefore);
}

} // namespace Commands

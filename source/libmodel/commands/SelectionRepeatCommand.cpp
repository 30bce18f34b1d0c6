#include "commands/SelectionRepeatCommand.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QPointer>

namespace Commands {

struct SelectionRepeatCommand::Data
{
    QPointer<Model::KWScene> scene;
    QList<QModelIndex> indexes;
    QList<Model::SceneChange> changes;
    RangeRecord atConstruction;
    CellIdentifiers identifiers;
};

SelectionRepeatCommand::SelectionRepeatCommand(Model::KWScene* scene,
                                               QList<QModelIndex> const& indexes,
                                               Qt::SortOrder order, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    if (!sceneOf(scene)) {
        setObsolete(true);
        return;
    }
    d->indexes = acceptedCells(sceneModelOf(scene), indexes, CellFilter::VisualLayer);
    if (d->indexes.isEmpty())
        setObsolete(true);
    d->atConstruction = RangeRecord::ofCurrentIndex(scene);
    sortByRow(d->indexes, order);
}

SelectionRepeatCommand::~SelectionRepeatCommand() = default;

QList<QModelIndex> const& SelectionRepeatCommand::keptCells() const
{
    return d->indexes;
}

void SelectionRepeatCommand::redo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (!model || d->indexes.isEmpty())
        return;
    d->changes = repeat(model, d->indexes);
    d->identifiers.keep(sceneOf(d->scene));
    QModelIndex const last = d->indexes.constLast();
    sceneOf(d->scene)->setActiveFrameAndLayer(last.row() + 1, last.column(),
                                              Model::Scene::KeepWithinDrawnFrames);
}

void SelectionRepeatCommand::undo()
{
    if (!sceneModelOf(d->scene) || d->indexes.isEmpty())
        return;
    reverseAndClear(sceneModelOf(d->scene), d->changes);
    d->atConstruction.restore(sceneOf(d->scene));
}

} // namespace Commands

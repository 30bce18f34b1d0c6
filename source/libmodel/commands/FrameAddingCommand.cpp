#include "commands/FrameAddingCommand.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QPointer>

namespace Commands {

struct FrameAddingCommand::Data
{
    QPointer<Model::KWScene> scene;
    QList<QModelIndex> indexes;
    QList<Model::SceneChange> changes;
    RangeRecord atConstruction;
    int minimumAtUndo = -1;
    int maximumAtUndo = -1;
};

FrameAddingCommand::FrameAddingCommand(Model::KWScene* scene, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->atConstruction = RangeRecord::ofCurrentIndex(scene);
}

FrameAddingCommand::~FrameAddingCommand() = default;

void FrameAddingCommand::keepCell(QModelIndex const& index)
{
    if (!sceneOf(d->scene) || !accepts(sceneModelOf(d->scene), index, CellFilter::VisualLayer)) {
        setObsolete(true);
        return;
    }
    d->indexes = {index};
}

void FrameAddingCommand::keepCells(QList<QModelIndex> const& indexes)
{
    if (!sceneOf(d->scene)) {
        setObsolete(true);
        return;
    }
    d->indexes = acceptedCells(sceneModelOf(d->scene), indexes, CellFilter::VisualLayer);
    sortByRow(d->indexes, Qt::AscendingOrder);
    if (d->indexes.isEmpty())
        setObsolete(true);
}

int FrameAddingCommand::framesAddedPerCell() const
{
    return 1;
}

bool FrameAddingCommand::insertsAtCell() const
{
    return false;
}

int FrameAddingCommand::activeFrameAfterRedo() const
{
    int const r = d->atConstruction.frame - 1;
    int const r0 = d->indexes.isEmpty() ? r : d->indexes.constFirst().row();
    if (insertsAtCell())
        return r + (r - r0) + 1;
    return r + (r - r0 + 1) * framesAddedPerCell() + 1;
}

void FrameAddingCommand::redo()
{
    Model::Scene* const scene = sceneOf(d->scene);
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !scene || !model)
        return;
    int const column = d->atConstruction.layer;
    if (d->changes.isEmpty()) {
        for (qsizetype i = d->indexes.size() - 1; i >= 0; --i)
            addFrames(model, d->indexes.at(i));
        scene->setActiveFrameAndLayer(activeFrameAfterRedo(), column,
                                      Model::Scene::KeepWithinDrawnFrames);
        return;
    }
    reverseAndClear(model, d->changes);
    scene->setFrameRange(d->minimumAtUndo, d->maximumAtUndo, activeFrameAfterRedo(), column);
}

void FrameAddingCommand::undo()
{
    Model::Scene* const scene = sceneOf(d->scene);
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !scene || !model)
        return;
    d->changes.clear();
    d->minimumAtUndo = scene->minimumFrameRangeNumber();
    d->maximumAtUndo = scene->maximumFrameRangeNumber();
    for (QModelIndex const& index : std::as_const(d->indexes))
        d->changes += removeFrames(model, index);
    d->atConstruction.restore(scene);
}

} // namespace Commands

#include "commands/FrameRemovingCommand.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"

#include <QMap>
#include <QPointer>
#include <QUuid>

#include <algorithm>

namespace Commands {

struct FrameRemovingCommand::Data
{
    QPointer<Model::KWScene> scene;
    QList<QModelIndex> indexes;
    QList<Model::SceneChange> changes;
    RangeRecord atConstruction;
    QMap<int, QUuid> firstCellIds; // by layer index
};

FrameRemovingCommand::FrameRemovingCommand(Model::KWScene* scene,
                                           QList<QModelIndex> const& indexes, bool holdsOnly,
                                           QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->atConstruction = RangeRecord::ofCurrentIndex(scene);
    d->indexes = acceptedCells(sceneModelOf(scene), indexes,
                               holdsOnly ? CellFilter::RealVisualHold : CellFilter::RealVisualCell);
    if (!sceneOf(scene) || d->indexes.isEmpty())
        setObsolete(true);
    sortByRow(d->indexes, Qt::AscendingOrder);
}

FrameRemovingCommand::~FrameRemovingCommand() = default;

Model::KWScene* FrameRemovingCommand::scene() const
{
    return d->scene;
}

void FrameRemovingCommand::redo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    Model::Scene* const scene = sceneOf(d->scene);
    if (!model || !scene || d->indexes.isEmpty())
        return;
    d->changes.clear();
    for (qsizetype i = 0; i < d->indexes.size(); ++i) {
        QModelIndex const& index = d->indexes.at(i);
        d->changes += model->removeFrame(model->index(index.row() - int(i), index.column()));
    }
    for (auto it = d->firstCellIds.cbegin(); it != d->firstCellIds.cend(); ++it) {
        if (!scene->isVisualLayer(it.key()))
            continue;
        scene->setCellIdentifier(it.key(), 1, it.value());
    }
    QModelIndex const& last = d->indexes.constLast();
    int const n = int(d->indexes.size());
    scene->setActiveFrameAndLayer(activeFrameAfterRedo(last.row(), last.column(), n),
                                  last.column(), Model::Scene::AcceptVirtualLastFrame);
}

void FrameRemovingCommand::undo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    Model::Scene* const scene = sceneOf(d->scene);
    if (!model || !scene || d->indexes.isEmpty())
        return;
    d->firstCellIds.clear();
    bool const firstFrameRemoved = std::any_of(d->indexes.cbegin(), d->indexes.cend(),
                                               [](QModelIndex const& i) { return i.row() == 0; });
    if (firstFrameRemoved) {
        for (int layer = 0; layer < model->columnCount(); ++layer) {
            if (!scene->isVisualLayer(layer))
                continue;
            if (std::shared_ptr<Model::LayerItem> const first = scene->lookupLayerItem(layer, 1))
                d->firstCellIds.insert(layer, first->identifier);
        }
    }
    reverseAndClear(model, d->changes);
    d->atConstruction.restore(scene);
}

} // namespace Commands

#include "commands/CommandRules.h"

#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"

#include <QAbstractItemModel>
#include <QObject>
#include <QtGlobal>

#include <algorithm>

namespace Commands {

QString commandText(char const* text, char const* disambiguation, int n)
{
    return QObject::tr(text, disambiguation, n);
}

bool fuzzyEqual(double a, double b)
{
    return qFuzzyCompare(a, b);
}

namespace {

bool headerFlag(QAbstractItemModel const* model, int column, int role)
{
    return model->headerData(column, Qt::Horizontal, role).toBool();
}

bool cellFlag(QAbstractItemModel const* model, QModelIndex const& index, int role)
{
    return model->data(index, role).toBool();
}

} // namespace

bool accepts(QAbstractItemModel const* model, QModelIndex const& index, CellFilter filter)
{
    if (!model || !index.isValid())
        return false;
    using Roles = Model::SceneModel::Roles;
    bool const visual = headerFlag(model, index.column(), Roles::IsVisualLayerRole);
    switch (filter) {
    case CellFilter::VisualLayer:
        return visual;
    case CellFilter::RealVisualCell:
        return visual && !cellFlag(model, index, Roles::VirtualLastFrameRole);
    case CellFilter::RealVisualHold:
        return visual && !cellFlag(model, index, Roles::VirtualLastFrameRole)
               && cellFlag(model, index, Roles::HoldRole);
    case CellFilter::BelowFirstFrame:
        return index.row() > 0;
    case CellFilter::HoldOrDistantClone:
        return cellFlag(model, index, Roles::HoldRole)
               || cellFlag(model, index, Roles::DistantCloneRole);
    case CellFilter::ReferenceLayer:
        return model->headerData(index.column(), Qt::Horizontal, Roles::LayerTypeRole).toInt()
               == Model::Layer::ReferenceLayerType;
    }
    return false;
}

QList<QModelIndex> acceptedCells(QAbstractItemModel const* model,
                                 QList<QModelIndex> const& indexes, CellFilter filter)
{
    QList<QModelIndex> kept;
    for (QModelIndex const& index : indexes) {
        if (accepts(model, index, filter))
            kept.append(index);
    }
    return kept;
}

void sortByRow(QList<QModelIndex>& indexes, Qt::SortOrder order)
{
    std::stable_sort(indexes.begin(), indexes.end(),
                     [order](QModelIndex const& a, QModelIndex const& b) {
                         return order == Qt::AscendingOrder ? a.row() < b.row()
                                                            : a.row() > b.row();
                     });
}

RangeRecord RangeRecord::ofCurrentIndex(Model::KWScene const* scene)
{
    RangeRecord record;
    Model::Scene const* s = sceneOf(scene);
    if (!s)
        return record;
    QModelIndex const current = scene->currentIndex();
    record.minimum = s->minimumFrameRangeNumber();
    record.maximum = s->maximumFrameRangeNumber();
    record.frame = current.row() + 1;
    record.layer = current.column();
    return record;
}

RangeRecord RangeRecord::ofActiveCell(Model::Scene const* scene)
{
    RangeRecord record;
    if (!scene)
        return record;
    record.minimum = scene->minimumFrameRangeNumber();
    record.maximum = scene->maximumFrameRangeNumber();
    record.frame = scene->activeFrame();
    record.layer = scene->activeLayerIdx();
    return record;
}

void RangeRecord::restore(Model::Scene* scene) const
{
    if (scene)
        scene->setFrameRange(minimum, maximum, frame, layer);
}

void CellIdentifiers::keep(Model::Scene* scene)
{
    if (!scene)
        return;
    if (!m_recorded) {
        m_recorded = true;
        for (int layer = 0; layer < scene->numLayers(); ++layer) {
            QList<QUuid> ids;
            int const length = scene->isVisualLayer(layer) ? scene->layerLength(layer) : 0;
            for (int frame = 1; frame <= length; ++frame)
                ids.append(scene->lookupLayerItem(layer, frame)->identifier);
            m_layers.append(ids);
        }
        return;
    }
    for (int layer = 0; layer < std::min(int(m_layers.size()), scene->numLayers()); ++layer) {
        QList<QUuid> const& ids = m_layers.at(layer);
        if (!scene->isVisualLayer(layer) || scene->layerLength(layer) != ids.size())
            continue;
        for (int frame = 1; frame <= int(ids.size()); ++frame)
            scene->setCellIdentifier(layer, frame, ids.at(frame - 1));
    }
}

void reverseAndClear(Model::SceneModel* model, QList<Model::SceneChange>& changes)
{
    if (model)
        model->reverseChanges(changes);
    changes.clear();
}

void applyAndClear(Model::Scene* scene, QList<Model::SceneChange>& changes)
{
    if (scene)
        scene->addChanges(changes);
    changes.clear();
}

void moveLayerToPosition(Model::Scene* scene, int layer, int position)
{
    int const from = displayPosition(scene, layer);
    if (from >= 0 && position >= 0)
        scene->moveLayer(layer, from, position);
}

int displayPosition(Model::Scene const* scene, int layer)
{
    return scene ? scene->getVisualLayerIndices().value(layer, -1) : -1;
}

Model::SceneModel* sceneModelOf(Model::KWScene const* scene)
{
    return scene ? scene->sceneModel() : nullptr;
}

Model::Scene* sceneOf(Model::KWScene const* scene)
{
    return scene ? scene->scene() : nullptr;
}

} // namespace Commands

#include "commands/Stroke.h"

#include "commands/CommandRules.h"
#include "drawings/Drawing.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/VisualLayer.h"
#include "settings/Settings.h"
#include "strokes/SingleStroke.h"

#include <QMap>
#include <QPointer>
#include <QSet>
#include <QUuid>

namespace Commands {

struct Stroke::Data
{
    QPointer<Model::KWScene> scene;
    std::unique_ptr<Model::Stroke> stroke;
    QMap<QModelIndex, QUuid> copyIdsBefore;
    QMap<QModelIndex, QUuid> copyIdsAfter;
    QList<QModelIndex> targets;
    // Selected virtual last frames, which get a blank drawing on each redo.
    QList<QModelIndex> newDrawingTargets;
    QList<Model::SceneChange> newDrawingChanges;
    // Their cells' identifiers from the first redo, for the later ones.
    QMap<QModelIndex, QUuid> newCellIds;
    // The cells that took the stroke in the last redo, in order.
    QList<QModelIndex> accepted;
    bool redone = false;
};

Stroke::Stroke(Model::KWScene* scene, QModelIndex const& index,
               std::unique_ptr<Model::SingleStroke> stroke, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->stroke = std::move(stroke);
    initOneCell(scene, index);
}

Stroke::Stroke(Model::KWScene* scene, QModelIndex const& index,
               std::unique_ptr<Model::Stroke> stroke, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->stroke = std::move(stroke);
    initOneCell(scene, index);
}

void Stroke::initOneCell(Model::KWScene* scene, QModelIndex const& index)
{
    d->scene = scene;
    if (auto const* single = dynamic_cast<Model::SingleStroke const*>(d->stroke.get()))
        setText(single->isPen() ? commandText("Draw", "Commands::Stroke")
                                : commandText("Erase", "Commands::Stroke"));
    else
        setText(commandText("Append stroke", "Commands::Stroke"));
    if (!sceneOf(scene) || !d->stroke || !index.isValid()) {
        setObsolete(true);
        return;
    }
    d->targets = {index};
}

Stroke::Stroke(Model::KWScene* scene, QList<QModelIndex> const& indexes,
               std::unique_ptr<Model::Stroke> stroke, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    setText(commandText("Append stroke", "Commands::Stroke"));
    Model::SceneModel const* model = sceneModelOf(scene);
    if (!sceneOf(scene) || !stroke || !model) {
        setObsolete(true);
        return;
    }
    bool const clonesLocked = Model::Settings::instance()->clonesLockedForDrawing();
    QSet<Model::DrawingRef> seen;
    for (QModelIndex const& index : indexes) {
        if (!index.isValid())
            continue;
        if (model->data(index, Model::SceneModel::VirtualLastFrameRole).toBool()) {
            if (sceneOf(scene)->isStrokeLayer(index.column())
                && !d->newDrawingTargets.contains(index))
                d->newDrawingTargets.append(index);
            continue;
        }
        if (clonesLocked && !model->data(index, Model::SceneModel::OriginalRole).toBool())
            continue;
        Model::DrawingRef const original = model->originalDrawingIdentifier(index);
        if (seen.contains(original))
            continue;
        seen.insert(original);
        QModelIndex const owner = model->lookupIdentifier(original);
        if (owner.isValid())
            d->targets.append(owner);
    }
    if (d->targets.isEmpty() && d->newDrawingTargets.isEmpty()) {
        setObsolete(true);
        return;
    }
    d->stroke = stroke->clone();
}

Stroke::~Stroke() = default;

void Stroke::appendTo(QModelIndex const& index)
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(index);
    if (!item || !item->drawing)
        return;
    d->copyIdsBefore.insert(index, item->drawing->currentCopyId());
    if (!model->appendStroke(index, d->stroke->clone()))
        return;
    d->accepted.append(index);
    QUuid const after = d->copyIdsAfter.value(index);
    if (!after.isNull())
        item->drawing->setCopyId(after);
}

void Stroke::takeBackFrom(QModelIndex const& index)
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(index);
    if (!item || !item->drawing)
        return;
    d->copyIdsAfter.insert(index, item->drawing->currentCopyId());
    model->removeLastStroke(index);
    QUuid const before = d->copyIdsBefore.value(index);
    if (!before.isNull())
        item->drawing->setCopyId(before);
}

void Stroke::redo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    d->copyIdsBefore.clear();
    d->accepted.clear();
    for (QModelIndex const& index : std::as_const(d->targets))
        appendTo(index);
    // After the cells that exist: a blank inserted on a linked layer puts
    // holds into the other linked layers, which would move those cells.
    d->newDrawingChanges.clear();
    for (QModelIndex const& index : std::as_const(d->newDrawingTargets)) {
        if (model->data(index, Model::SceneModel::VirtualLastFrameRole).toBool()) {
            d->newDrawingChanges += model->insertBlankDrawingAt(index);
        } else if (model->data(index, Model::SceneModel::HoldRole).toBool()) {
            // A hold that a blank on a linked layer put here: the stamp gets
            // a drawing of its own, not the one the hold repeats.
            auto const* layer =
                qobject_cast<Model::VisualLayer const*>(model->scene()->layer(index.column()).get());
            if (layer)
                d->newDrawingChanges +=
                    model->replaceDrawing(index, layer->blankItem()->drawing, false, false);
        }
        if (std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(index)) {
            if (d->newCellIds.contains(index))
                model->scene()->setCellIdentifier(index.column(), index.row() + 1,
                                                  d->newCellIds.value(index));
            else
                d->newCellIds.insert(index, item->identifier);
        }
        appendTo(index);
    }
    // A stroke that no drawing took (an eraser on a blank drawing, a layer
    // that holds no strokes) is no edit: the stack drops it rather than keep
    // an entry whose undo does nothing.
    if (!d->redone && d->accepted.isEmpty() && d->newDrawingChanges.isEmpty())
        setObsolete(true);
    d->redone = true;
}

void Stroke::undo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    d->copyIdsAfter.clear();
    // Only cells that took the stroke give one back: a refused stroke must
    // not cost the drawing the stroke under it.
    QList<QModelIndex> const accepted = d->accepted;
    d->accepted.clear();
    for (qsizetype i = accepted.size() - 1; i >= 0; --i) {
        if (d->newDrawingTargets.contains(accepted.at(i)))
            takeBackFrom(accepted.at(i));
    }
    reverseAndClear(model, d->newDrawingChanges);
    for (qsizetype i = accepted.size() - 1; i >= 0; --i) {
        if (!d->newDrawingTargets.contains(accepted.at(i)))
            takeBackFrom(accepted.at(i));
    }
}

} // namespace Commands

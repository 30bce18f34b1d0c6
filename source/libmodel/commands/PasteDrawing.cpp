#include "commands/PasteDrawing.h"

#include "commands/AddCloneDrawings.h"
#include "commands/ClipboardPayload.h"
#include "commands/CommandRules.h"
#include "commands/DiscardDrawing.h"
#include "commands/InsertBlankDrawing.h"
#include "drawings/Drawing.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"

#include <QHash>
#include <QMap>
#include <QPointer>

namespace Commands {

struct PasteDrawing::Data
{
    QPointer<Model::KWScene> scene;
    QByteArray bytes;
    int count = 0;
    QList<QModelIndex> toDiscard;
    QModelIndex target;
    RangeRecord atConstruction;
    QMap<int, QUuid> identifiers; // by frame within the paste
    QList<Model::SceneChange> changes;
};

PasteDrawing::PasteDrawing(Model::KWScene* scene, QModelIndex const& index,
                           QMimeData const* mimeData, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    setText(commandText("Paste Drawing", "Commands::PasteDrawing"));
    if (!sceneOf(scene) || !accepts(sceneModelOf(scene), index, CellFilter::VisualLayer)
        || !keepPayload(mimeData, index.column())) {
        setObsolete(true);
        return;
    }
    d->target = index;
    d->atConstruction = RangeRecord::ofCurrentIndex(scene);
    new InsertBlankDrawing(scene, index, this);
    if (d->count >= 2)
        new AddCloneDrawings(scene, index, d->count - 1, this);
}

PasteDrawing::PasteDrawing(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                           QMimeData const* mimeData, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    setText(commandText("Paste Drawing", "Commands::PasteDrawing"));
    QList<QModelIndex> kept = acceptedCells(sceneModelOf(scene), indexes, CellFilter::VisualLayer);
    sortByRow(kept, Qt::AscendingOrder);
    if (!sceneOf(scene) || kept.isEmpty() || !keepPayload(mimeData, kept.constFirst().column())) {
        setObsolete(true);
        return;
    }
    d->target = kept.constFirst();
    d->atConstruction = RangeRecord::ofCurrentIndex(scene);
    int const m = int(kept.size());
    if (m < d->count) {
        new AddCloneDrawings(scene, kept.constLast(), d->count - m, this);
    } else if (m > d->count) {
        d->toDiscard = kept.mid(d->count);
        new DiscardDrawing(scene, d->toDiscard, this);
    }
}

PasteDrawing::~PasteDrawing() = default;

bool PasteDrawing::keepPayload(QMimeData const* mimeData, int targetColumn)
{
    QByteArray const bytes = ClipboardPayload::bytesOf(mimeData);
    ClipboardPayload const payload(bytes);
    Model::Scene const* s = sceneOf(d->scene);
    if (bytes.isEmpty() || !payload.isValid() || payload.layerType() != s->layerType(targetColumn))
        return false;
    d->bytes = bytes;
    d->count = payload.frameCount();
    return true;
}

void PasteDrawing::redo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    Model::Scene* const scene = sceneOf(d->scene);
    if (isObsolete() || !model || !scene)
        return;

    QHash<QUuid, std::shared_ptr<Model::Drawing>> reusable;
    QHash<QUuid, Model::DrawingRef> survivingClones;
    // Drawings of the cells the paste discards live on in a clone that
    // stays, or in the pasted cell that names them.
    for (QModelIndex const& index : std::as_const(d->toDiscard)) {
        std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(index);
        if (!item || item->kind != Model::LayerItem::Original || !item->drawing)
            continue;
        QUuid const copyId = item->drawing->currentCopyId();
        if (copyId.isNull())
            continue;
        bool survives = false;
        for (Model::DrawingRef const& clone : std::as_const(item->clones)) {
            QModelIndex const cell = model->lookupIdentifier(clone);
            if (cell.isValid() && !d->toDiscard.contains(cell)) {
                survivingClones.insert(copyId, clone);
                survives = true;
                break;
            }
        }
        if (!survives)
            reusable.insert(copyId, item->drawing);
    }

    QUndoCommand::redo();

    ClipboardPayload const payload(d->bytes);
    int const column = d->target.column();
    for (int k = 0; k < payload.frameCount(); ++k) {
        QModelIndex const cell = model->index(d->target.row() + k, column);
        bool const notLast = k + 1 < payload.frameCount();
        std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(cell);
        if (!item)
            break;
        if (d->identifiers.contains(k))
            sceneOf(d->scene)->setCellIdentifier(column, cell.row() + 1, d->identifiers.value(k));
        else
            d->identifiers.insert(k, item->identifier);

        ClipboardPayload::Frame const& frame = payload.frame(k);
        // A selected drawing about to be overwritten stays available.
        if (item->kind == Model::LayerItem::Original && item->drawing) {
            QUuid const old = item->drawing->currentCopyId();
            if (!old.isNull() && old != frame.copyId) {
                if (!item->clones.isEmpty()) {
                    survivingClones.insert(old, item->clones.constFirst());
                } else {
                    reusable.insert(old, item->drawing);
                    survivingClones.remove(old);
                }
            }
        }

        Model::DrawingRef const found =
            frame.copyId.isNull() ? Model::DrawingRef() : model->lookupCopyId(frame.copyId);
        bool const showsItAlready = item->kind == Model::LayerItem::Original && item->drawing
                                    && !frame.copyId.isNull()
                                    && item->drawing->currentCopyId() == frame.copyId;
        if (showsItAlready && frame.kind != Model::LayerItem::Hold) {
            // Pasted onto the cell it was copied from: a clone of itself
            // would leave the drawing without an owner.
            continue;
        }
        if (k >= 1 && frame.kind == Model::LayerItem::Hold) {
            d->changes += model->replaceDrawingWithHold(cell, notLast);
        } else if (!found.isNull()) {
            bool continuesDrawingBefore = false;
            if (frame.kind == Model::LayerItem::Hold) {
                int before = cell.row();
                while (before > 1 && scene->isHoldFrame(column, before))
                    --before;
                std::shared_ptr<Model::LayerItem> const previous =
                    before >= 1 ? scene->lookupLayerItem(column, before) : nullptr;
                continuesDrawingBefore = previous && previous->drawing
                                         && previous->drawing->currentCopyId() == frame.copyId;
            }
            if (continuesDrawingBefore)
                d->changes += model->replaceDrawingWithHold(cell, notLast);
            else
                d->changes += model->replaceDrawingWithDistantClone(cell, found, notLast);
        } else if (survivingClones.contains(frame.copyId)) {
            d->changes += model->replaceDrawingWithDistantClone(
                cell, survivingClones.value(frame.copyId), notLast);
        } else if (reusable.contains(frame.copyId)) {
            d->changes += model->replaceDrawing(cell, reusable.take(frame.copyId), true, notLast);
        } else if (std::shared_ptr<Model::Drawing> const drawing = payload.drawing(k)) {
            d->changes += model->replaceDrawing(cell, drawing, true, notLast);
        }
    }
    scene->setActiveFrameAndLayer(d->target.row() + 1, column,
                                  Model::Scene::KeepWithinDrawnFrames);
}

void PasteDrawing::undo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    reverseAndClear(model, d->changes);
    QUndoCommand::undo();
    d->atConstruction.restore(sceneOf(d->scene));
}

} // namespace Commands

#include "commands/CollapseVectorData.h"

#include "commands/CommandRules.h"
#include "drawings/StrokeDrawing.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "settings/Settings.h"

#include <QPointer>
#include <QProgressDialog>
#include <QUuid>

namespace Commands {

struct CollapseVectorData::Data
{
    QPointer<Model::KWScene> scene;
    QUuid copyIdAfter;
    QModelIndex target;
    std::shared_ptr<Model::Drawing> collapsed;
    QList<Model::SceneChange> changes;
    QPointer<QWidget> parentWidget;
};

CollapseVectorData::CollapseVectorData(Model::KWScene* scene, QModelIndex const& index,
                                       QWidget* parentWidget, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->parentWidget = parentWidget;
    setText(commandText("Collapse Vector Data", "Commands::CollapseVectorData"));
    Model::SceneModel const* model = sceneModelOf(scene);
    if (!model || !index.isValid()
        || model->headerData(index.column(), Qt::Horizontal, Model::SceneModel::LayerTypeRole)
                   .toInt()
               != Model::Layer::StrokeLayerType) {
        setObsolete(true);
        return;
    }
    // The cell that owns the drawing shown: back over holds, across to the
    // original of a distant clone.
    Model::Scene const* s = sceneOf(scene);
    int layer = index.column();
    int frame = index.row() + 1;
    while (frame >= 1) {
        std::shared_ptr<Model::LayerItem> const item = s->lookupLayerItem(layer, frame);
        if (!item || item->kind == Model::LayerItem::Original)
            break;
        if (item->kind == Model::LayerItem::DistantClone) {
            int originalLayer = -1;
            int originalFrame = -1;
            if (s->hasDrawing(item->original, &originalLayer, &originalFrame)) {
                layer = originalLayer;
                frame = originalFrame;
                break;
            }
        }
        --frame;
    }
    d->target = model->index(frame - 1, layer);
}

CollapseVectorData::~CollapseVectorData() = default;

bool CollapseVectorData::collapse()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(d->target);
    if (!item || !item->drawing || item->drawing->type() != Model::Drawing::StrokeDrawingType)
        return false;
    std::shared_ptr<Model::StrokeDrawing> copy(
        static_cast<Model::StrokeDrawing const*>(item->drawing.get())->clone());
    std::unique_ptr<QProgressDialog> progress;
    if (d->parentWidget) {
        progress = std::make_unique<QProgressDialog>(d->parentWidget);
        progress->setWindowModality(Qt::WindowModal);
        progress->setLabelText(
            QObject::tr("Collapsing current drawing", "CollapseVectorData progress dialog"));
        progress->setMinimumDuration(2000);
        progress->setFixedSize(progress->sizeHint());
    }
    QSize const frameSize = sceneOf(d->scene)->frameSize();
    bool const done = copy->collapseVectorData(
        Model::Settings::instance()->bitmapRatioForCollapsingVectorData(),
        QRect(QPoint(0, 0), frameSize), progress.get());
    progress.reset();
    if (!done)
        return false;
    d->collapsed = copy;
    return true;
}

void CollapseVectorData::redo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    if (!d->collapsed && !collapse()) {
        setObsolete(true);
        return;
    }
    d->changes.clear();
    std::shared_ptr<Model::Drawing> copy(d->collapsed->clone());
    if (!d->copyIdAfter.isNull())
        copy->setCopyId(d->copyIdAfter);
    d->changes += model->replaceDrawing(d->target, copy, false, false);
}

void CollapseVectorData::undo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    if (std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(d->target);
        item && item->drawing)
        d->copyIdAfter = item->drawing->currentCopyId();
    reverseAndClear(model, d->changes);
}

} // namespace Commands

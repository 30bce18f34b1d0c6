#include "commands/PasteImage.h"

#include "commands/CommandRules.h"
#include "commands/DiscardDrawing.h"
#include "drawings/ImageDrawing.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"

#include <QPointer>
#include <QUuid>

namespace Commands {

struct PasteImage::Data
{
    QPointer<Model::KWScene> scene;
    QImage image;
    QModelIndex target;
    RangeRecord atConstruction;
    QUuid identifier;
    QList<Model::SceneChange> changes;
};

PasteImage::PasteImage(Model::KWScene* scene, QModelIndex const& index, QImage const& image,
                       QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    setText(commandText("Paste Image", "Commands::PasteImage"));
    if (!sceneOf(scene) || !accepts(sceneModelOf(scene), index, CellFilter::ReferenceLayer)) {
        setObsolete(true);
        return;
    }
    d->target = index;
    d->atConstruction = RangeRecord::ofCurrentIndex(scene);
    keepImage(image);
}

PasteImage::PasteImage(Model::KWScene* scene, QList<QModelIndex> const& indexes,
                       QImage const& image, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    setText(commandText("Paste Image", "Commands::PasteImage"));
    QList<QModelIndex> kept = acceptedCells(sceneModelOf(scene), indexes, CellFilter::ReferenceLayer);
    if (!sceneOf(scene) || kept.isEmpty()) {
        setObsolete(true);
        return;
    }
    sortByRow(kept, Qt::DescendingOrder);
    d->atConstruction = RangeRecord::ofCurrentIndex(scene);
    new DiscardDrawing(scene, kept, this);
    d->target = kept.constLast();
    keepImage(image);
}

PasteImage::~PasteImage() = default;

void PasteImage::keepImage(QImage const& image)
{
    QSize const frame = sceneOf(d->scene)->frameSize();
    QSize const fitted = image.size().scaled(frame, Qt::KeepAspectRatio);
    d->image = image.width() <= fitted.width()
                   ? image
                   : image.scaled(frame, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (d->image.isNull())
        setObsolete(true);
}

void PasteImage::redo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    QUndoCommand::redo();
    d->changes += model->insertBlankDrawingAt(d->target);
    if (std::shared_ptr<Model::LayerItem> const item = model->lookupLayerItem(d->target)) {
        if (d->identifier.isNull())
            d->identifier = item->identifier;
        else
            sceneOf(d->scene)->setCellIdentifier(d->target.column(), d->target.row() + 1,
                                                 d->identifier);
    }
    d->changes += model->replaceDrawing(d->target, std::make_shared<Model::ImageDrawing>(d->image),
                                        true, false);
    sceneOf(d->scene)->setActiveFrameAndLayer(d->target.row() + 1, d->target.column(),
                                              Model::Scene::KeepWithinDrawnFrames);
}

void PasteImage::undo()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    reverseAndClear(model, d->changes);
    QUndoCommand::undo();
    d->atConstruction.restore(sceneOf(d->scene));
}

} // namespace Commands

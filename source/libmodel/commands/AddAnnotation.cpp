#include "commands/AddAnnotation.h"

#include "commands/CommandRules.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Layer.h"

#include <QPointer>

namespace Commands {

struct AddAnnotation::Data
{
    QPointer<Model::KWScene> scene;
    QModelIndex index;
    QImage image;
};

AddAnnotation::AddAnnotation(Model::KWScene* scene, QModelIndex index, QImage image,
                             QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->index = index;
    d->image = std::move(image);
    setText(commandText("Add Annotation", "Commands::AddAnnotation"));
    Model::SceneModel const* model = sceneModelOf(scene);
    if (!model || d->image.isNull() || !index.isValid()
        || model->headerData(index.column(), Qt::Horizontal, Model::SceneModel::LayerTypeRole)
                   .toInt()
               != Model::Layer::AnnotationLayerType)
        setObsolete(true);
}

AddAnnotation::~AddAnnotation() = default;

void AddAnnotation::redo()
{
    swapImages();
}

void AddAnnotation::undo()
{
    swapImages();
}

void AddAnnotation::swapImages()
{
    Model::SceneModel* const model = sceneModelOf(d->scene);
    if (isObsolete() || !model)
        return;
    QVariant const old = model->data(d->index, Model::SceneModel::AnnotationImageRole);
    model->setData(d->index, d->image, Model::SceneModel::AnnotationImageRole);
    d->image = old.canConvert<QImage>() ? old.value<QImage>() : QImage();
}

} // namespace Commands

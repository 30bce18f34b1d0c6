#include "commands/FloatingSelectionTransform.h"

#include "commands/CommandRules.h"
#include "scene/KWScene.h"

#include <QPointer>

namespace Commands {

struct FloatingSelectionTransform::Data
{
    QPointer<Model::KWScene> scene;
    Model::FloatingSelection::Transform newTransform;
    Model::FloatingSelection::Transform oldTransform;
};

FloatingSelectionTransform::FloatingSelectionTransform(
    Model::KWScene* scene, Model::FloatingSelection::Transform transform, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->newTransform = transform;
    setText(commandText("Change floating selection", "Commands::FloatingSelectionTransform"));
    if (!scene)
        setObsolete(true);
}

FloatingSelectionTransform::~FloatingSelectionTransform() = default;

void FloatingSelectionTransform::redo()
{
    if (isObsolete() || !d->scene)
        return;
    d->oldTransform = d->scene->floatingSelectionTransform();
    d->scene->setFloatingSelectionTransform(d->newTransform);
}

void FloatingSelectionTransform::undo()
{
    if (isObsolete() || !d->scene)
        return;
    d->newTransform = d->scene->floatingSelectionTransform();
    d->scene->setFloatingSelectionTransform(d->oldTransform);
}

} // namespace Commands

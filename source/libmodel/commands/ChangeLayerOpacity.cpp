#include "commands/ChangeLayerOpacity.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

#include <QPointer>

namespace Commands {

struct ChangeLayerOpacity::Data
{
    QPointer<Model::Scene> scene;
    int layer = -1;
    double oldOpacity = 1.0;
    double newOpacity = 1.0;
};

ChangeLayerOpacity::ChangeLayerOpacity(Model::Scene* scene, int layer, double oldOpacity,
                                       double newOpacity, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->layer = layer;
    d->oldOpacity = oldOpacity;
    d->newOpacity = newOpacity;
    setText(commandText("Change Layer Opacity", "Commands::ChangeLayerOpacity"));
    if (changesNothing())
        setObsolete(true);
}

ChangeLayerOpacity::~ChangeLayerOpacity() = default;

// Shifted by 1, so that a change to or from 0 compares as a change of size.
bool ChangeLayerOpacity::changesNothing() const
{
    return fuzzyEqual(1.0 + d->oldOpacity, 1.0 + d->newOpacity);
}

void ChangeLayerOpacity::redo()
{
    if (changesNothing()) {
        setObsolete(true);
        return;
    }
    if (d->scene)
        d->scene->setLayerOpacity(d->layer, d->newOpacity);
}

void ChangeLayerOpacity::undo()
{
    if (d->scene)
        d->scene->setLayerOpacity(d->layer, d->oldOpacity);
}

int ChangeLayerOpacity::id() const
{
    return ChangeLayerOpacityId;
}

bool ChangeLayerOpacity::mergeWith(QUndoCommand const* other)
{
    // Another layer's change is an edit of its own: taking it over would
    // lose its undo entry and give this layer the other's value on redo.
    auto const* newer = static_cast<ChangeLayerOpacity const*>(other);
    if (newer->d->layer != d->layer || newer->d->scene != d->scene)
        return false;
    d->newOpacity = newer->d->newOpacity;
    if (changesNothing())
        setObsolete(true);
    return true;
}

} // namespace Commands

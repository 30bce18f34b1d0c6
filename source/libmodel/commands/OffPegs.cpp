#include "commands/OffPegs.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

#include <QPointer>

namespace Commands {

struct OffPegs::Data
{
    QPointer<Model::Scene> scene;
    int frame = -1;
    int layer = -1;
    QTransform newTransform;
    QTransform oldTransform;
};

OffPegs::OffPegs(Model::Scene* scene, QTransform transform, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->newTransform = transform;
    updateText();
    if (!scene) {
        setObsolete(true);
        return;
    }
    d->frame = scene->activeFrame();
    if (transform.isIdentity() && !scene->isOffPegs(d->frame, nullptr))
        setObsolete(true);
}

OffPegs::~OffPegs() = default;

void OffPegs::updateText()
{
    setText(d->newTransform.isIdentity()
                ? commandText("Put Frame On the Pegs", "Commands::OffPegs")
                : commandText("Take Frame Off the Pegs", "Commands::OffPegs"));
}

void OffPegs::redo()
{
    if (isObsolete() || !d->scene)
        return;
    d->oldTransform = d->scene->offPegsTransform(d->frame, &d->layer);
    if (d->layer == -1)
        d->layer = d->scene->activeLayerIdx();
    d->scene->setOffPegsTransform(d->frame, d->layer, d->newTransform);
}

void OffPegs::undo()
{
    if (isObsolete() || !d->scene)
        return;
    d->scene->setOffPegsTransform(d->frame, d->layer, d->oldTransform);
}

int OffPegs::id() const
{
    return OffPegsId;
}

bool OffPegs::mergeWith(QUndoCommand const* other)
{
    auto const* newer = static_cast<OffPegs const*>(other);
    if (newer->d->frame != d->frame || newer->d->layer != d->layer)
        return false;
    d->newTransform = newer->d->newTransform;
    updateText();
    if (d->newTransform == d->oldTransform)
        setObsolete(true);
    return true;
}

} // namespace Commands

#include "commands/SetFrameRate.h"

#include "commands/CommandRules.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QPointer>

namespace Commands {

struct SetFrameRate::Data
{
    QPointer<Model::KWScene> scene;
    double newRate = 0.0;
    double oldRate = 0.0;
};

SetFrameRate::SetFrameRate(Model::KWScene* scene, double rate, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->newRate = rate;
    setText(commandText("Set Frame Rate", "Commands::SetFrameRate"));
    Model::Scene const* s = sceneOf(scene);
    if (!s) {
        setObsolete(true);
        return;
    }
    d->oldRate = s->frameRate();
    if (fuzzyEqual(d->oldRate, d->newRate))
        setObsolete(true);
}

SetFrameRate::~SetFrameRate() = default;

void SetFrameRate::redo()
{
    if (!isObsolete() && sceneOf(d->scene))
        sceneOf(d->scene)->setFrameRate(d->newRate);
}

void SetFrameRate::undo()
{
    if (!isObsolete() && sceneOf(d->scene))
        sceneOf(d->scene)->setFrameRate(d->oldRate);
}

int SetFrameRate::id() const
{
    return SetFrameRateId;
}

bool SetFrameRate::mergeWith(QUndoCommand const* other)
{
    d->newRate = static_cast<SetFrameRate const*>(other)->d->newRate;
    if (fuzzyEqual(d->oldRate, d->newRate))
        setObsolete(true);
    return true;
}

} // namespace Commands

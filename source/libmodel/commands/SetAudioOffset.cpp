#include "commands/SetAudioOffset.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

#include <QPointer>

#include <cmath>

namespace Commands {

struct SetAudioOffset::Data
{
    QPointer<Model::Scene> scene;
    double newOffset = 0.0;
    double oldOffset = 0.0;
};

SetAudioOffset::SetAudioOffset(Model::Scene* scene, double offsetFrames, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->newOffset = offsetFrames;
    updateText();
    if (!scene) {
        setObsolete(true);
        return;
    }
    d->oldOffset = scene->audioOffsetFrames();
    if (fuzzyEqual(d->oldOffset, d->newOffset))
        setObsolete(true);
}

SetAudioOffset::~SetAudioOffset() = default;

void SetAudioOffset::updateText()
{
    setText(std::abs(d->newOffset) <= 1e-12
                ? commandText("Remove Audio Offset", "Commands::SetAudioOffset")
                : commandText("Set Audio Offset", "Commands::SetAudioOffset"));
}

void SetAudioOffset::redo()
{
    if (!isObsolete() && d->scene)
        d->scene->setAudioOffsetFrames(d->newOffset);
}

void SetAudioOffset::undo()
{
    if (!isObsolete() && d->scene)
        d->scene->setAudioOffsetFrames(d->oldOffset);
}

int SetAudioOffset::id() const
{
    return SetAudioOffsetId;
}

bool SetAudioOffset::mergeWith(QUndoCommand const* other)
{
    d->newOffset = static_cast<SetAudioOffset const*>(other)->d->newOffset;
    updateText();
    if (fuzzyEqual(d->oldOffset, d->newOffset))
        setObsolete(true);
    return true;
}

} // namespace Commands

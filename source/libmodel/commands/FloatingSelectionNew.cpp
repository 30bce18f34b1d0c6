#include "commands/FloatingSelectionNew.h"

#include "commands/CommandRules.h"
#include "scene/KWScene.h"
#include "strokes/FloatingSelection.h"

#include <QPointer>

namespace Commands {

struct FloatingSelectionNew::Data
{
    QPointer<Model::KWScene> scene;
    // Before a redo the selection to install, after it the one replaced.
    std::unique_ptr<Model::FloatingSelection> held;
};

FloatingSelectionNew::FloatingSelectionNew(
    Model::KWScene* scene, std::unique_ptr<Model::FloatingSelection> floatingSelection,
    QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    d->held = std::move(floatingSelection);
    setText(commandText("Create floating selection", "Commands::FloatingSelectionNew"));
    if (!scene)
        setObsolete(true);
}

FloatingSelectionNew::~FloatingSelectionNew() = default;

void FloatingSelectionNew::redo()
{
    swap();
}

void FloatingSelectionNew::undo()
{
    swap();
}

void FloatingSelectionNew::swap()
{
    if (isObsolete() || !d->scene)
        return;
    d->held = d->scene->setFloatingSelection(std::move(d->held));
}

} // namespace Commands

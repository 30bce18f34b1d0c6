#include "commands/ChangeToolType.h"

#include "commands/CommandRules.h"
#include "scene/KWScene.h"
#include "tools/ToolManager.h"

#include <QPointer>

namespace Commands {

struct ChangeToolType::Data
{
    QPointer<Model::KWScene> scene;
    Model::Tool::Type newType = Model::Tool::NoTool;
    Model::Tool::Type oldType = Model::Tool::NoTool;
};

ChangeToolType::ChangeToolType(Model::KWScene* scene, Model::Tool::Type type, QUndoCommand* parent)
    : QUndoCommand(parent)
    , d(std::make_unique<Data>())
{
    d->scene = scene;
    Model::ToolManager* const tools = Model::ToolManager::instance();
    if (scene) {
        d->newType = type;
        d->oldType = tools->lastUndoToolType();
        setText(commandText("Change tool type", "Commands::ChangeToolType"));
    }
    if (d->newType == tools->currentToolType())
        setObsolete(true);
}

ChangeToolType::~ChangeToolType() = default;

void ChangeToolType::redo()
{
    if (!isObsolete() && d->scene)
        Model::ToolManager::instance()->setCurrentTool(d->newType, Model::Tool::Usable);
}

void ChangeToolType::undo()
{
    if (!isObsolete() && d->scene)
        Model::ToolManager::instance()->setCurrentTool(d->oldType, Model::Tool::Usable);
}

int ChangeToolType::id() const
{
    return ChangeToolTypeId;
}

bool ChangeToolType::mergeWith(QUndoCommand const* other)
{
    d->newType = static_cast<ChangeToolType const*>(other)->d->newType;
    if (d->newType == d->oldType)
        setObsolete(true);
    return true;
}

} // namespace Commands

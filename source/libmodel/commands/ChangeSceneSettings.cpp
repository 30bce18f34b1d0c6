#include "commands/ChangeSceneSettings.h"

#include "commands/ChangeFrameSize.h"
#include "commands/CommandRules.h"
#include "commands/SetFrameRate.h"

namespace Commands {

ChangeSceneSettings::ChangeSceneSettings(Model::KWScene* scene, QSize const& size,
                                         KW::FitMode fitMode, double rate, QWidget* parentWidget,
                                         QUndoCommand* parent)
    : QUndoCommand(parent)
{
    setText(commandText("Change scene settings", "Commands::ChangeSceneSettings"));
    auto const* rateChange = new SetFrameRate(scene, rate, this);
    auto const* sizeChange = new ChangeFrameSize(scene, size, fitMode, parentWidget, this);
    // Neither changes anything: an empty request.
    if (rateChange->isObsolete() && sizeChange->isObsolete())
        setObsolete(true);
}

ChangeSceneSettings::~ChangeSceneSettings() = default;

} // namespace Commands

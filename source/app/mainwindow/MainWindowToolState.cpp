// The state a tool would have on the active cell: whether the layer there
// is hidden or fully transparent, or the cell may not be drawn on.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "scene/Scene.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"

#include <optional>

namespace {

using Type = Model::Tool::Type;
using State = Model::Tool::State;

} // namespace

Model::Tool::State MainWindow::calcToolState(Model::Tool::Type type) const
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return State::Usable;
    const int layer = scene->activeLayerIdx();
    const int frame = scene->activeFrame();
    const bool virtualLast = scene->isVirtualLastFrame(layer, frame);
    const bool cloneLocked = Model::Settings::instance()->clonesLockedForDrawing()
                             && !scene->isOriginalFrame(layer, frame) && !virtualLast;
    auto visibility = [&]() -> std::optional<State> {
        if (!scene->isLayerVisible(layer))
            return State::LayerNotVisible;
        if (scene->layerOpacity(layer) <= 1e-12)
            return State::LayerOpacityZero;
        return std::nullopt;
    };
    auto forbiddenIf = [&](bool forbidden) {
        if (const auto hidden = visibility())
            return *hidden;
        return forbidden ? State::Forbidden : State::Usable;
    };
    const bool reference = scene->isReferenceLayer(layer);
    switch (type) {
    case Type::Draw:
    case Type::Erase:
    case Type::FloatingSelection:
        return forbiddenIf(reference || cloneLocked);
    case Type::OffPegs:
        return virtualLast ? State::Forbidden : State::Usable;
    case Type::Lasso:
        return forbiddenIf(reference || virtualLast);
    case Type::Cutter:
        return forbiddenIf(reference || virtualLast || cloneLocked);
    default:
        return State::Usable;
    }
}

void MainWindow::updateCurrentToolState()
{
    const Type current = Model::ToolManager::instance()->currentToolType();
    Model::ToolManager::instance()->setCurrentTool(current, calcToolState(current));
}

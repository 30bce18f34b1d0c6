#include "commands/UnmarkAllKeyDrawings.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

namespace Commands {

UnmarkAllKeyDrawings::UnmarkAllKeyDrawings(Model::Scene* scene, QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_scene(scene)
{
    setText(commandText("Unmark all Key Drawings", "Commands::UnmarkAllKeyDrawings"));
    for (int layer = 0; scene && layer < scene->numLayers(); ++layer) {
        if (!scene->isVisualLayer(layer))
            continue;
        for (int frame = 1; frame <= scene->layerLength(layer); ++frame) {
            if (scene->isKeyDrawing(layer, frame))
                m_marked.append({layer, frame});
        }
    }
    if (m_marked.isEmpty())
        setObsolete(true);
}

UnmarkAllKeyDrawings::~UnmarkAllKeyDrawings() = default;

void UnmarkAllKeyDrawings::redo()
{
    mark(false);
}

void UnmarkAllKeyDrawings::undo()
{
    mark(true);
}

void UnmarkAllKeyDrawings::mark(bool keyDrawing)
{
    if (!m_scene)
        return;
    for (auto const& [layer, frame] : std::as_const(m_marked))
        m_scene->setKeyDrawing(layer, frame, keyDrawing);
}

} // namespace Commands

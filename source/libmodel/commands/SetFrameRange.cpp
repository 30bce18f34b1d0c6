#include "commands/SetFrameRange.h"

#include "commands/CommandRules.h"
#include "scene/Scene.h"

namespace Commands {

SetFrameRange::SetFrameRange(Model::Scene* scene, int minimum, int maximum, int activeFrame,
                             int activeLayer, QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_newMinimum(minimum)
    , m_newMaximum(maximum)
    , m_newFrame(activeFrame)
    , m_newLayer(activeLayer)
{
    setText(commandText("Change Active Frame Range", "Commands::SetFrameRange"));
    if (!scene)
        return;
    m_oldMinimum = scene->minimumFrameRangeNumber();
    m_oldMaximum = scene->maximumFrameRangeNumber();
    m_oldFrame = scene->activeFrame();
    m_oldLayer = scene->activeLayerIdx();
}

SetFrameRange::~SetFrameRange() = default;

void SetFrameRange::redo()
{
    if (m_scene)
        m_scene->setFrameRange(m_newMinimum, m_newMaximum, m_newFrame, m_newLayer);
}

void SetFrameRange::undo()
{
    if (m_scene)
        m_scene->setFrameRange(m_oldMinimum, m_oldMaximum, m_oldFrame, m_oldLayer);
}

int SetFrameRange::id() const
{
    return SetFrameRangeId;
}

bool SetFrameRange::mergeWith(QUndoCommand const* other)
{
    auto const* newer = static_cast<SetFrameRange const*>(other);
    if (newer->m_newFrame != m_newFrame || newer->m_newLayer != m_newLayer)
        return false;
    m_newMinimum = newer->m_newMinimum;
    m_newMaximum = newer->m_newMaximum;
    if (m_oldMinimum == m_newMinimum && m_oldMaximum == m_newMaximum)
        setObsolete(true);
    return true;
}

} // namespace Commands

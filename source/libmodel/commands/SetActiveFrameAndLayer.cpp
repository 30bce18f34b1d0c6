#include "commands/SetActiveFrameAndLayer.h"

#include "commands/CommandRules.h"

namespace Commands {

SetActiveFrameAndLayer::SetActiveFrameAndLayer(Model::Scene* scene, int frame, int layer, int tag,
                                               Model::Scene::SetFrameBehaviour behaviour,
                                               QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_scene(scene)
    , m_behaviour(behaviour)
    , m_newFrame(frame)
    , m_newLayer(layer)
    , m_tag(tag)
{
    if (!scene)
        return;
    m_oldFrame = scene->activeFrame();
    m_oldLayer = scene->activeLayerIdx();
    updateText();
}

SetActiveFrameAndLayer::SetActiveFrameAndLayer(Model::Scene* scene, int frame, int layer, int tag,
                                               QUndoCommand* parent)
    : SetActiveFrameAndLayer(scene, frame, layer, tag, Model::Scene::KeepWithinDrawnFrames,
                             parent)
{
}

SetActiveFrameAndLayer::SetActiveFrameAndLayer(Model::Scene* scene, int frame, int layer,
                                               Model::Scene::SetFrameBehaviour behaviour,
                                               QUndoCommand* parent)
    : SetActiveFrameAndLayer(scene, frame, layer, frame, behaviour, parent)
{
}

SetActiveFrameAndLayer::SetActiveFrameAndLayer(Model::Scene* scene, int frame, int layer,
                                               QUndoCommand* parent)
    : SetActiveFrameAndLayer(scene, frame, layer, frame, Model::Scene::KeepWithinDrawnFrames,
                             parent)
{
}

SetActiveFrameAndLayer::~SetActiveFrameAndLayer() = default;

void SetActiveFrameAndLayer::updateText()
{
    if (m_oldFrame == m_newFrame)
        setText(commandText("Change Active Layer", "Commands::SetActiveFrameAndLayer"));
    else if (m_oldLayer != m_newLayer)
        setText(commandText("Change Active Frame and Layer", "Commands::SetActiveFrameAndLayer"));
    else
        setText(commandText("Change Active Frame", "Commands::SetActiveFrameAndLayer"));
}

void SetActiveFrameAndLayer::redo()
{
    if (m_scene)
        m_scene->setActiveFrameAndLayer(m_newFrame, m_newLayer, m_behaviour);
}

void SetActiveFrameAndLayer::undo()
{
    if (m_scene)
        m_scene->setActiveFrameAndLayer(m_oldFrame, m_oldLayer,
                                        Model::Scene::AcceptVirtualLastFrame);
}

int SetActiveFrameAndLayer::id() const
{
    return SetActiveFrameAndLayerId;
}

bool SetActiveFrameAndLayer::mergeWith(QUndoCommand const* other)
{
    auto const* newer = static_cast<SetActiveFrameAndLayer const*>(other);
    if (newer->m_newLayer != m_newLayer && newer->m_tag != m_tag)
        return false;
    m_newFrame = newer->m_newFrame;
    m_newLayer = newer->m_newLayer;
    updateText();
    if (m_oldFrame == m_newFrame && m_oldLayer == m_newLayer)
        setObsolete(true);
    return true;
}

} // namespace Commands

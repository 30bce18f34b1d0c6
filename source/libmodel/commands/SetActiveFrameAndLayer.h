#pragma once

#include "scene/Scene.h"

#include <QPointer>
#include <QUndoCommand>

namespace Commands {

// Moves the active cell. Steps on one layer, or steps that share a merge
// tag, merge into one entry, and stepping back to where they began leaves
// none.
class SetActiveFrameAndLayer : public QUndoCommand
{
public:
    SetActiveFrameAndLayer(Model::Scene* scene, int frame, int layer, int tag,
                           Model::Scene::SetFrameBehaviour behaviour,
                           QUndoCommand* parent = nullptr);
    SetActiveFrameAndLayer(Model::Scene* scene, int frame, int layer, int tag,
                           QUndoCommand* parent = nullptr);
    SetActiveFrameAndLayer(Model::Scene* scene, int frame, int layer,
                           Model::Scene::SetFrameBehaviour behaviour,
                           QUndoCommand* parent = nullptr);
    SetActiveFrameAndLayer(Model::Scene* scene, int frame, int layer,
                           QUndoCommand* parent = nullptr);
    ~SetActiveFrameAndLayer() override;

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(QUndoCommand const* other) override;

private:
    void updateText();

    QPointer<Model::Scene> m_scene;
    Model::Scene::SetFrameBehaviour m_behaviour;
    int m_oldFrame = -1;
    int m_oldLayer = -1;
    int m_newFrame;
    int m_newLayer;
    int m_tag;
};

} // namespace Commands

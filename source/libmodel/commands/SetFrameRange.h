#pragma once

#include <QPointer>
#include <QUndoCommand>

namespace Model {
class Scene;
}

namespace Commands {

// A new frame range with the active cell to show in it. Range drags with the
// same active cell merge into one entry.
class SetFrameRange : public QUndoCommand
{
public:
    SetFrameRange(Model::Scene* scene, int minimum, int maximum, int activeFrame,
                  int activeLayer, QUndoCommand* parent = nullptr);
    ~SetFrameRange() override;

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(QUndoCommand const* other) override;

private:
    QPointer<Model::Scene> m_scene;
    int m_oldMinimum = -1;
    int m_oldMaximum = -1;
    int m_oldFrame = -1;
    int m_oldLayer = -1;
    int m_newMinimum;
    int m_newMaximum;
    int m_newFrame;
    int m_newLayer;
};

} // namespace Commands

#pragma once

#include "commands/CommandRules.h"

#include <QPointer>
#include <QUndoCommand>

namespace Model {
class Scene;
}

namespace Commands {

// Base of the commands whose scene edit returns records that undo it
// directly: redo keeps the records of a fresh edit, undo applies them in
// their order and puts back the frame range and active cell of construction,
// on which the edit also worked.
class DirectChangeCommand : public QUndoCommand
{
public:
    ~DirectChangeCommand() override;

    void undo() override;
    void redo() override;

protected:
    DirectChangeCommand(Model::Scene* scene, QUndoCommand* parent);

    // The edit, on the active cell recorded at construction.
    virtual QList<Model::SceneChange> edit(Model::Scene* scene, int frame, int layer) = 0;
    // Where the active frame goes after the edit.
    virtual int activeFrameAfter(int frame) const = 0;

    Model::Scene* scene() const { return m_scene; }

private:
    QPointer<Model::Scene> m_scene;
    RangeRecord m_atConstruction;
    QList<Model::SceneChange> m_changes;
    CellIdentifiers m_identifiers;
};

} // namespace Commands

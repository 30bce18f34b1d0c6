#pragma once

#include "commands/DirectChangeCommand.h"

namespace Commands {

// Removes the n frames that end at the active frame (the holds an X-sheet
// drag takes back).
class DiscardCloneDrawings : public DirectChangeCommand
{
public:
    DiscardCloneDrawings(Model::Scene* scene, int n, QUndoCommand* parent = nullptr);
    ~DiscardCloneDrawings() override;

protected:
    QList<Model::SceneChange> edit(Model::Scene* scene, int frame, int layer) override;
    int activeFrameAfter(int frame) const override;

private:
    int m_count;
};

} // namespace Commands

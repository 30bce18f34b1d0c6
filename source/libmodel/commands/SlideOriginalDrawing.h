#pragma once

#include "commands/DirectChangeCommand.h"

namespace Commands {

// Slides the original at the active cell along its layer over the holds
// around it, as an X-sheet drag ended: by distance frames, within the
// smallest and largest distance the drag reached.
class SlideOriginalDrawing : public DirectChangeCommand
{
public:
    SlideOriginalDrawing(Model::Scene* scene, int distance, int smallestDraggedDistance,
                         int largestDraggedDistance, QUndoCommand* parent = nullptr);
    ~SlideOriginalDrawing() override;

protected:
    QList<Model::SceneChange> edit(Model::Scene* scene, int frame, int layer) override;
    int activeFrameAfter(int frame) const override;

private:
    int m_distance;
    int m_smallest;
    int m_largest;
};

} // namespace Commands

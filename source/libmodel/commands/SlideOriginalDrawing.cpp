#include "commands/SlideOriginalDrawing.h"

#include "scene/Scene.h"

namespace Commands {

SlideOriginalDrawing::SlideOriginalDrawing(Model::Scene* scene, int distance,
                                           int smallestDraggedDistance,
                                           int largestDraggedDistance, QUndoCommand* parent)
    : DirectChangeCommand(scene, parent)
    , m_distance(distance)
    , m_smallest(smallestDraggedDistance)
    , m_largest(largestDraggedDistance)
{
    setText(commandText("Slide Original Drawing", "Commands::SlideOriginal"));
    if (!scene || (distance == 0 && smallestDraggedDistance == 0 && largestDraggedDistance == 0))
        setObsolete(true);
}

SlideOriginalDrawing::~SlideOriginalDrawing() = default;

QList<Model::SceneChange> SlideOriginalDrawing::edit(Model::Scene* scene, int frame, int layer)
{
    return scene->slideOriginalDrawing(layer, frame, m_distance, m_smallest, m_largest);
}

int SlideOriginalDrawing::activeFrameAfter(int frame) const
{
    return frame + m_distance;
}

} // namespace Commands

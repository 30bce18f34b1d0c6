// The pen and eraser stroke: guide points in drawing coordinates go to the
// scene, which grows the stroke; the finished stroke becomes an undoable
// edit. On the virtual last frame a blank drawing is made first, so the
// stroke lands on a new drawing at the frame the user sees.
#include "canvas/PaperPrivate.h"

#include "canvas/PaperPointer.h"
#include "commands/AddBlankDrawing.h"
#include "commands/Stroke.h"
#include "models/FrameRangeModel.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "strokes/SingleStroke.h"

namespace UI {

Model::Stroke::GuidePoint Paper::PaperPrivate::guidePoint(const PaperPointer& p) const
{
    Model::Stroke::GuidePoint guide;
    guide.position = full.map(p.position);
    guide.pressure = p.pressure;
    guide.time = p.timestamp;
    return guide;
}

void Paper::PaperPrivate::addBlankDrawingOnVirtualFrame()
{
    Model::KWScene* current = Model::KWScene::currentKWScene();
    if (!scene || !current || !scene->isVirtualLastFrame())
        return;
    QAbstractProxyModel* range = current->frameRangeModel();
    const QModelIndex shown = range->mapFromSource(current->currentIndex());
    const QModelIndex before = range->mapToSource(range->index(shown.row() - 1, shown.column()));
    Model::KWScene::pushToCurrentScenesUndoStack(
        new Commands::AddBlankDrawing(current, before, nullptr));
}

void Paper::PaperPrivate::beginStroke(const PaperPointer& p, const QPointF& anchor)
{
    addBlankDrawingOnVirtualFrame();
    // The hover sample before the last one gives the stroke its start
    // direction; a pen that never hovered has none.
    if (anchor.isNull())
        scene->beginStroke(guidePoint(p));
    else
        scene->beginStroke(guidePoint(p), full.map(anchor));
}

void Paper::PaperPrivate::addStrokePoint(const PaperPointer& p)
{
    scene->addStrokePoint(guidePoint(p));
}

void Paper::PaperPrivate::finishStroke()
{
    Model::KWScene* current = Model::KWScene::currentKWScene();
    if (!current || !scene)
        return;
    std::unique_ptr<Model::SingleStroke> stroke = scene->endStroke();
    if (!stroke)
        return;
    Model::KWScene::pushToCurrentScenesUndoStack(
        new Commands::Stroke(current, current->currentIndex(), std::move(stroke), nullptr));
}

} // namespace UI

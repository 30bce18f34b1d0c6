// The undo commands the exposure sheet pushes. Each goes on the current
// scene's stack.
#include "xsheet/XSheetPrivate.h"

#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QUndoCommand>

#if __has_include("commands/MoveLayer.h")
#include "commands/MoveLayer.h"
#define HAVE_MOVE_LAYER 1
#endif
#if __has_include("commands/ChangeLayerColor.h")
#include "commands/ChangeLayerColor.h"
#define HAVE_CHANGE_LAYER_COLOR 1
#endif
#if __has_include("commands/SlideOriginalDrawing.h")
#include "commands/SlideOriginalDrawing.h"
#define HAVE_SLIDE 1
#endif
#if __has_include("commands/AddCloneDrawings.h")
#include "commands/AddCloneDrawings.h"
#define HAVE_ADD_CLONES 1
#endif
#if __has_include("commands/DiscardCloneDrawings.h")
#include "commands/DiscardCloneDrawings.h"
#define HAVE_DISCARD_CLONES 1
#endif
#if __has_include("commands/SetAudioOffset.h")
#include "commands/SetAudioOffset.h"
#define HAVE_SET_AUDIO_OFFSET 1
#endif
#if __has_include("commands/SetLayerBeyondLast.h")
#include "commands/SetLayerBeyondLast.h"
#define HAVE_SET_BEYOND_LAST 1
#endif
#if __has_include("commands/AddAnnotation.h")
#include "commands/AddAnnotation.h"
#define HAVE_ADD_ANNOTATION 1
#endif

namespace UI {

namespace {

Model::Scene* currentScene()
{
    Model::KWScene* const current = Model::KWScene::currentKWScene();
    return current ? current->scene() : nullptr;
}

} // namespace

void XSheet::XSheetPrivate::pushMoveLayer(int layer, int from, int to)
{
#ifdef HAVE_MOVE_LAYER
    if (Model::Scene* const scene = currentScene())
        Model::KWScene::pushToCurrentScenesUndoStack(new Commands::MoveLayer(scene, layer, from, to));
#endif
}

void XSheet::XSheetPrivate::pushChangeLayerColor(int layer, QColor const& color)
{
#ifdef HAVE_CHANGE_LAYER_COLOR
    if (Model::Scene* const scene = currentScene())
        Model::KWScene::pushToCurrentScenesUndoStack(new Commands::ChangeLayerColor(scene, layer, color));
#endif
}

void XSheet::XSheetPrivate::pushSlideOriginalDrawing(int distance, int smallest, int largest)
{
#ifdef HAVE_SLIDE
    if (Model::Scene* const scene = currentScene())
        Model::KWScene::pushToCurrentScenesUndoStack(
            new Commands::SlideOriginalDrawing(scene, distance, smallest, largest));
#endif
}

void XSheet::XSheetPrivate::pushAddCloneDrawings(int count)
{
#ifdef HAVE_ADD_CLONES
    if (Model::KWScene* const current = Model::KWScene::currentKWScene())
        Model::KWScene::pushToCurrentScenesUndoStack(
            new Commands::AddCloneDrawings(current, current->currentIndex(), count));
#endif
}

void XSheet::XSheetPrivate::pushDiscardCloneDrawings(int count)
{
#ifdef HAVE_DISCARD_CLONES
    if (Model::Scene* const scene = currentScene())
        Model::KWScene::pushToCurrentScenesUndoStack(new Commands::DiscardCloneDrawings(scene, count));
#endif
}

void XSheet::XSheetPrivate::pushSetAudioOffset(double offsetFrames)
{
#ifdef HAVE_SET_AUDIO_OFFSET
    if (Model::Scene* const scene = currentScene())
        Model::KWScene::pushToCurrentScenesUndoStack(new Commands::SetAudioOffset(scene, offsetFrames));
#endif
}

void XSheet::XSheetPrivate::pushSetLayerBeyondLast(int layer, int mode)
{
#ifdef HAVE_SET_BEYOND_LAST
    if (Model::Scene* const scene = currentScene())
        Model::KWScene::pushToCurrentScenesUndoStack(new Commands::SetLayerBeyondLast(
            scene, layer, Model::Layer::LayerBeyondLast(mode)));
#endif
}

void XSheet::XSheetPrivate::pushAddAnnotations(QList<std::pair<int, QImage>> const& images,
                                               bool severalRows)
{
#ifdef HAVE_ADD_ANNOTATION
    Model::KWScene* const current = Model::KWScene::currentKWScene();
    if (!current || !current->sceneModel() || images.isEmpty())
        return;
    Model::SceneModel* const scene = current->sceneModel();
    if (!severalRows) {
        auto const& [row, image] = images.first();
        Model::KWScene::pushToCurrentScenesUndoStack(
            new Commands::AddAnnotation(current, scene->index(row, annotationColumn), image));
        return;
    }
    auto* const group = new QUndoCommand(QObject::tr("Add Annotations", "Commands"));
    for (auto const& [row, image] : images)
        new Commands::AddAnnotation(current, scene->index(row, annotationColumn), image, group);
    Model::KWScene::pushToCurrentScenesUndoStack(group);
#endif
}

} // namespace UI

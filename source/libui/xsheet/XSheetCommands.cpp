#include "xsheet/XSheetCommands.h"

#include "audio/AudioLayer.h"
#include "commands/AddAnnotation.h"
#include "commands/AddCloneDrawings.h"
#include "commands/ChangeLayerColor.h"
#include "commands/DiscardCloneDrawings.h"
#include "commands/MoveLayer.h"
#include "commands/SetAudioOffset.h"
#include "commands/SetLayerBeyondLast.h"
#include "commands/SetLayerLinked.h"
#include "commands/SetLayerVisible.h"
#include "commands/SlideOriginalDrawing.h"
#include "models/SceneModel.h"
#include "prompts/Prompter.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QObject>
#include <QUndoCommand>

namespace UI::XSheetCommands {

namespace {

Model::Scene* currentScene()
{
    Model::KWScene* const current = Model::KWScene::currentKWScene();
    return current ? current->scene() : nullptr;
}

void push(QUndoCommand* command)
{
    Model::KWScene::pushToCurrentScenesUndoStack(command);
}

} // namespace

void moveLayer(int layer, int from, int to)
{
    if (Model::Scene* const scene = currentScene())
        push(new Commands::MoveLayer(scene, layer, from, to));
}

void changeLayerColor(int layer, QColor const& color)
{
    if (Model::Scene* const scene = currentScene())
        push(new Commands::ChangeLayerColor(scene, layer, color));
}

void setLayerLinked(int layer, bool linked)
{
    if (Model::KWScene* const current = Model::KWScene::currentKWScene())
        push(new Commands::SetLayerLinked(current->sceneModel(), layer, linked));
}

void setLayerVisible(int layer, bool visible)
{
    if (Model::KWScene* const current = Model::KWScene::currentKWScene())
        push(new Commands::SetLayerVisible(current->sceneModel(), layer, visible));
}

void setLayerBeyondLast(int layer, int mode)
{
    if (Model::Scene* const scene = currentScene())
        push(new Commands::SetLayerBeyondLast(scene, layer, Model::Layer::LayerBeyondLast(mode)));
}

void slideOriginalDrawing(int distance, int smallest,
                          int largest)
{
    if (Model::Scene* const scene = currentScene())
        push(new Commands::SlideOriginalDrawing(scene, distance, smallest, largest));
}

void addCloneDrawings(int count)
{
    if (Model::KWScene* const current = Model::KWScene::currentKWScene())
        push(new Commands::AddCloneDrawings(current, current->currentIndex(), count));
}

void discardCloneDrawings(int count)
{
    if (Model::Scene* const scene = currentScene())
        push(new Commands::DiscardCloneDrawings(scene, count));
}

void setAudioOffset(double offsetFrames)
{
    if (Model::Scene* const scene = currentScene())
        push(new Commands::SetAudioOffset(scene, offsetFrames));
}

void askForAudioOffset(QWidget* parent, double offsetFrames)
{
    Model::Scene const* const scene = currentScene();
    if (!scene || !scene->isAudioAvailable())
        return;
    // Bounded: the offset becomes a frame number later.
    double const bound = Model::AudioLayer::MaximumOffsetFrames;
    bool ok = false;
    double const value = Model::Prompter::getDouble(
        parent, QObject::tr("Audio Offset", "UI::XSheetHeader"),
        QObject::tr("Offset (in number of frames):", "UI::XSheetHeader"), offsetFrames, -bound, bound, 2,
        &ok, 1.0);
    if (ok)
        setAudioOffset(value);
}

void addAnnotations(int column, QList<std::pair<int, QImage>> const& images,
                    bool severalRows)
{
    Model::KWScene* const current = Model::KWScene::currentKWScene();
    if (!current || !current->sceneModel() || images.isEmpty())
        return;
    Model::SceneModel* const model = current->sceneModel();
    if (!severalRows) {
        auto const& [row, image] = images.first();
        push(new Commands::AddAnnotation(current, model->index(row, column), image));
        return;
    }
    auto* const group = new QUndoCommand(QObject::tr("Add Annotations", "Commands"));
    for (auto const& [row, image] : images)
        new Commands::AddAnnotation(current, model->index(row, column), image, group);
    push(group);
}

} // namespace UI::XSheetCommands

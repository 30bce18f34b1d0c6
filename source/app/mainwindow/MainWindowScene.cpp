// Switching the current scene, and the window's requests that move the
// active frame, layer and frame range.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "autosave/AutosaveManager.h"
#include "canvas/Paper.h"
#include "canvas/ReferenceDisplay.h"
#include "commands/SetActiveFrameAndLayer.h"
#include "commands/SetFrameRange.h"
#include "commands/Stroke.h"
#include "dialogs/CustomizeBacklightDialog.h"
#include "models/FrameRangeModel.h"
#include "playback/PlaybackController.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "strokes/FloatingSelection.h"
#include "strokes/SingleStroke.h"
#include "timeline/Timeline.h"
#include "tools/ToolManager.h"
#include "xsheet/OpacitySlider.h"
#include "xsheet/XSheet.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QSignalBlocker>
#include <QUndoGroup>
#include <QUndoStack>

#include <algorithm>
#include <limits>

namespace {

// Merge identities of the commands whose runs the window remembers values for.
constexpr int setActiveFrameAndLayerId = 1;
constexpr int setFrameRangeId = 2;

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

} // namespace

Model::Scene* MainWindow::quillmereScene() const
{
    Model::KWScene* bundle = Model::KWScene::currentKWScene();
    return bundle ? bundle->scene() : nullptr;
}

Model::KWScene* MainWindow::KWScene() const
{
    return Model::KWScene::currentKWScene();
}

void MainWindow::disconnectKWScene(Model::KWScene* bundle)
{
    bundle->disconnectSavedConnections();
    Model::Scene* scene = bundle->scene();
    UI::Paper* paper = ui->scrollAreaWidgetContents;
    disconnect(scene, nullptr, this, nullptr);
    disconnect(bundle, nullptr, this, nullptr);
    disconnect(scene, nullptr, paper, nullptr);
    disconnect(paper, nullptr, scene, nullptr);
    disconnect(scene, nullptr, ui->timeline, nullptr);
    disconnect(ui->timeline, nullptr, scene, nullptr);
    disconnect(scene, nullptr, m_playbackController, nullptr);
    disconnect(m_playbackController, nullptr, scene, nullptr);
    if (d->opacitySlider)
        disconnect(scene, nullptr, d->opacitySlider, nullptr);
    m_undoGroup->removeStack(scene->undoStack());
    disconnect(scene->undoStack(), nullptr, nullptr, nullptr);
    paper->setCurrentScene(nullptr);
    if (d->referenceDisplay)
        d->referenceDisplay->setCurrentScene(nullptr);
    disconnect(bundle->selectionModel(), nullptr, this, nullptr);
    disconnect(bundle->frameRangeModel(), nullptr, this, nullptr);
}

void MainWindow::setKWScene(Model::KWScene* kwscene)
{
    // Every switch leaves the draw or erase tool selected.
    Model::ToolManager* tools = Model::ToolManager::instance();
    const Model::Tool::Type drawing = tools->lastDrawingToolType();
    const Model::Tool::State state = calcToolState(drawing);
    if (tools->currentToolType() != drawing || tools->currentToolState() != state)
        tools->setCurrentTool(drawing, state);

    if (Model::KWScene* old = Model::KWScene::currentKWScene())
        disconnectKWScene(old);

    Model::KWScene::setCurrentKWScene(kwscene);
    if (kwscene) {
        connectSceneViews(kwscene);
        connectSceneToWindow(kwscene);
        actualizeTitlebar();
        updateAudioActions();
    }
    onClipboardChanged(QClipboard::Clipboard);
    if (kwscene)
        restoreLastPrimaryToolIfNeeded();
}

void MainWindow::connectSceneViews(Model::KWScene* kwscene)
{
    Model::Scene* scene = kwscene->scene();
    Model::Settings* settings = Model::Settings::instance();
    Model::OffscreenRenderer* renderer = Model::OffscreenRenderer::instance();
    UI::Paper* paper = ui->scrollAreaWidgetContents;
    UI::Timeline* timeline = ui->timeline;

    // Frame size: the buffers follow the scene before its drawings are resized.
    settings->setDefaultFrameSize(scene->frameSize());
    settings->setDefaultFrameRate(scene->frameRate());
    renderer->prepareFor(scene->frameSize());
    connect(scene, &Model::Scene::frameSizeAboutToChange, this,
            [renderer](QSize size) { renderer->prepareFor(size); });
    paper->setCurrentScene(kwscene);
    connect(scene, &Model::Scene::frameSizeChanged, this, [this](QSize size) {
        Model::Settings::instance()->setDefaultFrameSize(size);
        actualizeTitlebar();
    });
    if (d->referenceDisplay)
        d->referenceDisplay->setCurrentScene(kwscene);

    if (d->backlightDialog && d->backlightDialog->isVisible())
        scene->setBacklightSettings(d->backlightDialog->backlightSettings());

    // Timeline
    connect(scene, &Model::Scene::frameRangeChanged, timeline, &UI::Timeline::setRange);
    connect(scene, &Model::Scene::maximumFrameNumberChanged, timeline,
            [timeline, scene](int n) { timeline->setRangeLimits(scene->minimumFrameNumber(), n); });
    connect(scene, &Model::Scene::activeFrameAndLayerChanged, timeline,
            [timeline](int frame, int) { timeline->setValue(frame); });
    connect(scene, &Model::Scene::scrubFrameChanged, timeline, [timeline](int frame, int) {
        if (frame != -1)
            timeline->setSliderPosition(frame);
    });
    {
        const QSignalBlocker blocker(timeline);
        timeline->setRangeLimits(scene->minimumFrameNumber(), scene->maximumFrameNumber());
        timeline->setRange(scene->minimumFrameRangeNumber(), scene->maximumFrameRangeNumber());
        timeline->setValue(scene->activeFrame());
    }

    // Undo
    QUndoStack* stack = scene->undoStack();
    m_undoGroup->addStack(stack);
    m_undoGroup->setActiveStack(stack);
    connect(stack, &QUndoStack::indexChanged, this, &MainWindow::onUndoIndexChanged);
    connect(stack, &QUndoStack::cleanChanged, this, [this] { actualizeTitlebar(); });

    // X-sheet
    const bool animated = d->xsheet->verticalScrollAnimationEnabled();
    d->xsheet->setEnableVerticalScrollAnimation(false);
    d->xsheet->setModel(kwscene->frameRangeModel());
    d->xsheet->setSelectionModel(kwscene->selectionModel());
    d->xsheet->setEnableVerticalScrollAnimation(animated);
    connect(kwscene->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::onCurrentCellChanged);
}

void MainWindow::connectSceneToWindow(Model::KWScene* kwscene)
{
    Model::Scene* scene = kwscene->scene();

    connect(scene, &Model::Scene::layerColorChanged, this, [this, scene](int layer, QColor const& color) {
        Model::KWScene* bundle = KWScene();
        if (layer == scene->activeLayerIdx() && bundle && bundle->floatingSelection())
            bundle->floatingSelection()->updateColor(color);
        if (d->opacitySlider && d->opacitySlider->isVisible() && d->opacitySlider->layerIdx() == layer)
            d->opacitySlider->setColor(color);
    });
    connect(scene, &Model::Scene::layerOpacityChanged, this, [this, scene](int layer, double opacity) {
        Model::KWScene* bundle = KWScene();
        if (layer == scene->activeLayerIdx() && bundle && bundle->floatingSelection())
            bundle->floatingSelection()->setOpacity(opacity);
        if (d->opacitySlider && d->opacitySlider->isVisible() && d->opacitySlider->layerIdx() == layer)
            d->opacitySlider->setOpacity(opacity);
    });

    // While cells are dragged the label tells the frame they would land on.
    connect(kwscene->frameRangeModel(), &Model::FrameRangeModel::dragDistanceChanged, this,
            [this, scene](int distance) {
                const qint64 target = qint64(scene->activeFrame()) + distance;
                if (d->frameNumberLabel && target != 0 && target <= std::numeric_limits<int>::max()
                    && target >= std::numeric_limits<int>::min())
                    d->frameNumberLabel->setText(QString::number(target));
            });

    // Frame rate
    auto applyFrameRate = [this](double rate) {
        Model::Settings::instance()->setDefaultFrameRate(rate);
        updateFramerateActions(rate);
        m_playbackController->setFrameRate(rate);
    };
    applyFrameRate(scene->frameRate());
    connect(scene, &Model::Scene::frameRateChanged, this, applyFrameRate);

    // Playback
    m_playbackController->setFrameRange(scene->minimumFrameRangeNumber(), scene->maximumFrameRangeNumber());
    connect(scene, &Model::Scene::frameRangeChanged, m_playbackController,
            &PlaybackController::setFrameRange);
    connect(scene, &Model::Scene::activeFrameAndLayerChanged, m_playbackController,
            [this](int frame, int) { m_playbackController->setActiveFrame(frame); });
    connect(m_playbackController, &PlaybackController::showFrame, scene, &Model::Scene::setScrubFrame);
    kwscene->saveConnection(connect(m_playbackController, &PlaybackController::updateActiveFrame, this,
                                    &MainWindow::settleOnFrame));
    kwscene->saveConnection(connect(m_playbackController, &PlaybackController::audioPlaybackChanged,
                                    scene, [scene](bool on, int frame) {
                                        if (on)
                                            scene->startAudioPlayback(frame);
                                        else
                                            scene->stopAudioPlayback();
                                    }));
    m_playbackController->setActiveFrame(scene->activeFrame());

    // Pen size steps would change a stroke under way.
    auto updatePenSizeActions = [](bool strokeActive) {
        action(KW::Action::DecreasePenSize)->setEnabled(!strokeActive);
        action(KW::Action::IncreasePenSize)->setEnabled(!strokeActive);
    };
    updatePenSizeActions(scene->hasActiveStroke());
    connect(scene, &Model::Scene::hasActiveStrokeChanged, this, updatePenSizeActions);

    connect(scene, &Model::Scene::activeFrameAndLayerChanged, this, [this] {
        refreshToolState();
        onClipboardChanged(QClipboard::Clipboard);
    });
    connect(scene, &Model::Scene::layersChanged, this, [this, scene](int first, int last) {
        const int active = scene->activeLayerIdx();
        if (active >= first && active <= last)
            refreshToolState();
        const int audio = scene->audioLayerIdx();
        if (audio >= first && audio <= last)
            updateAudioActions();
    });
    auto layersRearranged = [this] {
        ui->centralwidget->setFocus(Qt::OtherFocusReason);
        updateLayerActions();
    };
    connect(scene, &Model::Scene::beginRemoveLayer, this, layersRearranged);
    connect(scene, &Model::Scene::beginInsertLayer, this, layersRearranged);
    connect(scene, &Model::Scene::layerMoved, this, layersRearranged);
    connect(scene, &Model::Scene::nameChanged, this, [this] { actualizeTitlebar(); });

    // The frame number in the controls bar: the active frame or the frame
    // scrubbed to.
    updateFrameNumberLabel(scene->activeFrame(), false);
    connect(scene, &Model::Scene::activeFrameAndLayerChanged, this,
            [this](int frame, int) { updateFrameNumberLabel(frame, false); });
    connect(scene, &Model::Scene::scrubFrameChanged, this,
            [this](int frame, int previous) { updateFrameNumberLabel(frame, previous != 0); });

    // The edit actions speak of the selected drawings; the tool follows
    // what the active cell allows.
    connect(kwscene->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::onSelectionChanged);
    onSelectionChanged();
    connect(kwscene, &Model::KWScene::floatingSelectionChanged, this,
            &MainWindow::onFloatingSelectionChanged);
    onFloatingSelectionChanged();
    connect(scene, &Model::Scene::currentDrawingTypeUpdated, this,
            &MainWindow::restoreLastPrimaryToolIfNeeded);

    // The layer actions' check marks follow the active layer.
    connect(scene, &Model::Scene::activeFrameAndLayerChanged, this, &MainWindow::updateLayerActions);
    updateLayerActions();
}

void MainWindow::refreshToolState()
{
    Model::ToolManager* tools = Model::ToolManager::instance();
    if (calcToolState(tools->currentToolType()) != tools->currentToolState())
        updateCurrentToolState();
}

void MainWindow::onUndoIndexChanged(int index)
{
    Model::Scene* scene = quillmereScene();
    const QUndoCommand* newest = scene && index > 0 ? scene->undoStack()->command(index - 1) : nullptr;
    if (!newest || newest->id() != setActiveFrameAndLayerId)
        d->rememberedFrame = -1;
    if (!newest || newest->id() != setFrameRangeId) {
        d->rangeEditFrame = -1;
        d->rangeEditLayer = -1;
    }
    if (d->autosaveManager) {
        d->autosaveManager->setChanged();
        d->timeOfLastEdit = d->autosaveManager->currentSecsSinceEpoch();
    }
}

void MainWindow::onCurrentCellChanged(const QModelIndex& current, const QModelIndex& previous)
{
    Model::KWScene* bundle = KWScene();
    if (!bundle)
        return;
    Model::Scene* scene = bundle->scene();
    const QModelIndex cell = bundle->frameRangeModel()->mapToSource(current);
    if (cell.isValid() && cell.row() >= 0 && cell.column() >= 0)
        setActiveFrameAndLayer(cell.row() + 1, cell.column(), Model::Scene::AcceptVirtualLastFrame);

    Model::FloatingSelection* floating = bundle->floatingSelection();
    if (floating && current.column() != previous.column()) {
        const int layer = cell.column();
        const QColor color = scene->layerColor(layer);
        floating->updateColor(color.isValid() ? color : QColor(44, 125, 45, 128));
        floating->setOpacity(scene->isVisualLayer(layer) ? scene->layerOpacity(layer) : 1.0);
    }
}

void MainWindow::setActiveFrameAndLayer(int frame, int layer, Model::Scene::SetFrameBehaviour behaviour)
{
    Model::KWScene* bundle = KWScene();
    if (!bundle)
        return;
    Model::Scene* scene = bundle->scene();
    const int rangeStart = scene->minimumFrameRangeNumber();
    if (!scene->isVirtualLastFrame(layer, frame))
        frame = std::clamp(frame, rangeStart, std::max(rangeStart, scene->maximumFrameRangeNumber()));
    layer = std::clamp(layer, 0, std::max(0, scene->numLayers() - 1));
    const int limit = behaviour != Model::Scene::AcceptVirtualLastFrame ? scene->layerLength(layer)
                                                                          : scene->virtualLayerLength(layer);
    frame = std::max(rangeStart, std::min(limit, frame));

    if (frame == scene->activeFrame() && layer == scene->activeLayerIdx()) {
        scene->setScrubFrame(-1);
        return;
    }
    if (frame != scene->activeFrame())
        action(KW::Action::OffPegs)->setChecked(false);
    if (layer == scene->activeLayerIdx())
        d->rememberedFrame = frame;

    QUndoStack* stack = scene->undoStack();
    if (scene->activeStroke()) {
        // The stroke ends on the old frame as one undoable stroke and goes on,
        // without a break, from the same pen position on the new frame.
        Model::Stroke::GuidePoint guide = scene->activeStroke()->lastGuidePoint();
        const QModelIndex index = bundle->currentIndex();
        stack->push(new Commands::Stroke(bundle, index, scene->endStroke()));
        stack->push(new Commands::SetActiveFrameAndLayer(scene, frame, layer, d->rememberedFrame,
                                                         Model::Scene::AcceptVirtualLastFrame));
        // Not on a cell the tool may not draw on: the release would leave
        // that stroke open.
        if (Model::ToolManager::instance()->currentToolState() == Model::Tool::Usable)
            scene->beginStroke(std::move(guide));
        return;
    }
    stack->push(new Commands::SetActiveFrameAndLayer(scene, frame, layer, d->rememberedFrame,
                                                     Model::Scene::AcceptVirtualLastFrame));
}

void MainWindow::setActiveFrame(int frame)
{
    if (Model::Scene* scene = quillmereScene())
        setActiveFrameAndLayer(frame, scene->activeLayerIdx(), Model::Scene::AcceptVirtualLastFrame);
}

void MainWindow::setActiveLayer(int layer)
{
    Model::Scene* scene = quillmereScene();
    if (!scene || layer == scene->activeLayerIdx())
        return;
    if (d->rememberedFrame == -1)
        d->rememberedFrame = scene->activeFrame();
    setActiveFrameAndLayer(d->rememberedFrame, layer, Model::Scene::KeepWithinDrawnFrames);
}

void MainWindow::setFrameRange(int first, int last)
{
    Model::Scene* scene = quillmereScene();
    if (scene && d->rangeEditFrame == -1)
        d->rangeEditFrame = scene->activeFrame();
    if (scene && d->rangeEditLayer == -1)
        d->rangeEditLayer = scene->activeLayerIdx();
    if (!scene)
        return;
    const int minimum = scene->minimumFrameNumber();
    const int maximum = scene->maximumFrameNumber();
    first = std::clamp(first, minimum, maximum);
    last = std::clamp(last, minimum, maximum);
    if (first > last)
        return;
    if (first == last) {
        // A range spans at least two frames, unless the scene has only one.
        if (minimum == maximum) {
        } else if (first != minimum && first != scene->minimumFrameRangeNumber()) {
            first = first - 1;
        } else {
            last = first + 1;
        }
    }
    if (first == scene->minimumFrameRangeNumber() && last == scene->maximumFrameRangeNumber())
        return;
    scene->undoStack()->push(
        new Commands::SetFrameRange(scene, first, last, d->rangeEditFrame, d->rangeEditLayer));
}

// Moving through the scene: frame stepping and skipping, the frame range,
// the frame rate and sound, the timeline, and the frame number shown in the
// controls bar.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/ControlsBarToolButton.h"
#include "commands/DiscardLayer.h"
#include "commands/SetFrameRate.h"
#include "mainwindow/FrameRateDialog.h"
#include "models/FrameRangeModel.h"
#include "playback/PlaybackController.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "timeline/Timeline.h"
#include "xsheet/XSheet.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTimer>
#include <QUndoStack>

#include <algorithm>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

// Lost frames tint the frame number this long.
constexpr int LostFrameFlashMs = 200;

// The last frame stepping reaches on the active layer: its last drawing, or
// the range end when the layer runs past it.
int lastSteppingFrame(const Model::Scene* scene)
{
    return std::min(scene->layerLength(scene->activeLayerIdx()), scene->maximumFrameRangeNumber());
}

void setLabelColor(QLabel* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::All, QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

int MainWindow::findFrame(bool forward, const std::function<bool(int, int)>& accept) const
{
    Model::Scene* scene = quillmereScene();
    const int layer = scene->activeLayerIdx();
    const int a = scene->activeFrame();
    const int lo = scene->minimumFrameRangeNumber();
    const int hi = lastSteppingFrame(scene);
    if (forward) {
        for (int f = a + 1; f <= hi; ++f)
            if (accept(layer, f))
                return f;
        for (int f = lo; f <= hi; ++f)
            if (accept(layer, f))
                return f;
    } else {
        const int start = scene->isVirtualLastFrame(layer, a) ? hi : a - 1;
        for (int f = start; f >= lo; --f)
            if (accept(layer, f))
                return f;
        for (int f = hi; f >= lo; --f)
            if (accept(layer, f))
                return f;
    }
    return a;
}

void MainWindow::stepToFrame(int frame)
{
    Model::Scene* scene = quillmereScene();
    const int layer = scene->activeLayerIdx();
    const int lo = scene->minimumFrameRangeNumber();
    const int hi = lastSteppingFrame(scene);
    if (frame != scene->activeFrame() && frame >= lo && frame <= hi)
        setActiveFrameAndLayer(frame, layer, Model::Scene::AcceptVirtualLastFrame);
}

void MainWindow::onActionStepBack()
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    const int layer = scene->activeLayerIdx();
    const int a = scene->activeFrame();
    const int hi = lastSteppingFrame(scene);
    int t = scene->isVirtualLastFrame(layer, a) ? hi : a - 1;
    if (t < scene->minimumFrameRangeNumber())
        t = hi;
    stepToFrame(t);
}

void MainWindow::onActionStepForward()
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    const int a = scene->activeFrame();
    const int hi = lastSteppingFrame(scene);
    stepToFrame(a >= hi ? scene->minimumFrameRangeNumber() : a + 1);
}

void MainWindow::onActionStepBackSkippingLocalClones()
{
    if (Model::Scene* scene = quillmereScene())
        stepToFrame(findFrame(false, [scene](int l, int f) { return !scene->isHoldFrame(l, f); }));
}

void MainWindow::onActionStepForwardSkippingLocalClones()
{
    if (Model::Scene* scene = quillmereScene())
        stepToFrame(findFrame(true, [scene](int l, int f) { return !scene->isHoldFrame(l, f); }));
}

void MainWindow::onActionSkipBackToKeyDrawing()
{
    if (Model::Scene* scene = quillmereScene())
        stepToFrame(findFrame(false, [scene](int l, int f) { return scene->isKeyDrawing(l, f); }));
}

void MainWindow::onActionSkipForwardToKeyDrawing()
{
    if (Model::Scene* scene = quillmereScene())
        stepToFrame(findFrame(true, [scene](int l, int f) { return scene->isKeyDrawing(l, f); }));
}

void MainWindow::onActionJumpToStart()
{
    if (Model::Scene* scene = quillmereScene())
        setActiveFrameAndLayer(scene->minimumFrameRangeNumber(), scene->activeLayerIdx(),
                               Model::Scene::AcceptVirtualLastFrame);
}

void MainWindow::onActionJumpToEnd()
{
    if (Model::Scene* scene = quillmereScene()) {
        const int layer = scene->activeLayerIdx();
        setActiveFrameAndLayer(scene->virtualLayerLength(layer), layer,
                               Model::Scene::AcceptVirtualLastFrame);
    }
}

void MainWindow::onActionRangeStartStepBack()
{
    if (Model::Scene* s = quillmereScene())
        setFrameRange(s->minimumFrameRangeNumber() - 1, s->maximumFrameRangeNumber());
}

void MainWindow::onActionRangeStartStepForward()
{
    if (Model::Scene* s = quillmereScene())
        setFrameRange(s->minimumFrameRangeNumber() + 1, s->maximumFrameRangeNumber());
}

void MainWindow::onActionRangeEndStepBack()
{
    if (Model::Scene* s = quillmereScene())
        setFrameRange(s->minimumFrameRangeNumber(), s->maximumFrameRangeNumber() - 1);
}

void MainWindow::onActionRangeEndStepForward()
{
    if (Model::Scene* s = quillmereScene())
        setFrameRange(s->minimumFrameRangeNumber(), s->maximumFrameRangeNumber() + 1);
}

void MainWindow::onActionRangeStartToFirstFrame()
{
    if (Model::Scene* s = quillmereScene())
        setFrameRange(s->minimumFrameNumber(), s->maximumFrameRangeNumber());
}

void MainWindow::onActionRangeEndToLastFrame()
{
    if (Model::Scene* s = quillmereScene())
        setFrameRange(s->minimumFrameRangeNumber(), s->maximumFrameNumber());
}

void MainWindow::onActionFrameRate(double fps)
{
    updateFramerateActions(fps);
    if (Model::Scene* scene = quillmereScene())
        scene->undoStack()->push(new Commands::SetFrameRate(KWScene(), fps));
}

void MainWindow::onActionFrameRateCustom()
{
    Model::Scene* scene = quillmereScene();
    const double current = scene ? scene->frameRate() : m_playbackController->frameRate();
    bool accepted = false;
    const double fps = FrameRateDialog::ask(this, current, &accepted);
    if (scene && accepted && !qFuzzyCompare(fps, current))
        onActionFrameRate(fps);
    else
        updateFramerateActions(current);
}

void MainWindow::onActionMuteAudio()
{
    if (Model::Scene* scene = quillmereScene())
        scene->setAudible(!scene->isAudible());
}

void MainWindow::onActionDiscardAudio()
{
    if (Model::Scene* scene = quillmereScene())
        scene->undoStack()->push(new Commands::DiscardLayer(scene, scene->audioLayerIdx()));
}

void MainWindow::onFramesLost()
{
    if (!m_playbackController->isPlaying() || !d->frameNumberLabel)
        return;
    if (!d->framesLostTimer) {
        d->framesLostTimer = new QTimer(this);
        d->framesLostTimer->setSingleShot(true);
        connect(d->framesLostTimer, &QTimer::timeout, this, [this] {
            if (d->frameNumberLabel)
                setLabelColor(d->frameNumberLabel, Qt::white);
        });
    }
    setLabelColor(d->frameNumberLabel, Qt::red);
    d->framesLostTimer->start(LostFrameFlashMs);
}

void MainWindow::onPlaybackChanged(bool playing)
{
    Model::ActionManager::instance()->setProfile(
        KW::Action::Play, playing ? Model::ActionManager::Alternative : Model::ActionManager::Default);
    if (d->playbackButton) {
        d->playbackButton->setIcon(playing ? d->stopIcon : d->playIcon);
        d->playbackButton->setToolTip(action(KW::Action::Play)->toolTip());
    }
}

void MainWindow::settleOnFrame(int frame)
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    setActiveFrameAndLayer(frame, scene->activeLayerIdx(), Model::Scene::AcceptVirtualLastFrame);
    d->xsheet->scrollToRow(scene->activeFrame() - scene->minimumFrameRangeNumber());
}

void MainWindow::onStrokeAboutToBegin()
{
    Model::Scene* scene = quillmereScene();
    if (!scene || !m_playbackController->isPlaying())
        return;
    // The pen draws on the frame on screen: playback stops there and that
    // frame becomes the active one before the canvas begins the stroke. A
    // frame past the active layer's end cannot take a drawing; the canvas
    // then refuses the stroke and playback goes on.
    const int shown = scene->scrubFrame() > 0 ? scene->scrubFrame() : scene->activeFrame();
    if (shown > scene->virtualLayerLength(scene->activeLayerIdx()))
        return;
    m_playbackController->stopPlayback();
    settleOnFrame(shown);
}

void MainWindow::setupFrameNumberLabel()
{
    QLabel* label = d->frameNumberLabel;
    if (!label)
        return;
    QFont font(QStringLiteral("Lucida Sans Unicode"));
    font.setPointSize(int(21 * Model::Settings::instance()->UIScaleFraction()));
    label->setFont(font);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(QFontMetrics(font).horizontalAdvance(QStringLiteral("00000")));
}

void MainWindow::updateFrameNumberLabel(int frame, bool scrubbedOnward)
{
    Model::Scene* scene = quillmereScene();
    if (!scene || !d->frameNumberLabel || frame < 1)
        return;
    const int end = scene->maximumFrameRangeNumber();
    if (frame > end && !scrubbedOnward)
        frame = end + 1;
    d->frameNumberLabel->setText(QString::number(frame));
}

void MainWindow::onTimelineValueChanged(int value)
{
    Model::Scene* scene = quillmereScene();
    if (scene && !m_playbackController->isPlaying())
        setActiveFrameAndLayer(value, scene->activeLayerIdx(), Model::Scene::AcceptVirtualLastFrame);
}

void MainWindow::onTimelineSliderPressed()
{
    m_playbackController->pausePlayback();
}

void MainWindow::onTimelineSliderMoved(int frame)
{
    if (Model::Scene* scene = quillmereScene()) {
        scene->setScrubFrame(frame);
        d->xsheet->scrollToRow(frame - scene->minimumFrameRangeNumber());
    }
}

void MainWindow::onTimelineSliderDragged(int frame)
{
    if (Model::Scene* scene = quillmereScene()) {
        scene->startScrubbing();
        scene->setScrubFrame(frame);
        d->xsheet->scrollToRow(frame - scene->minimumFrameRangeNumber());
    }
}

void MainWindow::onTimelineSliderReleased(int frame)
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    scene->setScrubFrame(-1);
    scene->stopScrubbing();
    if (!m_playbackController->unPausePlayback(frame))
        ui->timeline->setValue(scene->activeFrame());
}

void MainWindow::onShiftLeft()
{
    extendSelectionTo(-1);
}

void MainWindow::onShiftRight()
{
    extendSelectionTo(1);
}

void MainWindow::extendSelectionTo(int step)
{
    Model::KWScene* bundle = KWScene();
    Model::Scene* scene = quillmereScene();
    if (!bundle || !scene)
        return;
    QItemSelectionModel* selection = bundle->selectionModel();
    const QModelIndex old = selection->currentIndex();
    const int layer = scene->activeLayerIdx();
    setActiveFrameAndLayer(scene->activeFrame() + step, layer, Model::Scene::AcceptVirtualLastFrame);

    // The frame-range model's rows count from the range start.
    Model::FrameRangeModel* rows = bundle->frameRangeModel();
    const QModelIndex now = rows->index(scene->activeFrame() - scene->minimumFrameRangeNumber(),
                                        scene->activeLayerIdx());
    if (!now.isValid())
        return;
    QModelIndex anchor = old;
    const QItemSelection current = selection->selection();
    if (current.size() == 1) {
        const QItemSelectionRange& range = current.first();
        // The end of the range away from the cell that moves stays put.
        anchor = now.row() >= range.top() + (range.height() - 1) / 2.0
                     ? rows->index(range.top(), range.left())
                     : rows->index(range.bottom(), range.left());
    }
    if (!anchor.isValid())
        anchor = now;
    selection->select(QItemSelection(anchor, now), QItemSelectionModel::ClearAndSelect);
}

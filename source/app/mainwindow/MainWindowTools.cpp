// Which tool is current, and what the canvas's finished gestures become: the
// tool actions' check marks follow the tool manager, and lassos, stamps,
// selection moves and off-pegs moves turn into undo commands.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "commands/AddBlankDrawing.h"
#include "commands/ChangeToolType.h"
#include "commands/ClearDrawingMakingBlank.h"
#include "commands/CollapseVectorData.h"
#include "commands/CutPath.h"
#include "commands/FloatingSelectionNew.h"
#include "commands/FloatingSelectionTransform.h"
#include "commands/OffPegs.h"
#include "commands/Stroke.h"
#include "dialogs/CollapseDialog.h"
#include "panels/SpeedDial.h"
#include "prompts/Prompter.h"
#include "scene/KWScene.h"
#include "models/SceneModel.h"
#include "settings/Settings.h"
#include "strokes/SingleStroke.h"
#include "tools/PenAdjustmentTool.h"
#include "tools/ScrubbingTool.h"
#include "tools/ToolManager.h"
#include "tools/ZPRTool.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPainter>
#include <QUndoCommand>
#include <QUndoStack>

namespace {

using Type = Model::Tool::Type;
using A = KW::Action;

QAction* action(A id)
{
    return Model::ActionManager::instance()->action(id);
}

Model::ToolManager* tools()
{
    return Model::ToolManager::instance();
}

Model::ScrubbingTool* scrubbingTool()
{
    return static_cast<Model::ScrubbingTool*>(tools()->tool(Type::Scrubbing));
}

Model::PenAdjustmentTool* penAdjustmentTool()
{
    return static_cast<Model::PenAdjustmentTool*>(tools()->tool(Type::PenAdjustment));
}

// The actions that show a tool as current; the pen and eraser also show
// their kind.
QList<QAction*> toolActions(Type type)
{
    static const A pens[] = {A::Pencil, A::Marker, A::Brush};
    static const A erasers[] = {A::KneadedEraser, A::RubberEraser, A::VinylEraser};
    switch (type) {
    case Type::Draw:
        return {action(A::Draw), action(pens[tools()->currentPenToolType()])};
    case Type::Erase:
        return {action(A::Erase), action(erasers[tools()->currentEraserToolType()])};
    case Type::Hand:
        return {action(A::Pan)};
    case Type::Zoom:
        return {action(A::Zoom)};
    case Type::Rotate:
        return {action(A::Rotate)};
    case Type::OffPegs:
        return {action(A::OffPegs)};
    case Type::Lasso:
        return {action(A::Lasso)};
    case Type::Cutter:
        return {action(A::Cutter)};
    case Type::FloatingSelection:
        return {action(A::FloatingSelection)};
    default:
        return {};
    }
}

// Pushes onto the scene's own stack, whichever stack the undo group shows.
void push(Model::Scene* scene, QUndoCommand* command)
{
    scene->undoStack()->push(command);
}

} // namespace

void MainWindow::connectToolRoutes()
{
    Model::ToolManager* manager = tools();
    connect(manager, &Model::ToolManager::currentToolTypeChanged, this,
            &MainWindow::onCurrentToolChanged);
    connect(Model::Settings::instance(), &Model::Settings::clonesLockedForDrawingChanged, this,
            &MainWindow::restoreLastPrimaryToolIfNeeded);

    UI::Paper* paper = ui->scrollAreaWidgetContents;
    connect(paper, &UI::Paper::lassoingCompleted, this, &MainWindow::completeLassoing);
    connect(paper, &UI::Paper::floatingSelectionTransformChanged, this,
            &MainWindow::setFloatingSelectionTransform);
    connect(paper, &UI::Paper::offPegsTransformChanged, this,
            &MainWindow::setOffPegsTransformation);
    connect(paper, &UI::Paper::rightButtonPressed, this, &MainWindow::onPaperRightButtonPressed);
    connect(paper, &UI::Paper::strokeAboutToBegin, this, &MainWindow::onStrokeAboutToBegin);
    connect(qApp, &QGuiApplication::focusObjectChanged, this, &MainWindow::onFocusObjectChanged);
}

void MainWindow::setMonotonicClock(std::function<qint64()> clock)
{
    d->monotonicClock = std::move(clock);
}

qint64 MainWindow::monotonicMs() const
{
    if (d->monotonicClock)
        return d->monotonicClock();
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

void MainWindow::selectTool(Model::Tool::Type type)
{
    const Model::Tool::State state = calcToolState(type);
    if (tools()->currentToolType() == type && tools()->currentToolState() == state)
        return;
    tools()->setCurrentTool(type, state);
}

void MainWindow::onActionDraw(bool checked)
{
    if (tools()->lastUndoToolType() == Type::FloatingSelection && quillmereScene())
        push(quillmereScene(), new Commands::ChangeToolType(KWScene(), Type::Draw));
    else
        processToolAction(Type::Draw, checked);
}

void MainWindow::onActionErase(bool checked)
{
    if (tools()->lastUndoToolType() == Type::FloatingSelection && quillmereScene())
        push(quillmereScene(), new Commands::ChangeToolType(KWScene(), Type::Erase));
    else
        processToolAction(Type::Erase, checked);
}

void MainWindow::processToolAction(Model::Tool::Type type, bool checked)
{
    const bool notCurrent = tools()->currentToolType() != type;
    const bool stateUnchanged = tools()->currentToolState() == calcToolState(type);
    if (notCurrent != checked && stateUnchanged)
        return;
    if (checked) {
        selectTool(type);
        return;
    }
    restoreLastPrimaryToolIfNeeded();
    // A primary tool switched off is its own last primary tool and stays:
    // its actions must say so.
    if (tools()->currentToolType() == type)
        checkToolActions(type, true);
}

void MainWindow::restoreLastPrimaryToolIfNeeded()
{
    for (A id : {A::Zoom, A::Pan, A::Rotate, A::OffPegs}) {
        QAction* a = action(id);
        if (a->isCheckable() && a->isChecked())
            return;
    }
    selectTool(tools()->lastPrimaryToolType());
}

void MainWindow::checkToolActions(Model::Tool::Type type, bool checked)
{
    for (QAction* a : toolActions(type))
        a->setChecked(checked);
    // The draw/erase group shows neither while another tool is in use.
    if (!checked && (type == Type::Draw || type == Type::Erase)
        && tools()->currentToolType() != Type::Draw && tools()->currentToolType() != Type::Erase)
        action(A::NonDrawingAction)->setChecked(true);
}

void MainWindow::onCurrentToolChanged(Model::Tool::Type newType, Model::Tool::Type previousType)
{
    const bool changed = newType != previousType;
    if (changed)
        endCurrentStroke();

    checkToolActions(newType, true);
    switch (newType) {
    case Type::ZPR:
        if (tools()->currentToolType() != Type::ZPR) {
            handZPRState();
            selectTool(Type::ZPR);
        }
        break;
    case Type::Scrubbing:
        scrubbingTool()->setStarted(false);
        // Scrubbing with the pen starts the scene's scrubbing only while
        // the scrubbing tool is in use.
        QObject::disconnect(d->scrubbingStartedConnection);
        d->scrubbingStartedConnection =
            connect(scrubbingTool(), &Model::ScrubbingTool::scrubbingStarted, this,
                    &MainWindow::startDelayedPointerScrubbing);
        break;
    case Type::PenAdjustment:
        penAdjustmentTool()->setDrawingTool(tools()->lastDrawingTool());
        break;
    default:
        break;
    }

    if (changed) {
        checkToolActions(previousType, false);
        switch (previousType) {
        case Type::ZPR:
            if (tools()->currentToolType() == Type::ZPR) {
                d->zprToolState.clear();
                handZPRState();
                processToolAction(Type::ZPR, false);
            }
            break;
        case Type::Scrubbing:
            QObject::disconnect(d->scrubbingStartedConnection);
            break;
        case Type::PenAdjustment: {
            Model::PenAdjustmentTool* adjust = penAdjustmentTool();
            if (adjust->drawingTool()) {
                adjust->setDrawingTool(nullptr);
                emit adjust->cursorChanged(adjust->cursor());
            }
            break;
        }
        default:
            break;
        }
    }

    const Type current = tools()->currentToolType();
    tools()->setCurrentTool(current, calcToolState(current));

    Model::Scene* scene = quillmereScene();
    if (scene
        && Model::ToolManager::isLassoingTool(newType)
               != Model::ToolManager::isLassoingTool(previousType))
        scene->updateCachedFramePixmap(false);
}

void MainWindow::handZPRState()
{
    auto* zpr = static_cast<Model::ZPRTool*>(tools()->tool(Type::ZPR));
    if (d->zprToolState.isValid())
        zpr->setPressPosGlobal(d->zprToolState.toPoint());
    else
        zpr->clearPressPosGlobal();
}

void MainWindow::onActionZPRTool(bool on)
{
    const bool current = tools()->currentToolType() == Type::ZPR;
    if (on == current)
        return;
    if (!on)
        d->zprToolState.clear();
    handZPRState();
    processToolAction(Type::ZPR, on);
}

void MainWindow::onActionHandTool(bool on)
{
    processToolAction(Type::Hand, on);
}

void MainWindow::onActionZoom(bool on)
{
    processToolAction(Type::Zoom, on);
}

void MainWindow::onActionRotate(bool on)
{
    processToolAction(Type::Rotate, on);
}

void MainWindow::onActionOffPegs(bool on)
{
    processToolAction(Type::OffPegs, on);
}

void MainWindow::onActionLassoThisDrawing(bool on)
{
    processToolAction(Type::Lasso, on);
}

void MainWindow::onActionCutter(bool on)
{
    processToolAction(Type::Cutter, on);
}

void MainWindow::startPointerScrubbing()
{
    if (tools()->currentToolType() != Type::FloatingSelection)
        selectTool(Type::Scrubbing);
}

void MainWindow::startDelayedPointerScrubbing()
{
    Model::Scene* scene = quillmereScene();
    if (!scene || tools()->currentToolType() != Type::Scrubbing)
        return;
    const int frame = scene->activeFrame();
    scene->startScrubbing();
    scene->setScrubFrame(frame);
    ui->scrollAreaWidgetContents->setMinMaxScrubOffset(scene->minimumFrameRangeNumber() - frame,
                                                       scene->maximumFrameRangeNumber() - frame);
}

void MainWindow::stopPointerScrubbing()
{
    if (tools()->currentToolType() != Type::Scrubbing)
        return;
    const bool pressed = ui->scrollAreaWidgetContents->isDevicePressed();
    if (Model::Scene* scene = quillmereScene()) {
        const int frame = scene->scrubFrame();
        scene->stopScrubbing();
        if (pressed && frame > 0)
            setActiveFrameAndLayer(frame, scene->activeLayerIdx(), Model::Scene::SetFrameBehaviour(0));
        else
            scene->setScrubFrame(-1);
    }
    restoreLastPrimaryToolIfNeeded();
}

void MainWindow::onFocusObjectChanged(QObject* focus)
{
    UI::Paper* paper = ui->scrollAreaWidgetContents;
    if (focus != paper)
        stopPointerScrubbing();
    else if (QGuiApplication::queryKeyboardModifiers() == Qt::ShiftModifier)
        startPointerScrubbing();
}

void MainWindow::onPaperRightButtonPressed(Qt::KeyboardModifiers modifiers)
{
    if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)
        showSpeedDialWithoutInfoBox(modifiers == Qt::NoModifier, true);
}

void MainWindow::showSpeedDialWithoutInfoBox(bool primary, bool hideAfterHighlight)
{
    endCurrentStroke();
    UI::SpeedDial* dial = primary ? d->primarySpeedDial : d->secondarySpeedDial;
    if (!dial)
        return;
    dial->disableInfoBoxUntilNextHide();
    action(primary ? A::PrimarySpeedDial : A::SecondarySpeedDial)->trigger();
    dial->setHideAfterPostSelectionHighlight(hideAfterHighlight);
}

void MainWindow::endCurrentStroke()
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    if (std::unique_ptr<Model::SingleStroke> stroke = scene->endStroke())
        push(scene, new Commands::Stroke(KWScene(), KWScene()->currentIndex(), std::move(stroke)));
}

void MainWindow::completeLassoing(QPainterPath path, bool cut)
{
    Model::Scene* scene = quillmereScene();
    Model::KWScene* bundle = KWScene();
    if (!scene || !bundle)
        return;
    const qint64 started = monotonicMs();
    std::unique_ptr<Model::FloatingSelection> selection = scene->createNewFloatingSelection(path);
    if (!selection)
        return;

    // Other programs get the picked-up drawing as a picture on white.
    const QImage picked = selection->indexedImage();
    QImage onWhite(picked.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    {
        QPainter painter(&onWhite);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(0, 0, picked);
    }
    auto* mime = new QMimeData;
    mime->setImageData(onWhite);
    QApplication::clipboard()->setMimeData(mime);

    // Only a slow lasso is worth collapsing: a fast one has little vector
    // data to spare.
    bool collapse = false;
    if (monotonicMs() - started > 500) {
        Model::Settings* settings = Model::Settings::instance();
        if (settings->collapseAutomatically()) {
            collapse = true;
        } else {
            UI::CollapseDialog dialog(this);
            dialog.resize(1, 1);
            if (Model::Prompter::exec(&dialog) == QDialog::Accepted) {
                collapse = true;
                if (dialog.collapseAutomatically())
                    settings->setCollapseAutomatically(true);
            }
        }
    }
    selection->setCollapseOnUse(collapse);

    auto* parent = new QUndoCommand(QCoreApplication::translate("Commands", "New Floating Selection"));
    const QModelIndex current = bundle->currentIndex();
    new Commands::FloatingSelectionNew(bundle, std::move(selection), parent);
    if (cut) {
        if (path.isEmpty())
            new Commands::ClearDrawingMakingBlank(bundle, current, parent);
        else
            new Commands::CutPath(bundle, current, path, parent);
    }
    if (collapse)
        new Commands::CollapseVectorData(bundle, current, this, parent);
    new Commands::ChangeToolType(bundle, Type::FloatingSelection, parent);
    push(scene, parent);
}

void MainWindow::setFloatingSelectionTransform(Model::FloatingSelection::Transform transform)
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::FloatingSelectionTransform(KWScene(), transform));
}

void MainWindow::setOffPegsTransformation(QTransform transform)
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::OffPegs(scene, transform));
}

void MainWindow::stampFloatingSelection(bool keepFloating)
{
    if (tools()->currentToolType() != Type::FloatingSelection
        || tools()->currentToolState() != Model::Tool::Usable) {
        selectTool(tools()->lastDrawingToolType());
        return;
    }
    Model::Scene* scene = quillmereScene();
    Model::KWScene* bundle = KWScene();
    if (!scene || !bundle || !bundle->floatingSelection())
        return;

    auto* parent =
        new QUndoCommand(QCoreApplication::translate("Commands", "Stamp Floating Selection"));
    std::unique_ptr<Model::Stroke> stroke = bundle->floatingSelection()->getTransformedStroke(this);
    if (!bundle->hasSelection()) {
        const QModelIndex target = bundle->currentIndex();
        if (bundle->sceneModel()->data(target, Model::SceneModel::VirtualLastFrameRole).toBool())
            push(scene, new Commands::AddBlankDrawing(bundle, target));
        new Commands::Stroke(bundle, bundle->currentIndex(), std::move(stroke), parent);
    } else {
        new Commands::Stroke(bundle, bundle->selection().indexes(), std::move(stroke), parent);
    }
    if (!keepFloating)
        new Commands::ChangeToolType(bundle, tools()->lastDrawingToolType(), parent);
    push(scene, parent);
}

// Connects the catalogue's actions to the window's handlers, once, from the
// constructor. The same action stands in the menus, the tool bar and the
// speed dials, so each is connected exactly here and nowhere else.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "playback/PlaybackController.h"
#include "tools/ToolManager.h"

#include <QAction>
#include <QPainterPath>
#include <QUndoGroup>

#include <tuple>

namespace {

using A = KW::Action;

QAction* action(A id)
{
    return Model::ActionManager::instance()->action(id);
}

} // namespace

void MainWindow::setupFileActions()
{
    connect(action(A::NewScene), &QAction::triggered, this,
            [this] { newScene(NewSceneAskSettings); });
    connect(action(A::Quit), &QAction::triggered, this, &QWidget::close);
    // The routes that return whether they succeeded are called for their
    // effect only.
    connect(action(A::OpenScene), &QAction::triggered, this, &MainWindow::openScene);
    connect(action(A::SaveScene), &QAction::triggered, this, [this] { saveScene(); });
    connect(action(A::SaveSceneAs), &QAction::triggered, this, [this] { saveSceneAs(); });
    connect(action(A::Import), &QAction::triggered, this, &MainWindow::import);
    connect(action(A::ExportFrames), &QAction::triggered, this, &MainWindow::exportFrames);
    connect(action(A::ExportExposureSheet), &QAction::triggered, this,
            &MainWindow::exportExposureSheet);
    connect(action(A::ExportVideo), &QAction::triggered, this, &MainWindow::exportVideo);
}

void MainWindow::setupEditActions()
{
    Model::ActionManager::instance()->setupUndoRedoActions(m_undoGroup);
    connect(action(A::Undo), &QAction::triggered, this, &MainWindow::clearCellSelection);
    connect(action(A::Redo), &QAction::triggered, this, &MainWindow::clearCellSelection);

    for (A id : {A::AddCloneDrawing, A::DeleteCloneDrawing, A::AddBlankDrawing,
                 A::InsertBlankDrawing, A::TurnCloneIntoOriginal, A::DuplicateDrawing,
                 A::ClearDrawingMakingBlank, A::LoseDrawingMakingHold, A::DiscardDrawing,
                 A::BackDeleteDrawing})
        connect(action(id), &QAction::triggered, this, [this, id] { onActionCellCommand(id); });
    connect(action(A::CutDrawing), &QAction::triggered, this, &MainWindow::onActionCutDrawing);
    connect(action(A::CopyDrawing), &QAction::triggered, this, &MainWindow::onActionCopyDrawing);
    connect(action(A::PasteDrawing), &QAction::triggered, this, &MainWindow::onActionPasteDrawing);
    connect(action(A::SelectAllDrawings), &QAction::triggered, this,
            &MainWindow::onActionSelectAllDrawings);
    connect(action(A::CloneEachSelectedDrawingOnce), &QAction::triggered, this,
            &MainWindow::onActionCloneEachSelectedDrawingOnce);
    connect(action(A::CycleSelectedDrawingsOnce), &QAction::triggered, this,
            &MainWindow::onActionCycleSelectedDrawingsOnce);
}

void MainWindow::setupDrawActions()
{
    connect(action(A::Draw), &QAction::triggered, this, &MainWindow::onActionDraw);
    connect(action(A::Erase), &QAction::triggered, this, &MainWindow::onActionErase);

    using Pen = Model::Tool::PenType;
    using Preset = KW::ToolPreset;
    // Each pen kind, and each of its presets, which loads the preset first.
    static const std::tuple<A, Pen, Preset> pens[] = {
        {A::Pencil, Pen::Pencil, Preset::Default},
        {A::PencilPreset1, Pen::Pencil, Preset::Preset1},
        {A::PencilPreset2, Pen::Pencil, Preset::Preset2},
        {A::PencilPreset3, Pen::Pencil, Preset::Preset3},
        {A::Marker, Pen::Marker, Preset::Default},
        {A::MarkerPreset1, Pen::Marker, Preset::Preset1},
        {A::MarkerPreset2, Pen::Marker, Preset::Preset2},
        {A::MarkerPreset3, Pen::Marker, Preset::Preset3},
        {A::Brush, Pen::Brush, Preset::Default},
        {A::BrushPreset1, Pen::Brush, Preset::Preset1},
        {A::BrushPreset2, Pen::Brush, Preset::Preset2},
        {A::BrushPreset3, Pen::Brush, Preset::Preset3}};
    for (const auto& [id, pen, preset] : pens) {
        const Pen kind = pen;
        const Preset chosen = preset;
        connect(action(id), &QAction::triggered, this, [this, kind, chosen] {
            Model::ToolManager* tools = Model::ToolManager::instance();
            if (chosen != Preset::Default)
                tools->loadPreset(kind, chosen);
            tools->setCurrentPenToolType(kind);
            onActionDraw(true);
        });
    }
    using Eraser = Model::Tool::EraserType;
    for (const auto& [id, eraser] : {std::pair{A::KneadedEraser, Eraser::Kneaded},
                                     std::pair{A::RubberEraser, Eraser::Rubber},
                                     std::pair{A::VinylEraser, Eraser::Vinyl}}) {
        const Eraser kind = eraser;
        connect(action(id), &QAction::triggered, this, [this, kind] {
            Model::ToolManager::instance()->setCurrentEraserToolType(kind);
            onActionErase(true);
        });
    }
}

void MainWindow::setupFlipNPlayActions()
{
    PlaybackController* playback = m_playbackController;
    connect(action(A::Play), &QAction::triggered, playback, &PlaybackController::togglePlayback);
    for (const auto& [id, mode] :
         {std::pair{A::PlayLoop, PlaybackController::Loop},
          std::pair{A::PlayBackwards, PlaybackController::Backwards},
          std::pair{A::PlayStopAndStay, PlaybackController::StopAndStay}}) {
        const PlaybackController::PlaybackMode flag = mode;
        connect(action(id), &QAction::toggled, playback,
                [playback, flag](bool on) { playback->setPlaybackMode(flag, on); });
    }
    const PlaybackController::PlaybackModes modes = playback->playbackModes();
    if (modes.testFlag(PlaybackController::Loop))
        action(A::PlayLoop)->setChecked(true);
    else
        action(A::PlayOnce)->setChecked(true);
    action(A::PlayBackwards)->setChecked(modes.testFlag(PlaybackController::Backwards));
    action(A::PlayStopAndStay)->setChecked(modes.testFlag(PlaybackController::StopAndStay));

    connect(action(A::ReturnFlip), &QAction::triggered, playback,
            [playback] { playback->flipBackAndReturn(4); });
}

void MainWindow::setupLightTableActions()
{
    connect(action(A::Pan), &QAction::toggled, this, &MainWindow::onActionHandTool);
    connect(action(A::Zoom), &QAction::toggled, this, &MainWindow::onActionZoom);
    connect(action(A::Rotate), &QAction::toggled, this, &MainWindow::onActionRotate);
    connect(action(A::OffPegs), &QAction::toggled, this, &MainWindow::onActionOffPegs);
    connect(action(A::ZPR), &QAction::triggered, this, &MainWindow::onActionZPRTool);
}

void MainWindow::setupXSheetActions()
{
    connect(action(A::ImportReferenceLayer), &QAction::triggered, this,
            &MainWindow::importReferenceLayer);
    connect(action(A::ImportAudio), &QAction::triggered, this, &MainWindow::importAudio);
}

void MainWindow::setupPickUpActions()
{
    connect(action(A::Lasso), &QAction::toggled, this, &MainWindow::onActionLassoThisDrawing);
    connect(action(A::Cutter), &QAction::toggled, this, &MainWindow::onActionCutter);
    connect(action(A::PickUpAllOfThisDrawing), &QAction::triggered, this,
            [this] { completeLassoing(QPainterPath(), true); });
    connect(action(A::StampFloatingSelection), &QAction::triggered, this,
            [this] { stampFloatingSelection(false); });
    connect(action(A::StampFloatingSelectionKeepFloating), &QAction::triggered, this,
            [this] { stampFloatingSelection(true); });
}

void MainWindow::setupPaintActions()
{
}

void MainWindow::setupWindowActions()
{
}

void MainWindow::setupHelpActions()
{
}

void MainWindow::setupOtherActions()
{
    connect(action(A::CollapseVectorData), &QAction::triggered, this,
            &MainWindow::onActionCollapseVectorData);
}

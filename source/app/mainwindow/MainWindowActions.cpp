// Connects the catalogue's actions to the window's handlers, once, from the
// constructor. The same action stands in the menus, the tool bar and the
// speed dials, so each is connected exactly here and nowhere else.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "playback/PlaybackController.h"

#include <QAction>
#include <QUndoGroup>

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
}

void MainWindow::setupXSheetActions()
{
}

void MainWindow::setupPickUpActions()
{
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

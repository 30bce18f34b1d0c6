// Connects the catalogue's actions of the Flip & Play, Light Table, X-Sheet,
// Paint, Window and Help menus, and the held tools' actions, to the window's
// handlers, once, from the constructor.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"

#include <QAction>

namespace {

using A = KW::Action;

QAction* action(A id)
{
    return Model::ActionManager::instance()->action(id);
}

} // namespace

void MainWindow::setupHandlerActionConnections()
{
    auto onTrigger = [this](A id, void (MainWindow::*slot)()) {
        connect(action(id), &QAction::triggered, this, slot);
    };
    auto onToggle = [this](A id, void (MainWindow::*slot)(bool)) {
        connect(action(id), &QAction::toggled, this, slot);
    };

    // Flip & Play
    static const std::pair<A, double> rates[] = {
        {A::FrameRate06, 6.0},  {A::FrameRate12, 12.0}, {A::FrameRate12_5, 12.5},
        {A::FrameRate15, 15.0}, {A::FrameRate24, 24.0}, {A::FrameRate25, 25.0},
        {A::FrameRate30, 30.0}, {A::FrameRate50, 50.0}, {A::FrameRate60, 60.0}};
    for (const auto& rate : rates) {
        const double fps = rate.second;
        connect(action(rate.first), &QAction::triggered, this, [this, fps] { onActionFrameRate(fps); });
    }
    onTrigger(A::FrameRateCustom, &MainWindow::onActionFrameRateCustom);
    onTrigger(A::StepBack, &MainWindow::onActionStepBack);
    onTrigger(A::StepForward, &MainWindow::onActionStepForward);
    onTrigger(A::StepBackSkippingLocalClones, &MainWindow::onActionStepBackSkippingLocalClones);
    onTrigger(A::StepForwardSkippingLocalClones,
              &MainWindow::onActionStepForwardSkippingLocalClones);
    onTrigger(A::SkipBackToKeyDrawing, &MainWindow::onActionSkipBackToKeyDrawing);
    onTrigger(A::SkipForwardToKeyDrawing, &MainWindow::onActionSkipForwardToKeyDrawing);
    onTrigger(A::JumpToStart, &MainWindow::onActionJumpToStart);
    onTrigger(A::JumpToEnd, &MainWindow::onActionJumpToEnd);
    onTrigger(A::RangeStartStepBack, &MainWindow::onActionRangeStartStepBack);
    onTrigger(A::RangeStartStepForward, &MainWindow::onActionRangeStartStepForward);
    onTrigger(A::RangeEndStepBack, &MainWindow::onActionRangeEndStepBack);
    onTrigger(A::RangeEndStepForward, &MainWindow::onActionRangeEndStepForward);
    onTrigger(A::RangeStartToFirstFrame, &MainWindow::onActionRangeStartToFirstFrame);
    onTrigger(A::RangeEndToLastFrame, &MainWindow::onActionRangeEndToLastFrame);
    onTrigger(A::MuteAudio, &MainWindow::onActionMuteAudio);
    onTrigger(A::DiscardAudio, &MainWindow::onActionDiscardAudio);

    // Draw: the held tools
    onTrigger(A::DrawEraseToggle, &MainWindow::onActionDrawEraseToggle);

    // Light Table
    onTrigger(A::CustomizeBacklight, &MainWindow::onActionCustomizeBacklight);
    onTrigger(A::ResetView, &MainWindow::onActionResetView);
    onTrigger(A::FitPaperToView, &MainWindow::onActionFitPaperToView);
    onTrigger(A::ZoomIn, &MainWindow::zoomPaperInToNextLevel);
    onTrigger(A::ZoomOut, &MainWindow::zoomPaperOutToNextLevel);
    onTrigger(A::ViewToX1, &MainWindow::onActionViewToX1);
    onToggle(A::GridOnOff, &MainWindow::onActionGridOnOff);
    onToggle(A::MirrorView, &MainWindow::onActionMirrorView);
    onTrigger(A::MarkAsKeyDrawing, &MainWindow::onActionMarkAsKeyDrawing);
    onTrigger(A::UnmarkAllKeyDrawings, &MainWindow::onActionUnmarkAllKeyDrawings);
    onToggle(A::OnlyBacklightKeyFrames, &MainWindow::onActionOnlyBacklightKeyFrames);

    // X-Sheet
    onToggle(A::XSheetShow, &MainWindow::onActionXSheetShow);
    onTrigger(A::XSheetOppositeSide, &MainWindow::onActionXSheetOppositeSide);
    onTrigger(A::XSheetLeftSide, &MainWindow::onActionXSheetLeftSide);
    onTrigger(A::XSheetRightSide, &MainWindow::onActionXSheetRightSide);
    onToggle(A::XSheetDetachSeparateWindow, &MainWindow::onActionXSheetDetach);
    onTrigger(A::NewLayer, &MainWindow::onActionNewLayer);
    onTrigger(A::DuplicateActiveLayer, &MainWindow::onActionDuplicateActiveLayer);
    onTrigger(A::DiscardActiveLayer, &MainWindow::onActionDiscardActiveLayer);
    onTrigger(A::MergeLayerDown, &MainWindow::onActionMergeLayerDown);
    onTrigger(A::LayerAbove, &MainWindow::onActionLayerAbove);
    onTrigger(A::LayerBelow, &MainWindow::onActionLayerBelow);
    onTrigger(A::LayerTop, &MainWindow::onActionLayerTop);
    onTrigger(A::LayerBottom, &MainWindow::onActionLayerBottom);
    onToggle(A::LayerVisibility, &MainWindow::onActionLayerVisibility);
    onToggle(A::LayerLink, &MainWindow::onActionLayerLink);
    onTrigger(A::ShowNothingBeyond, &MainWindow::onActionShowNothingBeyond);
    onTrigger(A::FreezeLastDrawingBeyond, &MainWindow::onActionFreezeLastDrawingBeyond);
    onTrigger(A::CycleDrawingsBeyond, &MainWindow::onActionCycleDrawingsBeyond);
    onTrigger(A::UnlinkAllLayers, &MainWindow::onActionUnlinkAllLayers);
    onTrigger(A::LinkAllLayers, &MainWindow::onActionLinkAllLayers);

    // Pick Up
    onTrigger(A::DropFloatingSelection, &MainWindow::onActionDropFloatingSelection);
    onTrigger(A::GetLatestFloatingSelectionBack, &MainWindow::onActionGetLatestFloatingSelectionBack);

    // Paint
    onTrigger(A::NewPaintLayer, &MainWindow::onActionNewPaintLayer);
    onTrigger(A::Palette, &MainWindow::onActionPalette);
    onTrigger(A::ColorPickerTool, &MainWindow::onActionColorPickerTool);
    onTrigger(A::FillTool, &MainWindow::onActionFillTool);

    // Window and Help
    onToggle(A::ReferenceDisplay, &MainWindow::onActionReferenceDisplay);
    onTrigger(A::CustomizeToolBar, &MainWindow::onActionCustomizeToolBar);
    onTrigger(A::PrimarySpeedDial, &MainWindow::onActionPrimarySpeedDial);
    onTrigger(A::SecondarySpeedDial, &MainWindow::onActionSecondarySpeedDial);
    onTrigger(A::CustomizeSpeedDials, &MainWindow::onActionCustomizeSpeedDials);
    onTrigger(A::FullScreen, &MainWindow::onActionFullScreen);
    onTrigger(A::Settings, &MainWindow::onActionSettings);
    onTrigger(A::SceneSettings, &MainWindow::onActionSceneSettings);
    onTrigger(A::VideoTutorials, &MainWindow::onActionVideoTutorials);
    onTrigger(A::About, &MainWindow::onActionAbout);
}

// The menu bar, the recent-files menu and the exposure sheet's context menus.
// Entries are the catalogue's actions, so check marks and texts agree with
// the tool bar and the speed dials; only the fixed zoom and rotation steps
// and "Minimize" are the window's own.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "settings/Settings.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

namespace {

using A = KW::Action;
// Stands for a separator in the entry lists below.
constexpr A Separator = A::NoAction;

void addEntries(QMenu* menu, std::initializer_list<A> entries)
{
    Model::ActionManager* manager = Model::ActionManager::instance();
    for (A entry : entries) {
        if (entry == Separator)
            menu->addSeparator();
        else if (QAction* action = manager->action(entry))
            menu->addAction(action);
    }
}

// Keeps the platform from adding its own items to menus of common names.
QString withoutSystemItems(const QString& title)
{
    return QChar(0x200C) + title;
}

} // namespace

void MainWindow::setupMenus()
{
    setupFileMenu();
    setupEditMenu();
    setupDrawMenu();
    setupFlipNPlayMenu();
    setupLightTableMenu();
    setupXSheetMenu();
    setupPickUpMenu();
    setupPaintMenu();
    setupWindowMenu();
    setupHelpMenu();
    // The menu bar's own handler (closing the tool panels) is connected with
    // the other panel handlers.
}

void MainWindow::setupFileMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("File"));
    addEntries(menu, {A::NewScene, A::OpenScene});
    d->openRecentMenu = menu->addMenu(tr("Open Recent"));
    addEntries(menu, {Separator, A::SaveScene, A::SaveSceneAs, Separator, A::AutoSave, Separator,
                      A::Import});
    QMenu* exportMenu = menu->addMenu(tr("Export"));
    addEntries(exportMenu, {A::ExportFrames, A::ExportVideo, Separator, A::ExportExposureSheet});
    addEntries(menu, {Separator, A::SceneSettings, Separator, A::Quit});
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::aboutToShowRecentFiles);
    aboutToShowRecentFiles();
}

void MainWindow::aboutToShowRecentFiles()
{
    QMenu* menu = d->openRecentMenu;
    if (!menu)
        return;
    menu->clear();
    const QStringList files = Model::Settings::instance()->recentFiles();
    for (const QString& path : files) {
        if (path.isEmpty())
            continue;
        QAction* entry = menu->addAction(QFileInfo(path).fileName());
        connect(entry, &QAction::triggered, this, [this, path] { openFile(path); });
    }
    menu->setEnabled(!menu->isEmpty());
    if (menu->isEmpty())
        return;
    menu->addSeparator();
    QAction* clear = menu->addAction(tr("Clear"));
    connect(clear, &QAction::triggered, Model::Settings::instance(),
            &Model::Settings::clearRecentFiles);
}

void MainWindow::setupEditMenu()
{
    QMenu* menu = ui->menubar->addMenu(withoutSystemItems(tr("Edit")));
    addEntries(menu, {A::Undo, A::Redo, Separator, A::AddCloneDrawing, A::AddBlankDrawing,
                      A::InsertBlankDrawing, Separator, A::TurnCloneIntoOriginal,
                      A::DuplicateDrawing, Separator, A::CutDrawing, A::CopyDrawing,
                      A::PasteDrawing, Separator, A::ClearDrawingMakingBlank,
                      A::LoseDrawingMakingHold, Separator, A::DiscardDrawing,
                      A::BackDeleteDrawing, Separator, A::SelectAllDrawings, Separator,
                      A::CycleSelectedDrawingsOnce});
}

void MainWindow::setupDrawMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("Draw"));
    addEntries(menu, {A::Draw, A::Erase, A::DrawEraseToggle, Separator});
    addEntries(menu->addMenu(tr("Drawing Tools")),
               {A::Pencil, A::Marker, A::Brush, Separator, A::ResetDrawingUserSettings});
    addEntries(menu->addMenu(tr("Erasing Tools")), {A::KneadedEraser, A::RubberEraser,
                                                     A::VinylEraser, Separator,
                                                     A::ResetErasingUserSettings});
    addEntries(menu, {Separator, A::DrawSettings, A::EraseSettings, Separator, A::ToggleCursor});
}

void MainWindow::setupFlipNPlayMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("Flip && Play"));
    addEntries(menu, {A::Play});
    addEntries(menu->addMenu(tr("Playback Mode")),
               {A::PlayLoop, A::PlayOnce, Separator, A::PlayBackwards, Separator,
                A::PlayStopAndStay});
    addEntries(menu->addMenu(tr("Playback Rate (Frames Per Second)")),
               {A::FrameRate06, A::FrameRate12, A::FrameRate12_5, A::FrameRate15, A::FrameRate24,
                A::FrameRate25, A::FrameRate30, A::FrameRate50, A::FrameRate60,
                A::FrameRateCustom});
    menu->addSeparator();
    addEntries(menu->addMenu(tr("Flipping (Use Keyboard)")),
               {A::StepBack, A::StepForward, Separator, A::StepBackSkippingLocalClones,
                A::StepForwardSkippingLocalClones, Separator, A::SkipBackToKeyDrawing,
                A::SkipForwardToKeyDrawing, Separator, A::ReturnFlip});
    addEntries(menu, {Separator, A::JumpToStart, A::JumpToEnd, Separator});
    addEntries(menu->addMenu(tr("Range - Start && End")),
               {A::RangeStartStepBack, A::RangeStartStepForward, Separator, A::RangeEndStepBack,
                A::RangeEndStepForward, Separator, A::RangeStartToFirstFrame,
                A::RangeEndToLastFrame});
    addEntries(menu, {Separator, A::MuteAudio, A::DiscardAudio});
}

void MainWindow::setupLightTableMenu()
{
    UI::Paper* paper = ui->scrollAreaWidgetContents;
    QMenu* menu = ui->menubar->addMenu(tr("Light Table"));
    addEntries(menu, {A::BacklightOnOff, A::CustomizeBacklight, Separator, A::Pan, A::Zoom,
                      A::Rotate, A::ZPR, Separator, A::ResetView, A::FitPaperToView, Separator});

    QMenu* zoomMenu = menu->addMenu(tr("Zoom View"));
    addEntries(zoomMenu, {A::ZoomIn, A::ZoomOut, Separator, A::ViewToX1});
    struct Step
    {
        const char* text;
        const char* shortcut;
        double value;
    };
    const auto addZoom = [this, zoomMenu, paper](const Step& step) {
        QAction* entry = zoomMenu->addAction(tr(step.text));
        entry->setShortcut(QKeySequence(tr(step.shortcut)));
        const double level = step.value;
        connect(entry, &QAction::triggered, paper, [paper, level] { paper->setZoomLevel(level); });
    };
    for (const Step& step : {Step{QT_TR_NOOP("X2 (200%)"), QT_TR_NOOP("Ctrl+2"), 2.0},
                             Step{QT_TR_NOOP("X4 (400%)"), QT_TR_NOOP("Ctrl+3"), 4.0},
                             Step{QT_TR_NOOP("X8 (800%)"), QT_TR_NOOP("Ctrl+4"), 8.0},
                             Step{QT_TR_NOOP("X16 (1600%)"), QT_TR_NOOP("Ctrl+5"), 16.0}})
        addZoom(step);
    zoomMenu->addSeparator();
    for (const Step& step : {Step{QT_TR_NOOP("X1/2 (50%)"), QT_TR_NOOP("Ctrl+6"), 0.5},
                             Step{QT_TR_NOOP("X1/4 (25%)"), QT_TR_NOOP("Ctrl+7"), 0.25},
                             Step{QT_TR_NOOP("X1/8 (12.5%)"), QT_TR_NOOP("Ctrl+8"), 0.125},
                             Step{QT_TR_NOOP("X1/16 (6.25%)"), QT_TR_NOOP("Ctrl+9"), 0.0625}})
        addZoom(step);

    // The canvas turns counter-clockwise for positive angles, so a compass
    // bearing b is the angle -b.
    QMenu* rotateMenu = menu->addMenu(tr("Rotate View"));
    for (const Step& step : {Step{QT_TR_NOOP("Rotate Clockwise"), QT_TR_NOOP(">"), -15.0},
                             Step{QT_TR_NOOP("Rotate Counter-Clockwise"), QT_TR_NOOP("<"), 15.0}}) {
        QAction* entry = rotateMenu->addAction(tr(step.text));
        entry->setShortcut(QKeySequence(tr(step.shortcut)));
        const double degrees = step.value;
        connect(entry, &QAction::triggered, paper,
                [paper, degrees] { paper->rotatePaperToNext(degrees); });
    }
    rotateMenu->addSeparator();
    for (const Step& step : {Step{QT_TR_NOOP("North (0°)"), QT_TR_NOOP("Num+8"), 0.0},
                             Step{QT_TR_NOOP("North East (45°)"), QT_TR_NOOP("Num+9"), -45.0},
                             Step{QT_TR_NOOP("East (90°)"), QT_TR_NOOP("Num+6"), -90.0},
                             Step{QT_TR_NOOP("South East (135°)"), QT_TR_NOOP("Num+3"), -135.0},
                             Step{QT_TR_NOOP("South (180°)"), QT_TR_NOOP("Num+2"), 180.0},
                             Step{QT_TR_NOOP("South West (225°)"), QT_TR_NOOP("Num+1"), 135.0},
                             Step{QT_TR_NOOP("West (270°)"), QT_TR_NOOP("Num+4"), 90.0},
                             Step{QT_TR_NOOP("North West (315°)"), QT_TR_NOOP("Num+7"), 45.0}}) {
        QAction* entry = rotateMenu->addAction(tr(step.text));
        entry->setShortcut(QKeySequence(tr(step.shortcut)));
        const double degrees = step.value;
        connect(entry, &QAction::triggered, paper, [paper, degrees] { paper->rotatePaperTo(degrees); });
    }

    addEntries(menu, {Separator, A::GridOnOff});
    addEntries(menu->addMenu(tr("Select Grid Type")),
               {A::GridTypeFieldGuide, A::GridTypeSafety, A::GridTypeThirds, A::GridTypeDiagonals,
                A::GridTypeRenaissance, Separator, A::GridTypeNext});
    addEntries(menu, {Separator, A::MarkAsKeyDrawing, A::UnmarkAllKeyDrawings, Separator,
                      A::OnlyBacklightKeyFrames, Separator, A::MirrorView, Separator, A::OffPegs});
}

void MainWindow::setupXSheetMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("X-Sheet"));
    addEntries(menu, {A::XSheetShow, A::XSheetDetachSeparateWindow, Separator, A::AddClonesMode,
                      A::SlideMode, A::ToggleXSheetDragMode, Separator, A::NewLayer,
                      A::DuplicateActiveLayer, Separator, A::DiscardActiveLayer, Separator});
    QMenu* activeLayer = menu->addMenu(tr("Active Layer"));
    addEntries(activeLayer, {A::LayerAbove, A::LayerBelow, Separator, A::LayerTop, A::LayerBottom,
                             Separator, A::LayerVisibility, A::LayerLink, Separator});
    addEntries(activeLayer->addMenu(tr("What to Display Beyond Last Drawing")),
               {A::ShowNothingBeyond, A::FreezeLastDrawingBeyond, A::CycleDrawingsBeyond,
                Separator, A::ShowBeyondButtons});
    addEntries(activeLayer, {Separator, A::MergeLayerDown});
    addEntries(menu, {Separator, A::UnlinkAllLayers, A::LinkAllLayers, Separator});
    addEntries(menu->addMenu(tr("Thumbnail Size")),
               {A::ThumbnailSizeTiny, A::ThumbnailSizeSmall, A::ThumbnailSizeMedium,
                A::ThumbnailSizeLarge, Separator, A::ThumbnailSizeSmaller,
                A::ThumbnailSizeLarger});
}

void MainWindow::setupPickUpMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("Pick Up"));
    addEntries(menu, {A::Lasso, A::Cutter, A::PickUpAllOfThisDrawing, Separator,
                      A::StampFloatingSelection, Separator, A::DropFloatingSelection,
                      A::GetLatestFloatingSelectionBack});
}

void MainWindow::setupPaintMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("Paint"));
    addEntries(menu, {A::NewPaintLayer, A::NewPaintLayerWithCloneStructure, Separator, A::Palette,
                      Separator, A::ColorPickerTool, A::FillTool});
}

void MainWindow::setupWindowMenu()
{
    QMenu* menu = ui->menubar->addMenu(tr("Window"));
    QAction* minimize = menu->addAction(tr("Minimize"));
    minimize->setShortcut(QKeySequence(tr("Ctrl+M")));
    connect(minimize, &QAction::triggered, this, &QWidget::showMinimized);
    addEntries(menu, {Separator, A::ReferenceDisplay, Separator, A::ToolBar, A::CustomizeToolBar,
                      Separator, A::PrimarySpeedDial, A::SecondarySpeedDial,
                      A::CustomizeSpeedDials, Separator, A::Settings});
}

void MainWindow::setupHelpMenu()
{
    QMenu* menu = ui->menubar->addMenu(withoutSystemItems(tr("&Help")));
    addEntries(menu, {A::VideoTutorials, Separator, A::KeyboardShortcuts, Separator,
                      A::CommunityForum, Separator, A::ProvideFeedback, Separator, A::About});
}

QMenu* MainWindow::setupContextMenuDrawing(const QModelIndex& index, QMenu* menu)
{
    Q_UNUSED(index);
    if (!menu)
        menu = new QMenu(this);
    addEntries(menu, {A::AddCloneDrawing, A::AddBlankDrawing, A::InsertBlankDrawing, Separator,
                      A::TurnCloneIntoOriginal, A::DuplicateDrawing, Separator, A::CutDrawing,
                      A::CopyDrawing, A::PasteDrawing, Separator, A::ClearDrawingMakingBlank,
                      A::LoseDrawingMakingHold, Separator, A::DiscardDrawing,
                      A::BackDeleteDrawing, Separator, A::SelectAllDrawings, Separator,
                      A::CycleSelectedDrawingsOnce, Separator});
    setupContextMenuLayer(-1, false, menu->addMenu(tr("Layer", "Context sub menu")));
    menu->addSeparator();
    if (d->xsheetContextMenu)
        menu->addMenu(d->xsheetContextMenu);
    addEntries(menu, {Separator, A::MarkAsKeyDrawing, A::UnmarkAllKeyDrawings, Separator,
                      A::OnlyBacklightKeyFrames});
    return menu;
}

QMenu* MainWindow::setupContextMenuLayer(int layer, bool withOptions, QMenu* menu)
{
    Q_UNUSED(layer);
    if (!menu)
        menu = new QMenu(this);
    addEntries(menu, {A::NewLayer, A::DuplicateActiveLayer, Separator, A::DiscardActiveLayer,
                      Separator, A::MergeLayerDown, Separator, A::NewPaintLayer,
                      A::NewPaintLayerWithCloneStructure});
    if (withOptions && d->xsheetContextMenu) {
        menu->addSeparator();
        menu->addMenu(d->xsheetContextMenu);
    }
    return menu;
}

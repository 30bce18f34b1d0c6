// The canvas view, the light table's key drawings and backlight, where the
// exposure sheet stands, and the slots the canvas and the settings call.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/ControlsBar.h"
#include "canvas/ControlsBarIndicator.h"
#include "canvas/DrawingArea.h"
#include "canvas/Paper.h"
#include "canvas/ZoomLadder.h"
#include "commands/MarkAsKeyDrawing.h"
#include "commands/UnmarkAllKeyDrawings.h"
#include "dialogs/CustomizeBacklightDialog.h"
#include "panels/ToolBar.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"
#include "xsheet/DetachedXSheet.h"
#include "xsheet/LayerRenameWidget.h"
#include "xsheet/OpacitySlider.h"
#include "xsheet/XSheet.h"
#include "xsheet/XSheetPane.h"

#include <QAction>
#include <QApplication>
#include <QLayout>
#include <QScreen>
#include <QSplitter>
#include <QUndoStack>
#include <QWindow>

#include <algorithm>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

} // namespace

void MainWindow::onActionResetView()
{
    ui->scrollAreaWidgetContents->resetView();
}

void MainWindow::onActionFitPaperToView()
{
    ui->scrollAreaWidgetContents->fitToView();
}

void MainWindow::onActionViewToX1()
{
    ui->scrollAreaWidgetContents->setZoomLevel(1.0);
}

void MainWindow::zoomPaperInToNextLevel()
{
    // The canvas zooms about the pointer when it is over the view.
    UI::Paper* paper = ui->scrollAreaWidgetContents;
    paper->setZoomLevel(UI::ZoomLadder::nextLevelIn(paper->zoomLevel()));
}

void MainWindow::zoomPaperOutToNextLevel()
{
    UI::Paper* paper = ui->scrollAreaWidgetContents;
    paper->setZoomLevel(UI::ZoomLadder::nextLevelOut(paper->zoomLevel()));
}

void MainWindow::zoomPaperTo(double level)
{
    ui->scrollAreaWidgetContents->setZoomLevel(level);
}

void MainWindow::rotatePaperTo(double angle)
{
    ui->scrollAreaWidgetContents->rotatePaperTo(angle);
}

void MainWindow::rotatePaperToNext(double step)
{
    ui->scrollAreaWidgetContents->rotatePaperToNext(step);
}

void MainWindow::onActionGridOnOff(bool checked)
{
    ui->scrollAreaWidgetContents->setGridStatus(checked ? KW::GridStatus::GridOn
                                                        : KW::GridStatus::GridOff);
}

void MainWindow::onActionMirrorView(bool checked)
{
    // A stroke carried on under the flipped view would run off mirrored.
    endCurrentStroke();
    ui->scrollAreaWidgetContents->setMirrorView(checked);
}

void MainWindow::onMirrorViewChanged(bool mirror)
{
    if (d->mirrorIndicator)
        d->mirrorIndicator->setIndicatorVisible(mirror);
    action(KW::Action::MirrorView)->setChecked(mirror);
}

void MainWindow::onActionCustomizeBacklight()
{
    if (!d->backlightDialog)
        return;
    d->backlightDialog->setBacklightSettings(Model::Settings::instance()->backlightSettings());
    action(KW::Action::BacklightOnOff)->setChecked(true);
    d->backlightDialog->show();
}

void MainWindow::onBacklightDialogSettingsChanged(const Model::BacklightSettings& settings)
{
    Model::Settings::instance()->setBacklightSettings(settings);
}

void MainWindow::onBacklightSettingsChanged(const Model::BacklightSettings& settings)
{
    action(KW::Action::OnlyBacklightKeyFrames)->setChecked(settings.onlyKeyFrames);
    if (d->backlightDialog)
        d->backlightDialog->setBacklightSettings(settings);
    if (d->backlightIndicator)
        d->backlightIndicator->setIndicatorVisible(settings.enabled);
}

void MainWindow::onActionMarkAsKeyDrawing()
{
    if (Model::Scene* scene = quillmereScene())
        scene->undoStack()->push(new Commands::MarkAsKeyDrawing(
            scene, !scene->isKeyDrawing(scene->activeLayerIdx(), scene->activeFrame())));
}

void MainWindow::onActionUnmarkAllKeyDrawings()
{
    if (Model::Scene* scene = quillmereScene())
        scene->undoStack()->push(new Commands::UnmarkAllKeyDrawings(scene));
}

void MainWindow::onActionOnlyBacklightKeyFrames(bool checked)
{
    Model::Settings::instance()->setOnlyBacklightKeyFrames(checked);
}

void MainWindow::onScrubOffsetChanged(int offset)
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    const int frame = std::clamp(scene->activeFrame() + offset, scene->minimumFrameRangeNumber(),
                                 std::max(scene->minimumFrameRangeNumber(),
                                          scene->maximumFrameRangeNumber()));
    scene->setScrubFrame(frame);
    d->xsheet->scrollToRow(frame - scene->minimumFrameRangeNumber());
}

void MainWindow::onFloatingSelectionStamped(Qt::KeyboardModifiers modifiers)
{
    action(modifiers & Qt::ShiftModifier ? KW::Action::StampFloatingSelectionKeepFloating
                                         : KW::Action::StampFloatingSelection)
        ->trigger();
}

void MainWindow::onThumbnailSizeChanged(KW::ThumbnailSize size)
{
    if (Model::Scene* scene = quillmereScene())
        scene->setThumbnailSize(size, false);
}

void MainWindow::onCollapseAutomaticallyChanged(bool on)
{
    action(KW::Action::CollapseVectorDataAutomatically)->setChecked(on);
}

void MainWindow::onShowBeyondButtonsToggled(bool on)
{
    action(KW::Action::ShowBeyondButtons)->setChecked(on);
}

void MainWindow::onLeftAndRightCenterMoved(QPoint left, QPoint right)
{
    const int down = d->controlsBar ? d->controlsBar->height() / 2 : 0;
    QWidget* central = ui->centralwidget;
    m_toolBar->moveLeftAndRightCenter(central->mapFromGlobal(left) + QPoint(0, down),
                                      central->mapFromGlobal(right) + QPoint(0, down));
}

// --- Where the exposure sheet stands

void MainWindow::onActionXSheetShow(bool checked)
{
    if (!d->xsheetDetached && !checked) {
        const int index = ui->splitter->indexOf(d->xsheetPane);
        const int width = index >= 0 ? ui->splitter->sizes().value(index) : 0;
        if (width > 0)
            d->xsheetWidth = width;
    }
    d->xsheetVisible = checked;
    updateXSheetLocation();
}

void MainWindow::onSplitterMoved()
{
    const int index = ui->splitter->indexOf(d->xsheetPane);
    const int width = index >= 0 ? ui->splitter->sizes().value(index) : 0;
    if (width > 0)
        d->xsheetWidth = width;
    action(KW::Action::XSheetShow)->setChecked(width >= 1);
}

void MainWindow::onActionXSheetOppositeSide()
{
    d->xsheetOnLeft = !d->xsheetOnLeft;
    updateXSheetLocation();
}

void MainWindow::onActionXSheetLeftSide()
{
    d->xsheetOnLeft = true;
    updateXSheetLocation();
}

void MainWindow::onActionXSheetRightSide()
{
    d->xsheetOnLeft = false;
    updateXSheetLocation();
}

void MainWindow::onActionXSheetDetach(bool checked)
{
    d->xsheetDetached = checked;
    updateXSheetLocation();
}

void MainWindow::onDetachedXSheetHidden()
{
    action(KW::Action::XSheetShow)->setChecked(false);
}

// A detached sheet with no stored place opens beside the canvas, as wide as
// it stood docked and as high as the work area under the menu bar.
void MainWindow::prepareDetachedXSheetOpening()
{
    int width = d->xsheetWidth;
    const int index = ui->splitter->indexOf(d->xsheetPane);
    if (d->xsheetPlacedShown && index >= 0) {
        const int shown = ui->splitter->sizes().value(index);
        if (shown > 0)
            width = shown;
    }
    if (width <= 0)
        width = d->xsheetPane->sizeHint().width();
    QWidget* work = ui->centralwidget;
    const QRect workArea(work->mapToGlobal(QPoint(0, 0)), work->size());
    // The sheet's frame is not known before it is shown; the main window's
    // is the best guess.
    const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    QScreen* screen = this->screen();
    if (!screen)
        return;
    d->detachedXSheet->setOpeningGeometry(UI::DetachedXSheet::openingGeometry(
        workArea, width, d->xsheetOnLeft, screen->availableGeometry(), frame));
}

void MainWindow::updateXSheetLocation()
{
    action(d->xsheetOnLeft ? KW::Action::XSheetLeftSide : KW::Action::XSheetRightSide)
        ->setChecked(true);
    QWidget* companions[] = {d->opacitySlider, d->layerRenameWidget};

    if (d->xsheetDetached && d->detachedXSheet) {
        if (d->xsheetVisible && isVisible())
            prepareDetachedXSheetOpening();
        for (QWidget* w : companions) {
            if (w) {
                w->setParent(d->detachedXSheet);
                w->hide();
            }
        }
        d->xsheetPane->setParent(d->detachedXSheet);
        d->detachedXSheet->layout()->addWidget(d->xsheetPane);
        d->xsheetPane->show();
        d->detachedXSheet->setVisible(d->xsheetVisible && isVisible());
        return;
    }

    if (d->detachedXSheet)
        d->detachedXSheet->hide();
    for (QWidget* w : companions) {
        if (w && w->parentWidget() != ui->centralwidget) {
            w->setParent(ui->centralwidget);
            w->hide();
        }
    }

    QSplitter* splitter = ui->splitter;
    // The sheet keeps the width it shows, also the one the splitter gave it
    // before anyone moved the handle.
    const int shownIndex = splitter->indexOf(d->xsheetPane);
    if (d->xsheetPlacedShown && d->xsheetVisible && shownIndex >= 0) {
        const int shown = splitter->sizes().value(shownIndex);
        if (shown > 0)
            d->xsheetWidth = shown;
    }
    d->xsheetPlacedShown = d->xsheetPlacedShown || isVisible();
    splitter->insertWidget(d->xsheetOnLeft ? 0 : splitter->count(), d->xsheetPane);
    d->xsheetPane->show();
    const int paneIndex = splitter->indexOf(d->xsheetPane);
    const int canvasIndex = splitter->indexOf(ui->frame);
    splitter->setCollapsible(paneIndex, true);
    splitter->setStretchFactor(paneIndex, 0);
    splitter->setStretchFactor(canvasIndex, 1);

    QList<int> sizes = splitter->sizes();
    const int total = sizes.value(paneIndex) + sizes.value(canvasIndex);
    int width = 0;
    if (d->xsheetVisible) {
        if (d->xsheetWidth <= 0)
            d->xsheetWidth = d->xsheetPane->sizeHint().width();
        width = d->xsheetWidth;
    }
    sizes[paneIndex] = width;
    sizes[canvasIndex] = std::max(0, total - width);
    splitter->setSizes(sizes);
}

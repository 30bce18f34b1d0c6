// The window's own state: the layout saved when it closes, the work done
// once it is first on screen, the screen's pixel ratio, closing, and the pen
// turned over.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/Paper.h"
#include "canvas/ReferenceDisplay.h"
#include "scene/KWScene.h"
#include "settings/Settings.h"
#include "tools/ToolManager.h"
#include "xsheet/DetachedXSheet.h"

#include <QAction>
#include <QCloseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QWindow>

Model::SceneModel* MainWindow::quillmereSceneModel() const
{
    Model::KWScene* bundle = Model::KWScene::currentKWScene();
    return bundle ? bundle->sceneModel() : nullptr;
}

void MainWindow::actualizeTitlebar()
{
    actualizeTitlebar(ui->scrollAreaWidgetContents->zoomLevel());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!maybeSave()) {
        event->ignore();
        return;
    }
    saveSettings();
    setKWScene(nullptr);
    d->detachedXSheet->deleteLater();
    d->referenceDisplay->deleteLater();
    event->accept();
}

void MainWindow::saveSettings()
{
    Model::Settings* settings = Model::Settings::instance();
    settings->setMainWindowSettings(saveGeometry(), d->xsheetOnLeft, d->xsheetDetached,
                                    d->xsheetVisible, d->xsheetWidth);
    settings->setXSheetWindowSettings(d->detachedXSheet->savedGeometry());
    settings->setReferenceDisplaySettings(d->referenceDisplay->savedGeometry());
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Once: later shows (after minimising, say) keep the view.
    if (d->shownBefore)
        return;
    d->shownBefore = true;
    QTimer::singleShot(0, this, [this] {
        updateDevicePixelRatio();
        ui->scrollAreaWidgetContents->setZoomLevelCenteringOnOrigin(1.0);
        if (QWindow* window = windowHandle())
            connect(window, &QWindow::screenChanged, this, &MainWindow::updateDevicePixelRatio);
        // Only now does the stored layout take effect: the sheet's width is
        // shared with a canvas of its real size, and a detached sheet moves
        // to its own window.
        updateXSheetLocation();
        Model::ActionManager* actions = Model::ActionManager::instance();
        if (actions->action(KW::Action::XSheetShow)->isChecked()
            && actions->action(KW::Action::XSheetDetachSeparateWindow)->isChecked())
            d->detachedXSheet->show();
    });
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    emit resized(event);
}

void MainWindow::updateDevicePixelRatio()
{
    ui->scrollAreaWidgetContents->updateDevicePixelRatio();
    Model::ToolManager::instance()->updateDevicePixelRatio(
        metric(QPaintDevice::PdmDevicePixelRatioScaled) / 65536.0);
}

void MainWindow::setTabletPointerType(QPointingDevice::PointerType type)
{
    using PointerType = QPointingDevice::PointerType;
    const PointerType last = d->lastPointerType;
    d->lastPointerType = type;
    if (type == last)
        return;

    Model::Tool::Type tool;
    KW::Action route;
    if (type == PointerType::Eraser) {
        tool = Model::Tool::Erase;
        route = KW::Action::Erase;
    } else if (type == PointerType::Pen && last == PointerType::Eraser) {
        tool = Model::Tool::Draw;
        route = KW::Action::Draw;
    } else {
        return;
    }
    Model::ToolManager* tools = Model::ToolManager::instance();
    if (tools->isDrawingTool())
        Model::ActionManager::instance()->action(route)->trigger();
    else
        tools->setLastDrawingTool(tool);
}

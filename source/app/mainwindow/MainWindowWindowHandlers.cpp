// The Paint, Window and Help menus: the colour palette, the speed dials,
// the reference display, customising, full screen, and the dialogs.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "canvas/ReferenceDisplay.h"
#include "commands/ChangeSceneSettings.h"
#include "customize/CustomizeOverlay.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/Preferences.h"
#include "dialogs/SceneSettingsDialog.h"
#include "dialogs/TutorialDialog.h"
#include "prompts/Prompter.h"
#include "panels/Palette.h"
#include "panels/SpeedDial.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"

#include <QAction>
#include <QCursor>
#include <QLoggingCategory>
#include <QUndoStack>

#include <algorithm>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

// Speed dials stand a little up and left of the pointer, 5 pixels from the
// near edges and 6 from the far ones; a parent too small for that centres
// them.
int dialAxis(int pointer, int extent, int room, int nearLimit, int offset)
{
    const int far = room - extent - 6;
    if (far <= 4)
        return (room - extent - 1) / 2;
    const int start = pointer - extent / 2;
    return std::min(start >= nearLimit ? start - offset : 5, far);
}

// The palette is centred on the pointer and kept inside its parent.
int paletteAxis(int pointer, int extent, int room)
{
    const int far = room - extent - 1;
    if (far < 0)
        return far / 2;
    return std::clamp(pointer - extent / 2, 0, far);
}

} // namespace

void MainWindow::onActionPalette()
{
    if (!m_palette)
        return;
    if (m_palette->isVisible()) {
        m_palette->hide();
        return;
    }
    QWidget* central = ui->centralwidget;
    const QPoint p = central->mapFromGlobal(QCursor::pos());
    m_palette->move(paletteAxis(p.x(), m_palette->width(), central->width()),
                    paletteAxis(p.y(), m_palette->height(), central->height()));
    m_palette->raise();
    m_palette->show();
}

void MainWindow::onActionColorPickerTool()
{
    qWarning() << Q_FUNC_INFO << "not implemented yet";
}

void MainWindow::onActionFillTool()
{
    qWarning() << Q_FUNC_INFO << "not implemented yet";
}

void MainWindow::onActionReferenceDisplay(bool checked)
{
    if (d->referenceDisplay)
        d->referenceDisplay->setVisibility(checked);
}

void MainWindow::onReferenceDisplayHidden()
{
    action(KW::Action::ReferenceDisplay)->setChecked(false);
}

void MainWindow::onActionCustomizeToolBar()
{
    if (!d->customizeOverlay)
        return;
    d->customizeOverlay->showToolBar();
    d->customizeOverlay->setFocus();
}

void MainWindow::onActionCustomizeSpeedDials()
{
    if (!d->customizeOverlay)
        return;
    d->customizeOverlay->showSpeedDials();
    d->customizeOverlay->setFocus();
}

void MainWindow::onActionFullScreen()
{
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void MainWindow::onActionPrimarySpeedDial()
{
    toggleSpeedDial(d->primarySpeedDial, d->secondarySpeedDial);
}

void MainWindow::onActionSecondarySpeedDial()
{
    toggleSpeedDial(d->secondarySpeedDial, d->primarySpeedDial);
}

void MainWindow::toggleSpeedDial(UI::SpeedDial* dial, UI::SpeedDial* other)
{
    if (!dial)
        return;
    if (other)
        other->hide();
    if (dial->isVisible()) {
        // A second call while the dial shows picks what is under the pointer.
        if (!dial->isShowingSelectionHighlight()) {
            dial->selectAndHide();
            return;
        }
        dial->hide();
    }
    QWidget* central = ui->centralwidget;
    const QPoint p = central->mapFromGlobal(QCursor::pos());
    dial->move(dialAxis(p.x(), dial->width(), central->width(), 20, 15),
               dialAxis(p.y(), dial->height(), central->height(), 12, 7));
    dial->setHideAfterPostSelectionHighlight(true);
    dial->raise();
    dial->show();
}

void MainWindow::onActionVideoTutorials()
{
    Model::Settings* settings = Model::Settings::instance();
    UI::TutorialDialog dialog(this);
    dialog.setShowAtStartupChecked(settings->showVideoTutorialsOnStartup());
    Model::Prompter::exec(&dialog);
    settings->setShowVideoTutorialsOnStartup(dialog.isShowAtStartupChecked());
}

void MainWindow::onActionAbout()
{
    if (!d->aboutDialog)
        d->aboutDialog = new UI::AboutDialog(this);
    d->aboutDialog->raise();
    d->aboutDialog->show();
    d->aboutDialog->activateWindow();
}

void MainWindow::onActionSettings()
{
    d->preferences->raise();
    d->preferences->show();
    d->preferences->activateWindow();
}

void MainWindow::onActionSceneSettings()
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    Model::Settings* settings = Model::Settings::instance();
    UI::SceneSettingsDialog::Params params;
    params.frameSize = scene->frameSize();
    params.frameRate = scene->frameRate();
    params.fitMode = int(settings->defaultChangeFrameSizeFitMode());
    params.mode = 1;
    UI::SceneSettingsDialog dialog(params, this);
    if (Model::Prompter::exec(&dialog) != QDialog::Accepted)
        return;
    const UI::SceneSettingsDialog::Params chosen = dialog.params();
    const auto fitMode = static_cast<KW::FitMode>(chosen.fitMode);
    if (chosen.frameSize != scene->frameSize() || !qFuzzyCompare(chosen.frameRate, scene->frameRate()))
        scene->undoStack()->push(new Commands::ChangeSceneSettings(KWScene(), chosen.frameSize,
                                                                   fitMode, chosen.frameRate, this));
    settings->setDefaultChangeFrameSizeFitMode(fitMode);
}

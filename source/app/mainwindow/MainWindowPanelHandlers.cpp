// The pen and eraser settings panels as drop-downs of the controls bar's
// tool pockets, the menu bar closing them, and the customise overlay's
// results.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "customize/CustomizeOverlay.h"
#include "panels/SpeedDial.h"
#include "panels/ToolBar.h"
#include "panels/ToolPocket.h"
#include "panels/ToolSettings.h"
#include "settings/Settings.h"

#include <QAction>
#include <QTimer>

namespace {

using A = KW::Action;

QAction* action(A id)
{
    return Model::ActionManager::instance()->action(id);
}

} // namespace

void MainWindow::placeToolSettings()
{
    const std::pair<UI::ToolSettings*, UI::ToolPocket*> panels[] = {
        {d->eraseSettings, d->firstToolPocket}, {d->drawSettings, d->secondToolPocket}};
    for (const auto& [panel, pocket] : panels) {
        if (!panel || !pocket || !panel->parentWidget())
            continue;
        const QPoint bottomCentre(pocket->width() / 2, pocket->height());
        panel->moveTopCenter(panel->parentWidget()->mapFromGlobal(pocket->mapToGlobal(bottomCentre)));
    }
}

void MainWindow::onToolPocketPressed(Model::Tool::Type kind, int slot)
{
    stopDropdownTimer();
    placeToolSettings();
    const bool draw = kind == Model::Tool::Draw;
    UI::ToolSettings* panel = draw ? d->drawSettings : d->eraseSettings;
    if (panel && panel->showTool(slot))
        action(draw ? A::DrawSettings : A::EraseSettings)->trigger();
}

void MainWindow::onToolPocketFocusReceived(Model::Tool::Type kind)
{
    stopDropdownTimer();
    UI::ToolSettings* panel = kind == Model::Tool::Draw ? d->drawSettings : d->eraseSettings;
    if (panel)
        panel->setFocus();
}

// A settings panel dropped down under its pocket, the other one closed, its
// tool chosen.
void MainWindow::dropDownSettings(UI::ToolSettings* panel, UI::ToolSettings* other, KW::Action tool)
{
    stopDropdownTimer();
    if (other)
        other->hide();
    action(tool)->trigger();
    placeToolSettings();
    if (panel) {
        panel->setFocus();
        panel->show();
    }
}

void MainWindow::onActionDrawSettings()
{
    dropDownSettings(d->drawSettings, d->eraseSettings, A::Draw);
}

void MainWindow::onActionEraseSettings()
{
    dropDownSettings(d->eraseSettings, d->drawSettings, A::Erase);
}

void MainWindow::onMenuBarTriggered(QAction* triggered)
{
    auto is = [triggered](A id) { return triggered == action(id); };
    auto isDropdown = [](UI::ToolSettings* panel) {
        return panel && panel->isVisible() && !panel->isPopup();
    };
    // Choosing the pen or the eraser from the menu keeps its open panel.
    if ((isDropdown(d->drawSettings) || isDropdown(d->eraseSettings)) && (is(A::Draw) || is(A::Erase)))
        return;
    for (A id : {A::DrawSettings, A::EraseSettings, A::Pencil, A::Marker, A::Brush,
                 A::KneadedEraser, A::RubberEraser, A::VinylEraser})
        if (is(id))
            return;
    closeDrawAndEraseDropdowns();
}

void MainWindow::onCustomizeToolBarUpdated()
{
    m_toolBar->restoreSettings(Model::Settings::instance()->toolBarSettings());
}

void MainWindow::onCustomizeSpeedDialsUpdated()
{
    Model::Settings* settings = Model::Settings::instance();
    if (d->primarySpeedDial)
        d->primarySpeedDial->restoreSettings(settings->primarySpeedDialSettings());
    if (d->secondarySpeedDial)
        d->secondarySpeedDial->restoreSettings(settings->secondarySpeedDialSettings());
}

void MainWindow::showVideoTutorialsIfWanted()
{
    if (Model::Settings::instance()->showVideoTutorialsOnStartup())
        action(A::VideoTutorials)->trigger();
}

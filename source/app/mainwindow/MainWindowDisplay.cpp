// The window's small display updaters: title bar, frame-rate, audio,
// fit-view and paste actions.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QUndoStack>

#include <cmath>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

bool sameRate(double a, double b)
{
    return std::abs(a - b) <= 1e-12 * std::max(std::abs(a), std::abs(b));
}

} // namespace

void MainWindow::actualizeTitlebar(double zoom)
{
    QString document;
    QString modified;
    QString framePart;
    if (Model::Scene* scene = quillmereScene()) {
        document = scene->filename().isEmpty() ? scene->name()
                                               : QFileInfo(scene->filename()).fileName();
        modified = scene->undoStack()->isClean() ? QString() : QStringLiteral("*");
        const QSize size = scene->frameSize();
        framePart = QStringLiteral(" [%1x%2] %3%")
                        .arg(size.width())
                        .arg(size.height())
                        .arg(std::lround(zoom * 100.0));
    }
    setWindowTitle(QStringLiteral("%1: %2%3").arg(QApplication::applicationDisplayName(), document,
                                                   modified)
                   + framePart);
}

void MainWindow::updateFitPaperToViewAction(double zoom)
{
    action(KW::Action::FitPaperToView)->setText(tr("Fit View (%1%)").arg(std::lround(zoom * 100.0)));
    Model::ActionManager::instance()->updateToolTip(KW::Action::FitPaperToView);
}

void MainWindow::updateFramerateActions(double fps)
{
    static const std::pair<double, KW::Action> rates[] = {
        {6.0, KW::Action::FrameRate06},  {12.0, KW::Action::FrameRate12},
        {12.5, KW::Action::FrameRate12_5}, {15.0, KW::Action::FrameRate15},
        {24.0, KW::Action::FrameRate24}, {25.0, KW::Action::FrameRate25},
        {30.0, KW::Action::FrameRate30}, {50.0, KW::Action::FrameRate50},
        {60.0, KW::Action::FrameRate60}};
    for (const auto& rate : rates)
        action(rate.second)->setChecked(false);
    QAction* custom = action(KW::Action::FrameRateCustom);
    custom->setChecked(false);

    bool matched = false;
    for (const auto& rate : rates) {
        if (sameRate(fps, rate.first)) {
            action(rate.second)->setChecked(true);
            matched = true;
            break;
        }
    }
    if (!matched) {
        custom->setChecked(true);
        custom->setText(tr("Custom (%1)", "fps menu action").arg(locale().toString(fps)));
    }
    if (!custom->isChecked())
        custom->setText(tr("Custom"));
}

void MainWindow::updateAudioActions()
{
    QAction* mute = action(KW::Action::MuteAudio);
    QAction* discard = action(KW::Action::DiscardAudio);
    Model::Scene* scene = quillmereScene();
    if (scene && scene->isAudioAvailable()) {
        mute->setEnabled(true);
        mute->setChecked(!scene->isAudible());
        discard->setEnabled(true);
    } else {
        mute->setEnabled(false);
        mute->setChecked(false);
        discard->setEnabled(false);
    }
}

void MainWindow::onClipboardChanged(QClipboard::Mode mode)
{
    if (mode != QClipboard::Clipboard)
        return;
    QAction* paste = action(KW::Action::PasteDrawing);
    paste->setEnabled(false);
    Model::ActionManager::instance()->setProfile(KW::Action::PasteDrawing,
                                                 Model::ActionManager::Default, -1);
    if (Model::Scene* scene = quillmereScene()) {
        const int n = scene->numDrawingsInPaste(QApplication::clipboard()->mimeData());
        if (n > 0)
            paste->setEnabled(true);
        if (n > 1)
            Model::ActionManager::instance()->setProfile(KW::Action::PasteDrawing,
                                                         Model::ActionManager::Alternative, n);
    }
}

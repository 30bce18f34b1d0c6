// Backups of the current scene at an interval, through the one scene writer.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "autosave/AutosaveManager.h"
#include "prompts/Prompter.h"
#include "scene/Scene.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QDir>

void MainWindow::setupAutosave()
{
    Model::Settings* settings = Model::Settings::instance();
    d->autosaveManager = new AutosaveManager(this);
    d->autosaveManager->setSaveTimeInMin(settings->autoSaveIntervalMins());
    d->autosaveManager->setNumFiles(settings->autoSaveNumFiles());
    if (settings->autoSaveEnabled())
        d->autosaveManager->start();
    connect(d->autosaveManager, &AutosaveManager::autosaveTimeout, this, &MainWindow::autosaveScene);
    connect(d->autosaveManager, &AutosaveManager::autosaveReminderTimeout, this,
            &MainWindow::autosaveScene);
}

AutosaveManager* MainWindow::autosaveManager() const
{
    return d->autosaveManager;
}

void MainWindow::resetAutosave()
{
    if (!d->autosaveManager)
        return;
    Model::Scene* scene = quillmereScene();
    if (scene)
        d->autosaveManager->reset(Model::Settings::instance()->defaultSaveDir(), scene->name());
    else
        d->autosaveManager->reset();
}

void MainWindow::autosaveScene()
{
    AutosaveManager* manager = d->autosaveManager;
    Model::Scene* scene = quillmereScene();
    if (!scene) {
        // Wait for a scene instead of ending autosave for the session.
        manager->setAutosaveFailed();
        return;
    }
    // An edit still under way (a stroke series, a drag of cells) is left to settle.
    const bool settled = manager->currentSecsSinceEpoch() - d->timeOfLastEdit > 2;
    if (!manager->hasChanges() || d->busy || !settled) {
        manager->setAutosaveDelayed();
        return;
    }

    const QDir folder = Model::Settings::instance()->defaultSaveDir();
    const QString filename = folder.absoluteFilePath(manager->getNextFilename(scene->name()));
    // A fresh account may lack the documents folder an untitled scene's
    // backups go to. Only the folder itself is made: a missing parent (a
    // drive no longer there) is not rebuilt, and the write tells why.
    if (!folder.exists())
        QDir().mkdir(folder.absolutePath());
    BusyScope busy(d->busy);
    QString failure;
    if (writeSceneFile(scene, filename, &failure)) {
        d->lastFailedAutosave.clear();
        manager->setAutosaveDone();
        return;
    }
    // Tried again after a full interval; the same failure is told only once.
    if (!failure.isEmpty() && failure != d->lastFailedAutosave)
        Model::Prompter::warning(this, QApplication::applicationDisplayName(), failure);
    d->lastFailedAutosave = failure;
    manager->setAutosaveFailed();
}

#include "autosave/AutosaveManager.h"

#include "settings/Settings.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

struct AutosaveManager::Data
{
    QTimer saveTimer;
    QTimer reminderTimer;
    int numFiles = Model::Settings::defaultAutoSaveNumFiles;
    int intervalSeconds = Model::Settings::defaultAutoSaveIntervalMins * 60;
    int nextFileNumber = 1;
    bool changed = false;
    int secondLength = 1000;
    Clock clock;

    int intervalMs() const { return intervalSeconds * secondLength; }
};

AutosaveManager::AutosaveManager(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Data>())
{
    d->saveTimer.setParent(this);
    d->reminderTimer.setParent(this);
    d->saveTimer.setSingleShot(true);
    d->reminderTimer.setSingleShot(true);
    connect(&d->saveTimer, &QTimer::timeout, this, &AutosaveManager::autosaveTimeout);
    connect(&d->reminderTimer, &QTimer::timeout, this, &AutosaveManager::autosaveReminderTimeout);
    connect(Model::Settings::instance(), &Model::Settings::autoSaveChanged, this,
            &AutosaveManager::updateSettings);
    updateSettings();
}

AutosaveManager::~AutosaveManager() = default;

void AutosaveManager::updateSettings()
{
    Model::Settings* settings = Model::Settings::instance();
    setSaveTimeInMin(settings->autoSaveIntervalMins());
    setNumFiles(settings->autoSaveNumFiles());
    if (!settings->autoSaveEnabled())
        stop();
    else
        // Any change of an autosave setting starts the wait from zero.
        d->saveTimer.start(d->intervalMs());
}

void AutosaveManager::reset()
{
    d->changed = false;
    d->nextFileNumber = 1;
    if (d->saveTimer.isActive())
        d->saveTimer.start(d->intervalMs());
}

void AutosaveManager::reset(const QDir& folder, const QString& sceneName)
{
    reset();
    QDateTime newest;
    for (int n = 1; n <= d->numFiles; ++n) {
        const QFileInfo backup(folder.absoluteFilePath(
            QStringLiteral("%1_backup%2.kw").arg(sceneName).arg(n)));
        if (backup.exists() && (!newest.isValid() || backup.lastModified() > newest)) {
            newest = backup.lastModified();
            d->nextFileNumber = n == d->numFiles ? 1 : n + 1;
        }
    }
}

void AutosaveManager::start()
{
    d->saveTimer.start(d->intervalMs());
}

void AutosaveManager::stop()
{
    d->saveTimer.stop();
    d->reminderTimer.stop();
}

void AutosaveManager::setNumFiles(int numFiles)
{
    if (numFiles == d->numFiles)
        return;
    d->numFiles = numFiles;
    if (d->nextFileNumber > numFiles)
        d->nextFileNumber = 1;
}

int AutosaveManager::numFiles() const
{
    return d->numFiles;
}

void AutosaveManager::setSaveTimeInSec(int seconds)
{
    if (seconds == d->intervalSeconds)
        return;
    const int elapsed = d->saveTimer.isActive()
                            ? d->saveTimer.interval() - d->saveTimer.remainingTime()
                            : 0;
    d->intervalSeconds = seconds;
    applyInterval(elapsed);
}

void AutosaveManager::setSaveTimeInMin(int minutes)
{
    setSaveTimeInSec(minutes * 60);
}

void AutosaveManager::applyInterval(int elapsed)
{
    // A running wait keeps the time it has already waited: the save is due
    // one new interval after the wait began, or at once when that has passed.
    if (d->saveTimer.isActive())
        d->saveTimer.start(std::max(0, d->intervalMs() - elapsed));
}

int AutosaveManager::saveInterval() const
{
    return d->intervalMs();
}

bool AutosaveManager::hasChanges() const
{
    return d->changed;
}

void AutosaveManager::setChanged()
{
    d->changed = true;
}

int AutosaveManager::nextFileNumber() const
{
    return d->nextFileNumber;
}

QString AutosaveManager::getNextFilename(const QString& sceneName) const
{
    return QStringLiteral("%1_backup%2.kw").arg(sceneName).arg(d->nextFileNumber);
}

void AutosaveManager::setAutosaveDone()
{
    d->changed = false;
    d->nextFileNumber = d->nextFileNumber >= d->numFiles ? 1 : d->nextFileNumber + 1;
    d->saveTimer.start(d->intervalMs());
    d->reminderTimer.stop();
}

void AutosaveManager::setAutosaveFailed()
{
    d->reminderTimer.stop();
    d->saveTimer.start(d->intervalMs());
}

void AutosaveManager::setAutosaveDelayed()
{
    d->reminderTimer.start(d->secondLength);
}

bool AutosaveManager::isSaveTimerActive() const
{
    return d->saveTimer.isActive();
}

bool AutosaveManager::isReminderTimerActive() const
{
    return d->reminderTimer.isActive();
}

qint64 AutosaveManager::currentSecsSinceEpoch() const
{
    return d->clock ? d->clock() : QDateTime::currentSecsSinceEpoch();
}

void AutosaveManager::setClock(Clock clock)
{
    d->clock = std::move(clock);
}

void AutosaveManager::setSecondLength(int milliseconds)
{
    d->secondLength = std::max(1, milliseconds);
    applyInterval(0);
}

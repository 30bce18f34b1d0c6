#pragma once

#include <QDir>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// When to write a backup of the current scene, and under which name. The
// scene is written at an interval, and only when it changed, into a small
// ring of numbered files "<scene name>_backup<n>.kw", so that a crash or a
// careless save never costs more than one interval of work. The manager only
// keeps time and counts; the main window does the writing.
//
// Every duration is counted in seconds of a settable length (1000 ms in the
// program) and "now" comes from a settable clock, so that tests run the
// timers in milliseconds and decide how old the last edit is.
class AutosaveManager : public QObject
{
    Q_OBJECT

public:
    // Whole seconds since the epoch.
    using Clock = std::function<qint64()>;

    explicit AutosaveManager(QObject* parent = nullptr);
    ~AutosaveManager() override;

    void reset();
    // As reset(), but when backups of the scene already lie in the folder the
    // ring goes on after the newest of them, so that the first backup after a
    // crash never overwrites the one that may hold the lost work.
    void reset(const QDir& folder, const QString& sceneName);
    void start();
    void stop();

    void setNumFiles(int numFiles);
    int numFiles() const;
    void setSaveTimeInSec(int seconds);
    void setSaveTimeInMin(int minutes);
    // In milliseconds.
    int saveInterval() const;

    bool hasChanges() const;
    void setChanged();

    int nextFileNumber() const;
    QString getNextFilename(const QString& sceneName) const;

    void setAutosaveDone();
    // A failed write keeps the changes and waits one full interval before the
    // next try, so that a full disk or an unwritable folder does not end
    // autosaving for the rest of the session.
    void setAutosaveFailed();
    void setAutosaveDelayed();

    bool isSaveTimerActive() const;
    bool isReminderTimerActive() const;

    qint64 currentSecsSinceEpoch() const;
    void setClock(Clock clock);
    // The length of one second of the manager's timers, in milliseconds.
    void setSecondLength(int milliseconds);

public slots:
    void updateSettings();

signals:
    void autosaveTimeout();
    void autosaveReminderTimeout();

private:
    void applyInterval(int milliseconds);

    struct Data;
    std::unique_ptr<Data> d;
};

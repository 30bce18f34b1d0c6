#include "autosave/AutosaveManager.h"

#include "TestSupport.h"

#include "settings/Settings.h"
#include "startup/Init.h"

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

class TestAutosaveManager : public QObject
{
    Q_OBJECT

    Model::Settings* settings() { return Model::Settings::instance(); }

private slots:
    void initTestCase() { Model::init(); }

    void init()
    {
        settings()->setAutoSaveEnabled(Model::Settings::defaultAutoSaveEnabled);
        settings()->setAutoSaveIntervalMins(Model::Settings::defaultAutoSaveIntervalMins);
        settings()->setAutoSaveNumFiles(Model::Settings::defaultAutoSaveNumFiles);
    }

    void startsOffWithFifteenMinutesAndThreeFiles()
    {
        AutosaveManager manager;
        QVERIFY(!settings()->autoSaveEnabled());
        QVERIFY(!manager.isSaveTimerActive());
        QCOMPARE(manager.saveInterval(), 15 * 60000);
        QCOMPARE(manager.numFiles(), 3);
        QCOMPARE(manager.getNextFilename("Walk"), QString("Walk_backup1.kw"));
        QVERIFY(!manager.hasChanges());
    }

    void settingsSwitchTheTimersAndRestartTheWait()
    {
        AutosaveManager manager;
        settings()->setAutoSaveEnabled(true);
        QVERIFY(manager.isSaveTimerActive());
        manager.setAutosaveDelayed();
        QVERIFY(manager.isReminderTimerActive());
        settings()->setAutoSaveEnabled(false);
        QVERIFY(!manager.isSaveTimerActive());
        QVERIFY(!manager.isReminderTimerActive());

        settings()->setAutoSaveIntervalMins(5);
        settings()->setAutoSaveNumFiles(5);
        QCOMPARE(manager.saveInterval(), 5 * 60000);
        QCOMPARE(manager.numFiles(), 5);
        QVERIFY(!manager.isSaveTimerActive());
    }

    void theRingGoesRoundTheNumberOfFiles()
    {
        AutosaveManager manager;
        QStringList names;
        for (int i = 0; i < 4; ++i) {
            manager.setChanged();
            names << manager.getNextFilename("Walk");
            manager.setAutosaveDone();
            QVERIFY(!manager.hasChanges());
            QVERIFY(manager.isSaveTimerActive());
        }
        QCOMPARE(names, (QStringList{"Walk_backup1.kw", "Walk_backup2.kw", "Walk_backup3.kw",
                                     "Walk_backup1.kw"}));
    }

    void fewerFilesBringTheNextNumberBackIntoTheRing_data()
    {
        QTest::addColumn<int>("newCount");
        QTest::addColumn<int>("expectedNext");
        QTest::newRow("5 to 2 at 4") << 2 << 1;
        QTest::newRow("5 to 4 at 4") << 4 << 4;
    }

    void fewerFilesBringTheNextNumberBackIntoTheRing()
    {
        QFETCH(int, newCount);
        QFETCH(int, expectedNext);
        AutosaveManager manager;
        manager.setNumFiles(5);
        for (int i = 0; i < 3; ++i)
            manager.setAutosaveDone();
        QCOMPARE(manager.nextFileNumber(), 4);
        manager.setNumFiles(newCount);
        QCOMPARE(manager.nextFileNumber(), expectedNext);
    }

    void timersRunOnTheirOwnSecondsAndFireTheirSignals()
    {
        AutosaveManager manager;
        manager.setSecondLength(1);
        manager.setSaveTimeInSec(5);
        QSignalSpy timeouts(&manager, &AutosaveManager::autosaveTimeout);
        QSignalSpy reminders(&manager, &AutosaveManager::autosaveReminderTimeout);
        manager.start();
        QVERIFY(timeouts.wait(1000));
        QVERIFY(!manager.isSaveTimerActive());
        manager.setAutosaveDelayed();
        QVERIFY(reminders.wait(1000));
        QCOMPARE(timeouts.size(), 1);
    }

    void aFailedWriteKeepsTheChangesAndWaitsAFullInterval()
    {
        AutosaveManager manager;
        manager.setChanged();
        manager.setAutosaveDelayed();
        manager.setAutosaveFailed();
        QVERIFY(manager.hasChanges());
        QVERIFY(manager.isSaveTimerActive());
        QVERIFY(!manager.isReminderTimerActive());
        QCOMPARE(manager.nextFileNumber(), 1);
    }

    void resetGoesOnAfterTheNewestExistingBackup_data()
    {
        QTest::addColumn<QList<int>>("ages"); // per slot 1..3, seconds old; -1: no file
        QTest::addColumn<int>("expectedNext");
        QTest::newRow("none") << QList<int>{-1, -1, -1} << 1;
        QTest::newRow("2 newest") << QList<int>{300, 100, 200} << 3;
        QTest::newRow("3 newest wraps") << QList<int>{300, 200, 100} << 1;
        QTest::newRow("only 1") << QList<int>{50, -1, -1} << 2;
    }

    void resetGoesOnAfterTheNewestExistingBackup()
    {
        QFETCH(QList<int>, ages);
        QFETCH(int, expectedNext);
        QTemporaryDir folder;
        const QDateTime now = QDateTime::currentDateTime();
        for (int n = 1; n <= 3; ++n) {
            if (ages[n - 1] < 0)
                continue;
            QFile file(folder.filePath(QString("Walk_backup%1.kw").arg(n)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(now.addSecs(-ages[n - 1]), QFileDevice::FileModificationTime));
        }
        AutosaveManager manager;
        manager.setAutosaveDone(); // the number of a previous scene is forgotten
        manager.setChanged();
        manager.reset(QDir(folder.path()), "Walk");
        QCOMPARE(manager.nextFileNumber(), expectedNext);
        QVERIFY(!manager.hasChanges());
    }
};

QUILLMERE_TEST_MAIN(TestAutosaveManager)
#include "tst_autosavemanager.moc"

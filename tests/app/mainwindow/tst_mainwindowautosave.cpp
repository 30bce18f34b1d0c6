#include "MainWindowFixture.h"

#include "FullDisk.h"
#include "TestSupport.h"

#include "autosave/AutosaveManager.h"
#include "files/FileWriter.h"
#include "settings/Settings.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>

// Backups through the window: the manager's seconds are a millisecond long
// and "now" is a number the test moves.
class TestMainWindowAutosave : public QObject
{
    Q_OBJECT

    struct Fixture : MainWindowFixture
    {
        Fixture()
        {
            Model::Settings::instance()->setDefaultSaveDir(QDir(folder.path()));
            manager()->setClock([this] { return now; });
            manager()->setSecondLength(1);
        }
        AutosaveManager* manager() const { return window->autosaveManager(); }
        void edit()
        {
            scene()->undoStack()->push(new QUndoCommand(QStringLiteral("edit")));
        }
        QString backup(int n) const
        {
            return QDir(folder.path()).filePath(QString("%1_backup%2.kw").arg(scene()->name()).arg(n));
        }

        QTemporaryDir folder;
        qint64 now = 1000000;
    };

    static Model::Settings* settings() { return Model::Settings::instance(); }

    static void defaultSettings()
    {
        settings()->setAutoSaveEnabled(false);
        settings()->setAutoSaveIntervalMins(Model::Settings::defaultAutoSaveIntervalMins);
        settings()->setAutoSaveNumFiles(Model::Settings::defaultAutoSaveNumFiles);
    }

private slots:
    void init() { defaultSettings(); }
    void cleanup() { defaultSettings(); }

    void fourSavesWithThreeFilesWriteOneTwoThreeOne()
    {
        Fixture f;
        QList<QDateTime> written;
        for (int i = 0; i < 4; ++i) {
            f.edit();
            f.now += 3;
            f.window->autosaveScene();
            QVERIFY(!f.manager()->hasChanges());
        }
        for (int n = 1; n <= 3; ++n)
            QVERIFY(QFileInfo::exists(f.backup(n)));
        QVERIFY(!QFileInfo::exists(f.backup(4)));
        QCOMPARE(f.manager()->nextFileNumber(), 2);
        QVERIFY(f.asked.isEmpty());
    }

    void anEditUnderTwoSecondsOldPostponesTheSave()
    {
        Fixture f;
        f.edit();
        f.now += 2;
        f.window->autosaveScene();
        QVERIFY(!QFileInfo::exists(f.backup(1)));
        QVERIFY(f.manager()->isReminderTimerActive());
        QVERIFY(f.manager()->hasChanges());

        // The reminder tries again every second until the edit has settled.
        QSignalSpy reminders(f.manager(), &AutosaveManager::autosaveReminderTimeout);
        QTRY_VERIFY(reminders.count() >= 2);
        QVERIFY(!QFileInfo::exists(f.backup(1)));
        f.now += 1;
        QTRY_VERIFY(QFileInfo::exists(f.backup(1)));
        QVERIFY(!f.manager()->hasChanges());
    }

    void withoutChangesNothingIsWrittenAndTheReminderPolls()
    {
        Fixture f;
        f.now += 100;
        f.window->autosaveScene();
        QVERIFY(f.manager()->isReminderTimerActive());
        QVERIFY(QDir(f.folder.path()).isEmpty());
    }

    void aBackupLeavesFileNameCleanStateAndRecentFilesAlone()
    {
        Fixture f;
        const QString own = QDir(f.folder.path()).filePath("own.kw");
        QVERIFY(f.window->saveScene(f.scene(), own));
        const QStringList recent = settings()->recentFiles();
        f.edit();
        f.now += 3;
        f.window->autosaveScene();
        QVERIFY(QFileInfo::exists(f.backup(1)));
        QCOMPARE(f.scene()->filename(), own);
        QVERIFY(!f.scene()->undoStack()->isClean());
        QCOMPARE(settings()->recentFiles(), recent);

        // A save by hand does not count as a backup.
        f.edit();
        QVERIFY(f.window->saveScene());
        QVERIFY(f.manager()->hasChanges());
    }

    void aFailedBackupWarnsOnceAndTriesAgainAfterAnInterval()
    {
        Fixture f;
        const QString blocked = QDir(f.folder.path()).filePath("not-a-folder");
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        settings()->setDefaultSaveDir(QDir(blocked));
        f.edit();
        f.now += 3;
        f.window->autosaveScene();
        QCOMPARE(f.asked.size(), 1);
        QVERIFY(f.asked.first().startsWith("Cannot write file"));
        QVERIFY(f.manager()->hasChanges());
        QVERIFY(f.manager()->isSaveTimerActive());

        f.window->autosaveScene();
        QCOMPARE(f.asked.size(), 1);
        QVERIFY(f.manager()->isSaveTimerActive());

        settings()->setDefaultSaveDir(QDir(f.folder.path()));
        f.window->autosaveScene();
        QVERIFY(QFileInfo::exists(f.backup(1)));
        QVERIFY(!f.manager()->hasChanges());
    }

    void aMissingSaveFolderIsMadeForTheBackup()
    {
        // A fresh account without its documents folder.
        Fixture f;
        const QString documents = QDir(f.folder.path()).filePath("Documents");
        settings()->setDefaultSaveDir(QDir(documents));
        f.edit();
        f.now += 3;
        f.window->autosaveScene();
        QCOMPARE(f.asked, QStringList());
        QVERIFY(QFileInfo::exists(
            QDir(documents).filePath(QFileInfo(f.backup(1)).fileName())));
        QVERIFY(!f.manager()->hasChanges());

        // A parent that is gone is not made again: the write says why.
        const QString vanished = QDir(f.folder.path()).filePath("drive/Scenes");
        settings()->setDefaultSaveDir(QDir(vanished));
        f.edit();
        f.now += 3;
        f.window->autosaveScene();
        QCOMPARE(f.asked.size(), 1);
        QVERIFY2(f.asked.first().endsWith(Model::FileWriter::systemReason(ENOENT) + "."),
                 qPrintable(f.asked.first()));
        QVERIFY(!QFileInfo::exists(QDir(f.folder.path()).filePath("drive")));
        QVERIFY(f.manager()->hasChanges());
    }

    void aBackupOntoAFullDiskKeepsTheEarlierBackup()
    {
        TestSupport::FullDisk disk;
        QUILLMERE_REQUIRE_FULL_DISK(disk);
        Fixture f;
        settings()->setDefaultSaveDir(QDir(disk.path()));
        settings()->setAutoSaveNumFiles(1);
        const QString backup = QDir(disk.path()).filePath(QFileInfo(f.backup(1)).fileName());
        f.edit();
        f.now += 3;
        f.window->autosaveScene();
        const QByteArray earlier = TestSupport::fileContents(backup);
        QVERIFY(!earlier.isEmpty());

        QVERIFY(disk.fill());
        f.edit();
        f.now += 3;
        f.window->autosaveScene();
        QCOMPARE(f.asked, QStringList{QString("Cannot write file %1:\n%2.")
                                          .arg(QDir::toNativeSeparators(backup),
                                               Model::FileWriter::systemReason(ENOSPC))});
        QCOMPARE(TestSupport::fileContents(backup), earlier);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{".filler", QFileInfo(backup).fileName()}));
        QVERIFY(f.manager()->hasChanges());

        disk.release();
        f.now += 3;
        f.window->autosaveScene();
        QVERIFY(!f.manager()->hasChanges());
        QCOMPARE(f.asked.size(), 1);
    }

    void aTimeoutWithoutASceneKeepsWaiting()
    {
        Fixture f;
        f.edit();
        f.window->setKWScene(nullptr);
        f.window->autosaveScene();
        QVERIFY(f.manager()->isSaveTimerActive());
        QVERIFY(f.manager()->hasChanges());
    }

    void reopeningAfterACrashKeepsTheNewestBackup()
    {
        Fixture f;
        const QString walk = QDir(f.folder.path()).filePath("walk.kw");
        QVERIFY(f.window->saveScene(f.scene(), walk));
        const QDateTime now = QDateTime::currentDateTime();
        for (int n : {1, 2}) {
            QFile backup(QDir(f.folder.path()).filePath(QString("walk_backup%1.kw").arg(n)));
            QVERIFY(backup.open(QIODevice::WriteOnly));
            QVERIFY(backup.setFileTime(now.addSecs(n == 2 ? -10 : -100),
                                       QFileDevice::FileModificationTime));
        }
        f.window->newScene(MainWindow::NewSceneWithoutAsking);
        QCOMPARE(f.manager()->nextFileNumber(), 1);
        QVERIFY(f.window->openFile(walk));
        QCOMPARE(f.manager()->nextFileNumber(), 3);
        f.edit();
        f.now += 3;
        f.window->autosaveScene();
        QVERIFY(QFileInfo::exists(f.backup(3)));
    }

    void theTimersDriveTheBackupsWhenSwitchedOn()
    {
        Fixture f;
        settings()->setAutoSaveIntervalMins(5); // 300 of the manager's short seconds
        settings()->setAutoSaveEnabled(true);
        QVERIFY(f.manager()->isSaveTimerActive());
        f.edit();
        f.now += 3;
        QTRY_VERIFY(QFileInfo::exists(f.backup(1)));
        f.edit();
        f.now += 3;
        QTRY_VERIFY(QFileInfo::exists(f.backup(2)));
        settings()->setAutoSaveEnabled(false);
        QVERIFY(!f.manager()->isSaveTimerActive());
        QVERIFY(!f.manager()->isReminderTimerActive());
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowAutosave)
#include "tst_mainwindowautosave.moc"

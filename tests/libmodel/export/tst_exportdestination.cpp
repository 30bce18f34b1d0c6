// An export aimed at a folder that is not there: every kind says so, names
// the folder, and writes nothing anywhere.
#include "TestSupport.h"

#include "ExportFixture.h"

#include "settings/ExportExposureSheetSettings.h"
#include "settings/ExportFramesSettings.h"
#include "settings/ExportVideoSettings.h"

#include <QProgressDialog>

using namespace ExportFixture;

class TestExportDestination : public QObject
{
    Q_OBJECT

private slots:
    void missingFolderIsNamed_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("frames") << QStringLiteral("frames");
        QTest::newRow("exposure sheet") << QStringLiteral("oca");
        QTest::newRow("gif") << QStringLiteral("gif");
        QTest::newRow("mp4") << QStringLiteral("mp4");
    }

    void missingFolderIsNamed()
    {
        QFETCH(QString, kind);
        ExportScene s;
        s.add(QStringLiteral("A"), QStringLiteral("AB"));
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("gone/deeper"));
        Prompts prompts;
        QProgressDialog progress;

        if (kind == QLatin1String("frames")) {
            Model::ExportFramesSettings settings;
            settings.name = QStringLiteral("shot");
            settings.exportDir = missing;
            s.scene.exportFrames(settings, progress);
        } else if (kind == QLatin1String("oca")) {
            Model::ExportExposureSheetSettings settings;
            settings.name = QStringLiteral("shot.oca");
            settings.exportDir = missing;
            s.scene.exportExposureSheet(settings, progress);
        } else {
            Model::ExportVideoSettings settings;
            settings.videoFormat = kind == QLatin1String("gif") ? Model::ExportVideoSettings::GIF
                                                                : Model::ExportVideoSettings::MP4;
            settings.name = QStringLiteral("shot.") + kind;
            settings.exportDir = missing;
            s.scene.exportVideo(settings, progress);
        }

        QCOMPARE(prompts.critical.size(), 1);
        const QString told = prompts.critical.first();
        QVERIFY2(told.contains(QStringLiteral("does not exist")), qPrintable(told));
        QVERIFY2(told.contains(QDir::toNativeSeparators(missing)), qPrintable(told));
        QCOMPARE(listing(dir.path()), QStringList());
        QVERIFY(!QFileInfo::exists(missing));
    }
};

QUILLMERE_TEST_MAIN(TestExportDestination)
#include "tst_exportdestination.moc"

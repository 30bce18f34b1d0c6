// Where an export goes: a folder that is not there, a symbolic link at the
// name, what a killed export of the name left behind.
#include "TestSupport.h"

#include "ExportFixture.h"

#include <QFile>
#include <QFileInfo>

using namespace ExportFixture;

namespace {

void makeFile(QString const& path, QByteArray const& bytes = "earlier")
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entries(QString const& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                      | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

class TestExportDestination : public QObject
{
    Q_OBJECT

private slots:
    void missingFolderIsNamed_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("frames") << Kind::PngFrames << QStringLiteral("shot");
        QTest::newRow("exposure sheet") << Kind::PackageOfPngs << QStringLiteral("shot.oca");
        QTest::newRow("gif") << Kind::Gif << QStringLiteral("shot.gif");
        QTest::newRow("mp4") << Kind::Mp4 << QStringLiteral("shot.mp4");
    }

    void missingFolderIsNamed()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        ExportScene s;
        s.add(QStringLiteral("A"), QStringLiteral("AB"));
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("gone/deeper"));
        Prompts prompts;

        exportAs(kind, s.scene, missing, name);

        QCOMPARE(prompts.critical.size(), 1);
        const QString told = prompts.critical.first();
        QVERIFY2(told.contains(QStringLiteral("does not exist")), qPrintable(told));
        QVERIFY2(told.contains(QDir::toNativeSeparators(missing)), qPrintable(told));
        QCOMPARE(listing(dir.path()), QStringList());
        QVERIFY(!QFileInfo::exists(missing));
    }

    // A symbolic link the user made at the name stays, and what it leads to
    // is replaced, keeping its permissions.
    void aLinkAtTheNameIsWrittenThrough_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::newRow("png frame") << Kind::PngFrames << QStringLiteral("shot")
                                   << QStringLiteral("shot.A.0001.png");
        QTest::newRow("exposure sheet") << Kind::PackageOfPngs << QStringLiteral("shot.oca")
                                        << QStringLiteral("shot.oca");
        QTest::newRow("gif") << Kind::Gif << QStringLiteral("shot.gif") << QStringLiteral("shot.gif");
        QTest::newRow("mp4") << Kind::Mp4 << QStringLiteral("shot.mp4") << QStringLiteral("shot.mp4");
    }

    void aLinkAtTheNameIsWrittenThrough()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        QFETCH(QString, written);
        ExportScene s;
        s.add(QStringLiteral("A"), QStringLiteral("A"));
        QTemporaryDir dir;
        QString const folder = dir.filePath(QStringLiteral("exports"));
        QString const real = dir.filePath(QStringLiteral("kept/real"));
        bool const package = kind == Kind::PackageOfPngs;
        QFile::Permissions const permissions = package
            ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                  | QFile::ExeGroup
            : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        if (package)
            makeFile(real + QStringLiteral("/old.png"));
        else
            makeFile(real);
        QVERIFY(QFile::setPermissions(real, permissions));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::link(real, QDir(folder).filePath(written)));
        Prompts prompts;

        exportAs(kind, s.scene, folder, name);

        QCOMPARE(prompts.critical, QStringList());
        QFileInfo const link(QDir(folder).filePath(written));
        QVERIFY(link.isSymLink());
        QCOMPARE(link.symLinkTarget(), real);
        // The user's own bits follow the owner's.
        QCOMPARE(QFile::permissions(real) & ~QFile::Permissions(0x0f00), permissions);
        if (package)
            QCOMPARE(entries(real), (QStringList{QStringLiteral("A"), QStringLiteral("shot.oca")}));
        else
            QVERIFY(TestSupport::fileContents(real) != "earlier");
        QCOMPARE(entries(folder), QStringList{written});
        QCOMPARE(entries(QFileInfo(real).absolutePath()), QStringList{QStringLiteral("real")});
    }

    // A killed export leaves its hidden work beside the name; the next export
    // of that name removes it, and nothing else.
    void leftoversOfKilledExportsOfTheNameGo_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("leftovers");
        QTest::addColumn<QStringList>("kept");
        QStringList const bystanders{QStringLiteral(".export-AbCd12-other.mp4"),
                                     QStringLiteral(".other.oca.partial-AbCd12/package/x"),
                                     QStringLiteral(".shot.oca.partial-AbCd12.mine"),
                                     QStringLiteral("notes.txt")};
        QTest::newRow("frames")
            << Kind::PngFrames << QStringLiteral("shot") << QStringLiteral("shot.A.0001.png")
            << QStringList{QStringLiteral(".shot.A.0001.png.partial-AbCd12"),
                           QStringLiteral(".shot.B.0107.hold.png.partial-zz99ZZ")}
            << bystanders + QStringList{QStringLiteral(".shot.A.0001.exr.partial-AbCd12"),
                                        QStringLiteral(".shots.A.0001.png.partial-AbCd12")};
        QTest::newRow("exposure sheet")
            << Kind::PackageOfPngs << QStringLiteral("shot.oca") << QStringLiteral("shot.oca")
            << QStringList{QStringLiteral(".shot.oca.partial-AbCd12/package/A/shot.A.0001.png"),
                           QStringLiteral(".shot.oca.old-0123456789abcdef0123456789abcdef/shot.oca")}
            << bystanders;
        QTest::newRow("gif") << Kind::Gif << QStringLiteral("shot.gif") << QStringLiteral("shot.gif")
                             << QStringList{QStringLiteral(".export-AbCd12-shot.gif"),
                                            QStringLiteral(".shot.gif.partial-AbCd12")}
                             << bystanders;
        QTest::newRow("mp4") << Kind::Mp4 << QStringLiteral("shot.mp4") << QStringLiteral("shot.mp4")
                             << QStringList{QStringLiteral(".export-AbCd12-shot.mp4"),
                                            QStringLiteral(".export-zz99ZZ-shot.mp4")}
                             << bystanders;
    }

    void leftoversOfKilledExportsOfTheNameGo()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        QFETCH(QString, written);
        QFETCH(QStringList, leftovers);
        QFETCH(QStringList, kept);
        ExportScene s;
        s.add(QStringLiteral("A"), QStringLiteral("A"));
        QTemporaryDir dir;
        for (QString const& path : leftovers + kept)
            makeFile(dir.filePath(path));
        // A package of the name: a moved-aside earlier one is no longer the
        // only copy.
        if (kind == Kind::PackageOfPngs)
            makeFile(dir.filePath(QStringLiteral("shot.oca/shot.oca")));
        Prompts prompts;

        exportAs(kind, s.scene, dir.path(), name);

        QCOMPARE(prompts.critical, QStringList());
        QStringList expected{written};
        for (QString const& path : kept)
            expected << path.section(QLatin1Char('/'), 0, 0);
        expected.sort();
        QCOMPARE(entries(dir.path()), expected);
    }
};

QUILLMERE_TEST_MAIN(TestExportDestination)
#include "tst_exportdestination.moc"

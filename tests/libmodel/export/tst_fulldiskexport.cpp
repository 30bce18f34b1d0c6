#include "FullDisk.h"
#include "TestSupport.h"

#include "ExportFixture.h"

#include "files/FileWriter.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <unistd.h>

using namespace ExportFixture;

namespace {

QByteArray const Earlier("an earlier output, which must stay as it was");

// What each export writes, as far as an earlier output of the same names goes.
QStringList earlierOutputOf(Kind kind)
{
    switch (kind) {
    case Kind::PngFrames:
        return {QStringLiteral("shot.A.0001.png"), QStringLiteral("shot.A.0003.png")};
    case Kind::ExrFrames:
        return {QStringLiteral("shot.A.0001.exr")};
    case Kind::PackageOfPngs:
    case Kind::PackageOfExrs:
        return {QStringLiteral("shot.oca/shot.oca"), QStringLiteral("shot.oca/A/old.png")};
    case Kind::Gif:
        return {QStringLiteral("shot.gif")};
    case Kind::Mp4:
        return {QStringLiteral("shot.mp4")};
    }
    return {};
}

QString nameOf(Kind kind)
{
    return kind == Kind::Gif   ? QStringLiteral("shot.gif")
           : kind == Kind::Mp4 ? QStringLiteral("shot.mp4")
                               : QStringLiteral("shot");
}

} // namespace

// Every export over an earlier output on a full (or nearly full) disk: the
// user is told why, the earlier output stays exactly as it was, and nothing
// half written is left beside it.
class TestFullDiskExport : public QObject
{
    Q_OBJECT

private slots:
    void earlierOutputSurvivesAFullDisk_data();
    void earlierOutputSurvivesAFullDisk();
};

void TestFullDiskExport::earlierOutputSurvivesAFullDisk_data()
{
    // sequence: the files the export writes, in order, as far as a full disk
    // lets it: it writes a beginning of them and stops at the first it
    // cannot. mostWritten: how many at most fit.
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<int>("sparePages");
    QTest::addColumn<QStringList>("sequence");
    QTest::addColumn<int>("mostWritten");
    QStringList const frames{"shot.A.0001.png", "shot.A.0002.png", "shot.A.0003.png",
                             "shot.A.0004.png"};
    QTest::newRow("png frames") << Kind::PngFrames << 0 << frames << 0;
    // Room for one more file: the first frame may replace its earlier file,
    // which gives its room back to the second; the third cannot fit. Which
    // of them are written depends on how the encoders on the other cores
    // share the room, but never out of order.
    QTest::newRow("png frames, room for one more") << Kind::PngFrames << 1 << frames << 2;
    QTest::newRow("exr frames") << Kind::ExrFrames << 0 << QStringList() << 0;
    QTest::newRow("package of pngs") << Kind::PackageOfPngs << 0 << QStringList() << 0;
    QTest::newRow("package of exrs") << Kind::PackageOfExrs << 0 << QStringList() << 0;
    QTest::newRow("gif") << Kind::Gif << 0 << QStringList() << 0;
    QTest::newRow("mp4") << Kind::Mp4 << 0 << QStringList() << 0;
}

void TestFullDiskExport::earlierOutputSurvivesAFullDisk()
{
    QFETCH(Kind, kind);
    QFETCH(int, sparePages);
    QFETCH(QStringList, sequence);
    QFETCH(int, mostWritten);
    TestSupport::FullDisk disk;
    QUILLMERE_REQUIRE_FULL_DISK(disk);

    ExportScene s;
    s.add(QStringLiteral("A"), QStringLiteral("ABCD"));
    QStringList const earlier = earlierOutputOf(kind);
    for (QString const& name : earlier) {
        QVERIFY(QDir(disk.path()).mkpath(QFileInfo(name).path()));
        QFile file(disk.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(Earlier), Earlier.size());
    }
    QVERIFY(disk.fill(qint64(sparePages) * ::sysconf(_SC_PAGESIZE)));

    Prompts prompts;
    exportAs(kind, s.scene, disk.path(), nameOf(kind));

    QCOMPARE(prompts.critical.size(), 1);
    QString const reason = Model::FileWriter::systemReason(ENOSPC);
    QVERIFY2(prompts.critical.first().startsWith(QStringLiteral("Export failed|"))
                 && prompts.critical.first().endsWith(QStringLiteral("\n%1.").arg(reason)),
             qPrintable(prompts.critical.first()));
    QStringList written;
    for (QString const& name : sequence)
        if (QFileInfo::exists(disk.filePath(name))
            && TestSupport::fileContents(disk.filePath(name)) != Earlier)
            written << name;
    QVERIFY2(written.size() <= mostWritten && written == sequence.mid(0, written.size()),
             qPrintable(written.join(QLatin1Char(' '))));
    for (QString const& name : earlier)
        if (!written.contains(name))
            QCOMPARE(TestSupport::fileContents(disk.filePath(name)), Earlier);
    QStringList expected = earlier + written + QStringList{QStringLiteral(".filler")};
    expected.removeDuplicates();
    expected.sort();
    QCOMPARE(listing(disk.path()), expected);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList(earlier.first().contains(QLatin1Char('/'))
                             ? QStringList{QStringLiteral("shot.oca")}
                             : QStringList()));
    for (QString const& name : written)
        QCOMPARE(QImage(disk.filePath(name)).size(), FrameSize);
}

QUILLMERE_TEST_MAIN(TestFullDiskExport)
#include "tst_fulldiskexport.moc"

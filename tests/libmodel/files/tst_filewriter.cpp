#include "FullDisk.h"
#include "TestSupport.h"

#include "files/FileWriter.h"
#include "files/PackageWriter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cerrno>
#include <cmath>
#include <map>
#include <optional>

namespace {

bool writeDirectly(QString const& path, QByteArray const& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// Everything in the folder, hidden entries included, but the disk's filler.
QStringList entries(QString const& path)
{
    QStringList names = QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                 | QDir::NoDotAndDotDot,
                                             QDir::Name);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

QImage noise(int side)
{
    return TestSupport::noise(QSize(side, side));
}

enum class Way { Bytes, Device, Image };

bool writeThrough(Way way, QString const& path, int size, QString* error)
{
    switch (way) {
    case Way::Bytes:
        return Model::FileWriter::writeFile(path, QByteArray(size, 'x'), error);
    case Way::Device: {
        // As the writers that stream into a device use it: their own write
        // results unchecked, the commit tells.
        Model::FileWriter file(path);
        if (!file.open(QIODevice::Text)) {
            *error = file.errorString();
            return false;
        }
        for (int i = 0; i < size / 100; ++i)
            file.device()->write(QByteArray(99, 'y') + '\n');
        bool const committed = file.commit();
        *error = file.errorString();
        return committed;
    }
    case Way::Image:
        return Model::FileWriter::writeImage(path, noise(int(std::sqrt(size / 4.0))), "png", error);
    }
    return false;
}

} // namespace

class TestFileWriter : public QObject
{
    Q_OBJECT

private slots:
    void replacesTheFileWhole_data();
    void replacesTheFileWhole();
    void fullDiskKeepsTheEarlierFile_data();
    void fullDiskKeepsTheEarlierFile();
    void failureToCreateNamesTheReason();
    void anUncommittedWriteLeavesNothing();
    void nothingSlipsPastAnEarlierFlush();
    void packageTakesThePlaceOfTheEarlierOne_data();
    void packageTakesThePlaceOfTheEarlierOne();
    void packageOnAFullDiskKeepsTheEarlierOne();
    void packageFolderFailureNamesTheReason();
    void anInterruptedReplacementLeavesAWholePackage_data();
    void anInterruptedReplacementLeavesAWholePackage();
    void aFailedRollBackSaysWhereTheEarlierPackageIs();
    void aFolderThatWillNotSyncIsToldApart();
};

void TestFileWriter::replacesTheFileWhole_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<int>("size");
    QTest::newRow("bytes, small") << Way::Bytes << 2000;
    QTest::newRow("bytes, beyond the buffer") << Way::Bytes << 300000;
    QTest::newRow("device, small") << Way::Device << 2000;
    QTest::newRow("device, beyond the buffer") << Way::Device << 300000;
    QTest::newRow("image") << Way::Image << 40000;
}

void TestFileWriter::replacesTheFileWhole()
{
    QFETCH(Way, way);
    QFETCH(int, size);
    QTemporaryDir dir;
    QString const path = dir.filePath(QStringLiteral("target"));
    QVERIFY(writeDirectly(path, QByteArray(size * 2, 'o')));
    QString error;
    QVERIFY2(writeThrough(way, path, size, &error), qPrintable(error));
    QVERIFY(error.isEmpty());
    if (way == Way::Image) {
        QImage const expected = noise(int(std::sqrt(size / 4.0)));
        QCOMPARE(QImage(path).convertToFormat(expected.format()), expected);
    } else {
        QByteArray const written = TestSupport::fileContents(path);
        QCOMPARE(written.size(), size);
        QCOMPARE(written.count(way == Way::Bytes ? 'x' : 'y'), way == Way::Bytes ? size : size / 100 * 99);
    }
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("target")});
}

void TestFileWriter::fullDiskKeepsTheEarlierFile_data()
{
    replacesTheFileWhole_data();
}

void TestFileWriter::fullDiskKeepsTheEarlierFile()
{
    QFETCH(Way, way);
    QFETCH(int, size);
    TestSupport::FullDisk disk;
    QUILLMERE_REQUIRE_FULL_DISK(disk);
    QString const path = disk.filePath(QStringLiteral("target"));
    QByteArray const earlier("the earlier file, which must survive");
    QVERIFY(writeDirectly(path, earlier));
    QVERIFY(disk.fill());

    QString error;
    {
        // Qt's PNG writer loses its list of row pointers when the image
        // library gives up on a failed write.
        std::optional<TestSupport::LeaksIgnored> lostByQt;
        if (way == Way::Image)
            lostByQt.emplace();
        QVERIFY(!writeThrough(way, path, size, &error));
    }
    QCOMPARE(error, Model::FileWriter::systemReason(ENOSPC));
    QCOMPARE(TestSupport::fileContents(path), earlier);
    QCOMPARE(entries(disk.path()), QStringList{QStringLiteral("target")});

    // With room again the same write succeeds: nothing was left in the way.
    disk.release();
    QVERIFY2(writeThrough(way, path, size, &error), qPrintable(error));
    QVERIFY(TestSupport::fileContents(path) != earlier);
}

void TestFileWriter::failureToCreateNamesTheReason()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!Model::FileWriter::writeFile(dir.filePath(QStringLiteral("missing/target")), "x",
                                          &error));
    QCOMPARE(error, Model::FileWriter::systemReason(ENOENT));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing"))));
}

void TestFileWriter::anUncommittedWriteLeavesNothing()
{
    QTemporaryDir dir;
    QString const path = dir.filePath(QStringLiteral("target"));
    QVERIFY(writeDirectly(path, "earlier"));
    {
        Model::FileWriter file(path);
        QVERIFY(file.open());
        QVERIFY(file.write(QByteArray(100000, 'n')));
    }
    {
        Model::FileWriter file(path);
        QVERIFY(file.open());
        QVERIFY(file.write("new"));
        file.discard();
        QVERIFY(!file.commit());
    }
    QCOMPARE(TestSupport::fileContents(path), QByteArray("earlier"));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("target")});
}

// The flush may run on a worker thread and the commit later on another:
// what happens between them still counts.
void TestFileWriter::nothingSlipsPastAnEarlierFlush()
{
    QTemporaryDir dir;
    QString const path = dir.filePath(QStringLiteral("target"));
    QVERIFY(writeDirectly(path, "earlier"));
    {
        Model::FileWriter file(path);
        QVERIFY(file.open());
        QVERIFY(file.write("new"));
        QVERIFY(file.flush());
        QVERIFY(!file.fail(QStringLiteral("the encoder gave up")));
        QVERIFY(!file.commit());
        QCOMPARE(file.errorString(), QStringLiteral("the encoder gave up"));
    }
    QCOMPARE(TestSupport::fileContents(path), QByteArray("earlier"));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("target")});
    {
        Model::FileWriter file(path);
        QVERIFY(file.open());
        QIODevice* const device = file.device();
        QCOMPARE(device->write("first "), qint64(6));
        QVERIFY(file.flush());
        QCOMPARE(device->write("second"), qint64(6));
        QVERIFY2(file.commit(), qPrintable(file.errorString()));
    }
    QCOMPARE(TestSupport::fileContents(path), QByteArray("first second"));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("target")});
}

void TestFileWriter::packageTakesThePlaceOfTheEarlierOne_data()
{
    QTest::addColumn<QString>("earlier");
    QTest::newRow("nothing") << QString();
    QTest::newRow("a package") << QStringLiteral("folder");
    QTest::newRow("a file") << QStringLiteral("file");
}

void TestFileWriter::packageTakesThePlaceOfTheEarlierOne()
{
    QFETCH(QString, earlier);
    QTemporaryDir dir;
    QString const target = dir.filePath(QStringLiteral("out/package"));
    if (earlier == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(target + QStringLiteral("/old")));
        QVERIFY(writeDirectly(target + QStringLiteral("/old/image"), "old"));
    } else if (earlier == QLatin1String("file")) {
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("out"))));
        QVERIFY(writeDirectly(target, "old"));
    }

    Model::PackageWriter package(target);
    QVERIFY2(package.open(), qPrintable(package.errorString()));
    QVERIFY(package.makeFolder(QStringLiteral("layer")));
    QString error;
    QVERIFY(Model::FileWriter::writeFile(package.buildPath() + QStringLiteral("/layer/image"),
                                         "new", &error));
    QVERIFY(!QFileInfo(target + QStringLiteral("/layer")).exists());
    QVERIFY2(package.commit(), qPrintable(package.errorString()));

    QCOMPARE(TestSupport::fileContents(target + QStringLiteral("/layer/image")), QByteArray("new"));
    QCOMPARE(entries(target), QStringList{QStringLiteral("layer")});
    QCOMPARE(entries(dir.filePath(QStringLiteral("out"))), QStringList{QStringLiteral("package")});
    QVERIFY(package.leftoverPath().isEmpty());
}

void TestFileWriter::packageOnAFullDiskKeepsTheEarlierOne()
{
    TestSupport::FullDisk disk;
    QUILLMERE_REQUIRE_FULL_DISK(disk);
    QString const target = disk.filePath(QStringLiteral("package"));
    QVERIFY(QDir().mkpath(target + QStringLiteral("/layer")));
    QVERIFY(writeDirectly(target + QStringLiteral("/layer/image"), "old"));
    QVERIFY(disk.fill());
    {
        Model::PackageWriter package(target);
        QString error;
        bool const built = package.open() && package.makeFolder(QStringLiteral("layer"))
                           && Model::FileWriter::writeFile(
                               package.buildPath() + QStringLiteral("/layer/image"),
                               QByteArray(5000, 'n'), &error);
        QVERIFY(!built);
        QCOMPARE(error + package.errorString(), Model::FileWriter::systemReason(ENOSPC));
    }
    QCOMPARE(TestSupport::fileContents(target + QStringLiteral("/layer/image")), QByteArray("old"));
    QCOMPARE(entries(disk.path()), QStringList{QStringLiteral("package")});
}

void TestFileWriter::packageFolderFailureNamesTheReason()
{
    QTemporaryDir dir;
    QString const blocker = dir.filePath(QStringLiteral("file"));
    QVERIFY(writeDirectly(blocker, "x"));
    Model::PackageWriter below(blocker + QStringLiteral("/package"));
    QVERIFY(!below.open());
    QCOMPARE(below.failure(), Model::PackageWriter::Failure::Build);
    QVERIFY2(below.errorString() == Model::FileWriter::systemReason(ENOTDIR)
                 || below.errorString() == Model::FileWriter::systemReason(EEXIST),
             qPrintable(below.errorString()));

    {
        Model::PackageWriter package(dir.filePath(QStringLiteral("package")));
        QVERIFY(package.open());
        QVERIFY(package.makeFolder(QStringLiteral("layer")));
        QVERIFY(!package.makeFolder(QStringLiteral("layer")));
        QCOMPARE(package.errorString(), Model::FileWriter::systemReason(EEXIST));
        QVERIFY(!package.commit());
    }
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("file")});
    QVERIFY(TestSupport::fileContents(blocker) == "x");
}

using Step = Model::PackageWriter::Step;
using Steps = std::map<Step, int>;

namespace {

// A package of one file, layer/image, holding text, replacing what is at
// target; steps chooses the outcome of commit()'s steps.
bool writePackage(QString const& target, QByteArray const& text, Steps const& steps,
                  Model::PackageWriter::Failure* failure = nullptr, QString* leftover = nullptr,
                  QString* error = nullptr)
{
    Model::PackageWriter package(target);
    package.setStepHook([&steps](Step step) {
        auto const found = steps.find(step);
        return found == steps.end() ? 0 : found->second;
    });
    QString ignored;
    bool const written = package.open() && package.makeFolder(QStringLiteral("layer"))
                         && Model::FileWriter::writeFile(
                             package.buildPath() + QStringLiteral("/layer/image"), text, &ignored)
                         && package.commit();
    if (failure)
        *failure = package.failure();
    if (leftover)
        *leftover = package.leftoverPath();
    if (error)
        *error = package.errorString();
    return written;
}

} // namespace

void TestFileWriter::anInterruptedReplacementLeavesAWholePackage_data()
{
    // steps: where the writer is stopped as a killed program would be.
    // shown: the package the name holds then.
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QByteArray>("shown");
    int const killed = Model::PackageWriter::Killed;
    QTest::newRow("before the swap") << Steps{{Step::Exchange, killed}} << QByteArray("old");
    QTest::newRow("before the earlier one is removed")
        << Steps{{Step::RemoveEarlier, killed}} << QByteArray("new");
    // Where the system cannot exchange two names.
    QTest::newRow("two renames, before the earlier one is removed")
        << Steps{{Step::Exchange, EINVAL}, {Step::RemoveEarlier, killed}} << QByteArray("new");
}

void TestFileWriter::anInterruptedReplacementLeavesAWholePackage()
{
    QFETCH(Steps, steps);
    QFETCH(QByteArray, shown);
    QTemporaryDir dir;
    QString const target = dir.filePath(QStringLiteral("package"));
    QVERIFY(writePackage(target, "old", {}));
    // Hidden names of others, which stay.
    QStringList const others{QStringLiteral(".other.partial-AbCd12"),
                             QStringLiteral(".package.partial-AbCd12.mine")};
    for (QString const& name : others)
        QVERIFY(writeDirectly(dir.filePath(name), "someone else's"));

    QVERIFY(!writePackage(target, "new", steps));
    QCOMPARE(entries(target), QStringList{QStringLiteral("layer")});
    QCOMPARE(TestSupport::fileContents(target + QStringLiteral("/layer/image")), shown);
    QVERIFY(entries(dir.path()).size() > others.size() + 1);

    QVERIFY(writePackage(target, "next", {}));
    QCOMPARE(TestSupport::fileContents(target + QStringLiteral("/layer/image")),
             QByteArray("next"));
    QStringList expected = others + QStringList{QStringLiteral("package")};
    expected.sort();
    QCOMPARE(entries(dir.path()), expected);
}

void TestFileWriter::aFailedRollBackSaysWhereTheEarlierPackageIs()
{
    QTemporaryDir dir;
    QString const target = dir.filePath(QStringLiteral("package"));
    QVERIFY(writePackage(target, "old", {}));

    Model::PackageWriter::Failure failure = Model::PackageWriter::Failure::None;
    QString leftover;
    QString error;
    QVERIFY(!writePackage(target, "new",
                          Steps{{Step::Exchange, EINVAL}, {Step::MoveIn, EIO}, {Step::MoveBack, EIO}},
                          &failure, &leftover, &error));
    QCOMPARE(failure, Model::PackageWriter::Failure::MoveBack);
    QCOMPARE(error, Model::FileWriter::systemReason(EIO));
    QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(QFileInfo(leftover).absolutePath(), dir.path());
    QCOMPARE(TestSupport::fileContents(leftover + QStringLiteral("/layer/image")), QByteArray("old"));
    // Kept while it is the only copy.
    QVERIFY(writePackage(target, "next", {}));
    QVERIFY(QFileInfo::exists(leftover));
}

void TestFileWriter::aFolderThatWillNotSyncIsToldApart()
{
    // The new package has the name by then, and the earlier one is gone:
    // saying it could not be made would be untrue.
    QTemporaryDir dir;
    QString const target = dir.filePath(QStringLiteral("package"));
    QVERIFY(writePackage(target, "old", {}));

    Model::PackageWriter::Failure failure = Model::PackageWriter::Failure::None;
    QString error;
    QVERIFY(!writePackage(target, "new", Steps{{Step::SyncFolder, EIO}}, &failure, nullptr,
                          &error));
    QCOMPARE(failure, Model::PackageWriter::Failure::Sync);
    QCOMPARE(error, Model::FileWriter::systemReason(EIO));
    QCOMPARE(TestSupport::fileContents(target + QStringLiteral("/layer/image")), QByteArray("new"));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("package")});
}

QUILLMERE_TEST_MAIN(TestFileWriter)
#include "tst_filewriter.moc"

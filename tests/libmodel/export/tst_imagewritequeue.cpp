#include "TestSupport.h"

#include "export/ExportImage.h"
#include "export/ExrWriter.h"
#include "export/ImageWriteQueue.h"
#include "files/FileWriter.h"

#include <QDir>
#include <QTemporaryDir>

#include <cerrno>
#include <new>

using Model::ExportImage;
using Model::ImageWriteQueue;

namespace {

constexpr int Images = 24;

// A different picture for each index, so that a file written from the wrong
// image shows.
QImage picture(int index)
{
    QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x * 7 + y * 3 + index * 11) % 13 < 5)
                image.setPixel(x, y, qRgba(index * 10, x * 4, y * 5, 255));
    return image;
}

QString nameOf(int index)
{
    return QStringLiteral("f%1").arg(index, 4, 10, QLatin1Char('0'));
}

QStringList everything(QString const& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QStringList firstNames(int count, QString const& suffix)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << nameOf(i) + suffix;
    return names;
}

} // namespace

class TestImageWriteQueue : public QObject
{
    Q_OBJECT

private slots:
    void filesMatchThoseWrittenOneByOne_data();
    void filesMatchThoseWrittenOneByOne();
    void aFailureKeepsOnlyTheFilesBeforeIt();
    void stoppingDropsTheFilesNotYetInPlace();
    void anEncoderOutOfMemoryFailsItsFileWithTheReason();
};

void TestImageWriteQueue::filesMatchThoseWrittenOneByOne_data()
{
    QTest::addColumn<ExportImage::Format>("format");
    QTest::newRow("png") << ExportImage::PNG;
    QTest::newRow("openexr") << ExportImage::OpenEXR;
}

void TestImageWriteQueue::filesMatchThoseWrittenOneByOne()
{
    QFETCH(ExportImage::Format, format);
    QString const suffix = QLatin1Char('.') + ExportImage::extension(format);
    QTemporaryDir queued;
    QTemporaryDir single;
    QList<int> steps;
    {
        ImageWriteQueue queue(format, QSize(64, 48), [&](int step) {
            steps << step;
            return true;
        });
        for (int i = 1; i <= Images; ++i)
            QVERIFY(queue.add(picture(i), queued.filePath(nameOf(i) + suffix), i));
        QVERIFY(queue.finish());
        QVERIFY(!queue.failed());
    }
    QList<int> inOrder;
    for (int i = 1; i <= Images; ++i) {
        inOrder << i;
        // As the exports wrote each image before the queue.
        QString const path = single.filePath(nameOf(i) + suffix);
        QVERIFY(format == ExportImage::OpenEXR
                    ? Model::saveQImageAsExrFile(picture(i), path)
                    : Model::FileWriter::writeImage(path, picture(i), "png", nullptr));
    }
    QCOMPARE(steps, inOrder);
    QCOMPARE(everything(queued.path()), firstNames(Images, suffix));
    for (int i = 1; i <= Images; ++i)
        QCOMPARE(TestSupport::fileContents(queued.filePath(nameOf(i) + suffix)),
                 TestSupport::fileContents(single.filePath(nameOf(i) + suffix)));
}

void TestImageWriteQueue::aFailureKeepsOnlyTheFilesBeforeIt()
{
    QTemporaryDir dir;
    // A folder where the fifth file should go.
    QVERIFY(QDir(dir.path()).mkdir(nameOf(5) + QStringLiteral(".png")));
    ImageWriteQueue queue(ExportImage::PNG, QSize(64, 48), {});
    bool added = true;
    int i = 1;
    for (; i <= Images && added; ++i)
        added = queue.add(picture(i), dir.filePath(nameOf(i) + QStringLiteral(".png")), i);
    QVERIFY(!added || !queue.finish());
    QVERIFY(queue.failed());
    QCOMPARE(queue.failedPath(), dir.filePath(nameOf(5) + QStringLiteral(".png")));
    QVERIFY(!queue.errorString().isEmpty());
    // Nothing more is taken once a file failed.
    QVERIFY(!queue.add(picture(1), dir.filePath(QStringLiteral("late.png")), 99));
    QCOMPARE(everything(dir.path()), firstNames(5, QStringLiteral(".png")));
}

void TestImageWriteQueue::stoppingDropsTheFilesNotYetInPlace()
{
    QTemporaryDir dir;
    int committed = 0;
    {
        ImageWriteQueue queue(ExportImage::PNG, QSize(64, 48), [&](int) { return ++committed < 3; });
        bool added = true;
        for (int i = 1; i <= Images && added; ++i)
            added = queue.add(picture(i), dir.filePath(nameOf(i) + QStringLiteral(".png")), i);
        QVERIFY(!added || !queue.finish());
        QVERIFY(!queue.failed());
        // The files under way are still being written here; they are
        // dropped when the queue goes.
    }
    QCOMPARE(committed, 3);
    QCOMPARE(everything(dir.path()), firstNames(3, QStringLiteral(".png")));
}

void TestImageWriteQueue::anEncoderOutOfMemoryFailsItsFileWithTheReason()
{
    QTemporaryDir dir;
    QString const third = dir.filePath(nameOf(3) + QStringLiteral(".png"));
    ImageWriteQueue queue(ExportImage::PNG, QSize(64, 48), {});
    // Runs on the queue's workers; the third file's encoder has written part
    // of it when the memory runs out.
    queue.setEncodeForTesting([&third](QImage const& image, ExportImage::Format format,
                                       Model::FileWriter& file) {
        if (file.path() == third) {
            file.write(QByteArray(100, 'x'));
            throw std::bad_alloc();
        }
        return ExportImage::encode(image, format, file);
    });
    bool added = true;
    for (int i = 1; i <= Images && added; ++i)
        added = queue.add(picture(i), dir.filePath(nameOf(i) + QStringLiteral(".png")), i);
    QVERIFY(!added || !queue.finish());
    QCOMPARE(queue.failedPath(), third);
    QCOMPARE(queue.errorString(), Model::FileWriter::systemReason(ENOMEM));
    // Nothing half written: the files before it, whole, and no temporary.
    QCOMPARE(everything(dir.path()), firstNames(2, QStringLiteral(".png")));
    for (int i = 1; i <= 2; ++i)
        QCOMPARE(QImage(dir.filePath(nameOf(i) + QStringLiteral(".png"))).size(), QSize(64, 48));
}

QUILLMERE_TEST_MAIN(TestImageWriteQueue)
#include "tst_imagewritequeue.moc"

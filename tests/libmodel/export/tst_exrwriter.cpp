#include "TestSupport.h"

#include "export/ExrWriter.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <tinyexr.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<float> rgba;

    float at(int x, int y, int channel) const { return rgba[(std::size_t(y) * width + x) * 4 + channel]; }
};

Pixels readBack(QString const& path)
{
    Pixels pixels;
    float* data = nullptr;
    char const* error = nullptr;
    int const result = LoadEXR(&data, &pixels.width, &pixels.height, path.toUtf8().constData(),
                               &error);
    if (result != TINYEXR_SUCCESS) {
        if (error)
            FreeEXRErrorMessage(error);
        return pixels;
    }
    pixels.rgba.assign(data, data + std::size_t(pixels.width) * pixels.height * 4);
    std::free(data);
    return pixels;
}

} // namespace

class TestExrWriter : public QObject
{
    Q_OBJECT

private slots:
    void headerIsWhatCompositorsRead();
    void coloursBecomeLinearAlphaStaysLinear_data();
    void coloursBecomeLinearAlphaStaysLinear();
    void refusesWhatItCannotWrite_data();
    void refusesWhatItCannotWrite();

private:
    QTemporaryDir m_dir;
};

void TestExrWriter::headerIsWhatCompositorsRead()
{
    QImage image(5, 3, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QString const path = m_dir.filePath(QStringLiteral("header.exr"));
    QVERIFY(Model::saveQImageAsExrFile(image, path));

    QProcess tool;
    tool.start(QStringLiteral("exrheader"), {path});
    QVERIFY(tool.waitForFinished(10000));
    QCOMPARE(tool.exitCode(), 0);
    QString const header = QString::fromLocal8Bit(tool.readAllStandardOutput());
    QVERIFY2(header.contains(QRegularExpression(
                 QStringLiteral("channels \\(type chlist\\):\\s*"
                                "A, 16-bit floating-point, sampling 1 1\\s*"
                                "B, 16-bit floating-point, sampling 1 1\\s*"
                                "G, 16-bit floating-point, sampling 1 1\\s*"
                                "R, 16-bit floating-point, sampling 1 1\\s*"
                                "[a-z]"))),
             qPrintable(header));
    QVERIFY2(header.contains(QStringLiteral("compression (type compression): none")),
             qPrintable(header));
    QVERIFY2(header.contains(QStringLiteral("lineOrder (type lineOrder): increasing y")),
             qPrintable(header));
    QVERIFY2(header.contains(QStringLiteral("dataWindow (type box2i): (0 0) - (4 2)")),
             qPrintable(header));
}

void TestExrWriter::coloursBecomeLinearAlphaStaysLinear_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QRgb>("pixel"); // as stored in the image's own format
    QTest::addColumn<QList<double>>("rgba");

    double const half = std::pow(128 / 255.0, 2.2); // about 0.2195
    QTest::newRow("opaque white") << QImage::Format_ARGB32 << qRgba(255, 255, 255, 255)
                                  << QList<double>{1.0, 1.0, 1.0, 1.0};
    QTest::newRow("one channel at 128") << QImage::Format_ARGB32 << qRgba(128, 0, 255, 255)
                                        << QList<double>{half, 0.0, 1.0, 1.0};
    QTest::newRow("straight alpha stays linear")
        << QImage::Format_ARGB32 << qRgba(0, 128, 0, 128)
        << QList<double>{0.0, half, 0.0, 128 / 255.0};
    // Stored red 51 under alpha 51 is straight red 255.
    QTest::newRow("premultiplied is un-premultiplied first")
        << QImage::Format_ARGB32_Premultiplied << qRgba(51, 0, 0, 51)
        << QList<double>{1.0, 0.0, 0.0, 51 / 255.0};
}

void TestExrWriter::coloursBecomeLinearAlphaStaysLinear()
{
    QFETCH(QImage::Format, format);
    QFETCH(QRgb, pixel);
    QFETCH(QList<double>, rgba);

    QImage image(4, 2, format);
    image.fill(Qt::transparent);
    reinterpret_cast<QRgb*>(image.scanLine(1))[2] = pixel;
    QString const path = m_dir.filePath(QStringLiteral("%1.exr").arg(QTest::currentDataTag()));
    QVERIFY(Model::saveQImageAsExrFile(image, path));

    Pixels const back = readBack(path);
    QCOMPARE(back.width, 4);
    QCOMPARE(back.height, 2);
    for (int c = 0; c < 4; ++c) {
        // Half floats keep about three decimal digits.
        QVERIFY2(std::abs(back.at(2, 1, c) - rgba.at(c)) < 1e-3,
                 qPrintable(QStringLiteral("channel %1: %2, wanted %3")
                                .arg(c).arg(back.at(2, 1, c)).arg(rgba.at(c))));
        QCOMPARE(back.at(0, 0, c), 0.0f);
    }
}

void TestExrWriter::refusesWhatItCannotWrite_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QString>("where");

    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0)});
    indexed.fill(0);
    QImage fine(4, 4, QImage::Format_ARGB32);
    fine.fill(Qt::blue);
    QTest::newRow("null image") << QImage() << QStringLiteral("null.exr");
    QTest::newRow("indexed image") << indexed << QStringLiteral("indexed.exr");
    QTest::newRow("missing folder") << fine << QStringLiteral("no/such/folder/x.exr");
    QTest::newRow("a folder in the way") << fine << QStringLiteral("taken");
}

void TestExrWriter::refusesWhatItCannotWrite()
{
    QFETCH(QImage, image);
    QFETCH(QString, where);

    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("taken")));
    QString const path = m_dir.filePath(where);
    QVERIFY(!Model::saveQImageAsExrFile(image, path));
    QVERIFY(!QFileInfo(path).isFile());
}

QUILLMERE_TEST_MAIN(TestExrWriter)

#include "tst_exrwriter.moc"

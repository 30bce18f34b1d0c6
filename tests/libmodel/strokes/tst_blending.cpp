#include "TestSupport.h"

#include "strokes/Blending.h"

#include <QRandomGenerator>

#include <algorithm>
#include <vector>

using Model::Blending;

namespace {

int pen(int d, int s)
{
    return Blending::penTable()[d * 256 + s];
}

int eraser(int d, int s)
{
    return Blending::eraserTable()[d * 256 + s];
}

QImage randomImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_Alpha8);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < width; ++x)
            line[x] = static_cast<uchar>(random.bounded(256));
    }
    return image;
}

int pixel(const QImage& image, int x, int y)
{
    return image.constScanLine(y)[x];
}

} // namespace

class TestBlending : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void tableSpotValues_data();
    void tableSpotValues();
    void tableWholeRules();

    void fillImageClipsToImage_data();
    void fillImageClipsToImage();

    void blendImagesUsesTableOverClippedRect_data();
    void blendImagesUsesTableOverClippedRect();
    void blendImagesIntoItself();

    void maxBlendImagesShiftsSource_data();
    void maxBlendImagesShiftsSource();
    void maxBlendImagesOfImageWithItself();

    void vectorRowAgreesWithScalarRow();

    void operationsIgnoreImagesThatAreNotEightBit();
};

void TestBlending::initTestCase()
{
    Blending::initLookupTables();
    Blending::initLookupTables(); // a second call must leave the tables as they are
}

void TestBlending::tableSpotValues_data()
{
    QTest::addColumn<bool>("isPen");
    QTest::addColumn<int>("destination");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("expected");

    QTest::newRow("pen 128 over 128") << true << 128 << 128 << 191;
    QTest::newRow("pen 1 over 1") << true << 1 << 1 << 1;
    QTest::newRow("pen 255 over 0") << true << 0 << 255 << 255;
    QTest::newRow("eraser 128 from 128") << false << 128 << 128 << 63;
    QTest::newRow("eraser 1 from 254") << false << 254 << 1 << 253;
    QTest::newRow("eraser 255 from 255") << false << 255 << 255 << 0;
}

void TestBlending::tableSpotValues()
{
    QFETCH(bool, isPen);
    QFETCH(int, destination);
    QFETCH(int, source);
    QFETCH(int, expected);

    QCOMPARE(isPen ? pen(destination, source) : eraser(destination, source), expected);
}

void TestBlending::tableWholeRules()
{
    for (int d = 0; d < 256; ++d) {
        // A source of 0 changes nothing; a full source fills or clears.
        QCOMPARE(pen(d, 0), d);
        QCOMPARE(eraser(d, 0), d);
        QCOMPARE(pen(d, 255), 255);
        QCOMPARE(eraser(d, 255), 0);
        // On empty or full paper the source passes straight through.
        QCOMPARE(pen(0, d), d);
        QCOMPARE(eraser(255, d), 255 - d);

        for (int s = 0; s < 256; ++s) {
            // Pen blending never lowers a pixel, eraser blending never raises one.
            QVERIFY2(pen(d, s) >= d, qPrintable(QStringLiteral("pen[%1][%2]").arg(d).arg(s)));
            QVERIFY2(eraser(d, s) <= d,
                     qPrintable(QStringLiteral("eraser[%1][%2]").arg(d).arg(s)));
            // Coverage union does not care which side is the paper.
            QCOMPARE(pen(d, s), pen(s, d));
            if (s > 0) {
                // More source ink means more coverage with the pen, less with
                // the eraser.
                QVERIFY(pen(d, s) >= pen(d, s - 1));
                QVERIFY(eraser(d, s) <= eraser(d, s - 1));
            }
            if (d > 0)
                QVERIFY(eraser(d, s) >= eraser(d - 1, s));
        }
    }
}

void TestBlending::fillImageClipsToImage_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("rect");

    QTest::newRow("inside") << QSize(7, 5) << QRect(1, 1, 3, 2);
    QTest::newRow("over the right and bottom edges") << QSize(7, 5) << QRect(4, 3, 10, 10);
    QTest::newRow("over the left and top edges") << QSize(5, 3) << QRect(-2, -4, 4, 6);
    QTest::newRow("wider than a vector") << QSize(37, 3) << QRect(-1, 1, 50, 1);
    QTest::newRow("outside") << QSize(5, 3) << QRect(6, 0, 3, 3);
    QTest::newRow("empty rect") << QSize(5, 3) << QRect();
}

void TestBlending::fillImageClipsToImage()
{
    QFETCH(QSize, size);
    QFETCH(QRect, rect);

    const QImage before = randomImage(size.width(), size.height(), 7);
    QImage image = before;
    Blending::fillImage(image, rect, 200);

    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            QCOMPARE(pixel(image, x, y), rect.contains(x, y) ? 200 : pixel(before, x, y));
}

void TestBlending::blendImagesUsesTableOverClippedRect_data()
{
    QTest::addColumn<bool>("isPen");
    QTest::addColumn<QSize>("dstSize");
    QTest::addColumn<QSize>("srcSize");
    QTest::addColumn<QRect>("rect");

    QTest::newRow("pen, same sizes, whole") << true << QSize(5, 3) << QSize(5, 3) << QRect(0, 0, 5, 3);
    QTest::newRow("eraser, same sizes, part")
        << false << QSize(7, 5) << QSize(7, 5) << QRect(2, 1, 3, 3);
    QTest::newRow("pen, smaller source clips")
        << true << QSize(9, 7) << QSize(4, 3) << QRect(-3, -3, 20, 20);
    QTest::newRow("eraser, smaller destination clips")
        << false << QSize(3, 5) << QSize(11, 2) << QRect(1, 0, 20, 20);
    QTest::newRow("pen, rect outside both") << true << QSize(5, 5) << QSize(5, 5) << QRect(5, 0, 2, 2);
}

void TestBlending::blendImagesUsesTableOverClippedRect()
{
    QFETCH(bool, isPen);
    QFETCH(QSize, dstSize);
    QFETCH(QSize, srcSize);
    QFETCH(QRect, rect);

    const QImage before = randomImage(dstSize.width(), dstSize.height(), 11);
    const QImage src = randomImage(srcSize.width(), srcSize.height(), 12);
    QImage dst = before;
    Blending::blendImages(dst, src, rect, isPen);

    const QRect area = rect & QRect(QPoint(0, 0), dstSize) & QRect(QPoint(0, 0), srcSize);
    for (int y = 0; y < dstSize.height(); ++y) {
        for (int x = 0; x < dstSize.width(); ++x) {
            const int d = pixel(before, x, y);
            int expected = d;
            if (area.contains(x, y))
                expected = isPen ? pen(d, pixel(src, x, y)) : eraser(d, pixel(src, x, y));
            QCOMPARE(pixel(dst, x, y), expected);
        }
    }
}

void TestBlending::blendImagesIntoItself()
{
    const QImage before = randomImage(5, 3, 21);
    QImage image = before;
    Blending::blendImages(image, image, image.rect(), true);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            QCOMPARE(pixel(image, x, y), pen(pixel(before, x, y), pixel(before, x, y)));
}

void TestBlending::maxBlendImagesShiftsSource_data()
{
    QTest::addColumn<QSize>("dstSize");
    QTest::addColumn<QSize>("srcSize");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QPoint>("offset");

    QTest::newRow("no offset") << QSize(5, 3) << QSize(5, 3) << QRect(0, 0, 5, 3) << QPoint();
    QTest::newRow("scratch placed at its offset")
        << QSize(9, 7) << QSize(3, 2) << QRect(0, 0, 9, 7) << QPoint(4, 3);
    QTest::newRow("negative offset") << QSize(7, 5) << QSize(7, 5) << QRect(0, 0, 7, 5) << QPoint(-2, -1);
    QTest::newRow("rows wider than a vector, odd tail")
        << QSize(53, 4) << QSize(41, 5) << QRect(-5, 0, 100, 4) << QPoint(3, -1);
    QTest::newRow("rect narrows the area")
        << QSize(40, 6) << QSize(40, 6) << QRect(1, 2, 33, 3) << QPoint(1, 0);
    QTest::newRow("source moved away") << QSize(5, 5) << QSize(5, 5) << QRect(0, 0, 5, 5) << QPoint(5, 0);
}

void TestBlending::maxBlendImagesShiftsSource()
{
    QFETCH(QSize, dstSize);
    QFETCH(QSize, srcSize);
    QFETCH(QRect, rect);
    QFETCH(QPoint, offset);

    const QImage before = randomImage(dstSize.width(), dstSize.height(), 31);
    const QImage src = randomImage(srcSize.width(), srcSize.height(), 32);
    QImage dst = before;
    Blending::maxBlendImages(dst, src, rect, offset);

    for (int y = 0; y < dstSize.height(); ++y) {
        for (int x = 0; x < dstSize.width(); ++x) {
            const QPoint at(x - offset.x(), y - offset.y());
            int expected = pixel(before, x, y);
            if (rect.contains(x, y) && src.rect().contains(at))
                expected = std::max(expected, pixel(src, at.x(), at.y()));
            QCOMPARE(pixel(dst, x, y), expected);
        }
    }
}

void TestBlending::maxBlendImagesOfImageWithItself()
{
    // Shifting an image over itself must read the pixels as they were before
    // the call, not ones this call already raised.
    const QImage before = randomImage(37, 4, 41);
    QImage image = before;
    Blending::maxBlendImages(image, image, image.rect(), QPoint(1, 1));

    QImage expected = before;
    Blending::maxBlendImages(expected, before.copy(), expected.rect(), QPoint(1, 1));
    QCOMPARE(image, expected);
    QVERIFY(image != before);
}

void TestBlending::vectorRowAgreesWithScalarRow()
{
    QRandomGenerator random(51);
    for (int round = 0; round < 400; ++round) {
        const int count = random.bounded(0, 80);
        const int dstShift = random.bounded(0, 16); // start off any alignment
        const int srcShift = random.bounded(0, 16);
        std::vector<uchar> dst(count + dstShift + 8);
        std::vector<uchar> src(count + srcShift + 8);
        for (auto& value : dst)
            value = static_cast<uchar>(random.bounded(256));
        for (auto& value : src)
            value = static_cast<uchar>(random.bounded(256));

        const std::vector<uchar> original = dst;
        std::vector<uchar> plain = dst;
        Blending::maxRow(dst.data() + dstShift, src.data() + srcShift, count);
        Blending::maxRowScalar(plain.data() + dstShift, src.data() + srcShift, count);

        QVERIFY2(dst == plain, qPrintable(QStringLiteral("count %1, shifts %2/%3")
                                              .arg(count)
                                              .arg(dstShift)
                                              .arg(srcShift)));
        for (int i = 0; i < int(plain.size()); ++i) {
            const int inRow = i - dstShift;
            const uchar expected = inRow >= 0 && inRow < count
                                       ? std::max(original[i], src[srcShift + inRow])
                                       : original[i]; // bytes beyond the row stay
            QCOMPARE(plain[i], expected);
        }
    }
}

void TestBlending::operationsIgnoreImagesThatAreNotEightBit()
{
    QImage wide(4, 4, QImage::Format_ARGB32);
    wide.fill(0x11223344);
    const QImage wideBefore = wide;
    QImage alpha = randomImage(4, 4, 61);
    const QImage alphaBefore = alpha;
    QImage null;

    Blending::fillImage(wide, wide.rect(), 255);
    Blending::blendImages(alpha, wide, alpha.rect(), true);
    Blending::maxBlendImages(wide, alpha, wide.rect(), QPoint());
    Blending::fillImage(null, QRect(0, 0, 4, 4), 255);
    Blending::blendImages(null, alpha, QRect(0, 0, 4, 4), false);
    Blending::maxBlendImages(alpha, null, alpha.rect(), QPoint());

    QCOMPARE(wide, wideBefore);
    QCOMPARE(alpha, alphaBefore);
    QVERIFY(null.isNull());
}

QUILLMERE_TEST_MAIN(TestBlending)
#include "tst_blending.moc"

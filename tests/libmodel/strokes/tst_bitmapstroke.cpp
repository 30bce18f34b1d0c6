// Bitmap strokes: drawing the image into its rectangle, cropping, and the
// stream form with its run-length image.
#include "TestSupport.h"

#include "StrokeFixtures.h"

#include "images/RleImage.h"
#include "strokes/BitmapStroke.h"
#include "strokes/Blending.h"

#include <QPainterPath>

using namespace StrokeFixtures;
using Model::BitmapStroke;

namespace {

// An image of twice the rectangle's resolution whose pixel at (x, y) holds
// 1 + (x / 2 + 7 * (y / 2)) % 250: every 2 x 2 block, one unit of the
// rectangle, has its own value.
QImage pattern(const QSize& units, int ratio = 2)
{
    QImage image(units * ratio, QImage::Format_Alpha8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.scanLine(y)[x] = uchar(1 + (x / ratio + 7 * (y / ratio)) % 250);
    return image;
}

QPainterPath rectPath(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

} // namespace

class TestBitmapStroke : public QObject
{
    Q_OBJECT

private slots:
    void basics();
    void drawScalesTheImageIntoItsRect();
    void drawAddsWithThePenTable();
    void drawOutsideTheRequestedRect();
    void crop_data();
    void crop();
    void cropKeepsThePicture();
    void cropWithoutAWholeRatio_data();
    void cropWithoutAWholeRatio();
    void streamRoundTripIsByteStable_data();
    void streamRoundTripIsByteStable();
    void streamEndingAfterTheRect();
    void damagedStreams_data();
    void damagedStreams();
    void imagesFarLargerThanTheRect_data();
    void imagesFarLargerThanTheRect();
};

void TestBitmapStroke::basics()
{
    BitmapStroke empty;
    QCOMPARE(empty.type(), 2);
    QVERIFY(empty.isEmpty());
    QVERIFY(empty.image().isNull());
    QVERIFY(empty.boundingRect().isNull());

    const QRect rect(10, 20, 30, 40);
    BitmapStroke stroke(pattern(rect.size()), rect);
    QVERIFY(!stroke.isEmpty());
    QCOMPARE(stroke.boundingRect(), rect);
    // Cuts do not reach into a bitmap.
    QVERIFY(stroke.clipInsidePath(rectPath(QRectF(0, 0, 1000, 1000))));
    QCOMPARE(stroke.rect(), rect);

    const auto copy = stroke.clone();
    QCOMPARE(copy->type(), 2);
    QCOMPARE(static_cast<const BitmapStroke&>(*copy).image(), stroke.image());
    QCOMPARE(copy->boundingRect(), rect);
}

void TestBitmapStroke::drawScalesTheImageIntoItsRect()
{
    const QRect rect(10, 20, 30, 40);
    const QImage image = pattern(rect.size());
    BitmapStroke stroke(image, rect);
    QImage target = blank(QSize(100, 100));
    // The area is that of the rectangle's corner points: one pixel more to
    // the right and bottom.
    QCOMPARE(stroke.draw(target, target.rect(), QTransform(), QPoint(3, 4), 7.0),
             rect.adjusted(0, 0, 1, 1));
    // Each unit of the rectangle shows its block of the image.
    for (const QPoint& unit : {QPoint(0, 0), QPoint(5, 9), QPoint(29, 39), QPoint(17, 3)}) {
        const int expected = image.constScanLine(unit.y() * 2)[unit.x() * 2];
        QVERIFY2(std::abs(at(target, rect.left() + unit.x(), rect.top() + unit.y()) - expected) <= 2,
                 qPrintable(QStringLiteral("unit %1,%2").arg(unit.x()).arg(unit.y())));
    }
    QCOMPARE(at(target, 9, 20), uchar(0));
    QCOMPARE(at(target, 40, 20), uchar(0));

    // Under a transform the area is the mapped rectangle.
    QImage moved = blank(QSize(100, 100));
    const QRect area = stroke.draw(moved, moved.rect(), QTransform::fromTranslate(20, -10),
                                   QPoint(), 1.0);
    QCOMPARE(area, rect.translated(20, -10).adjusted(0, 0, 1, 1));
    QVERIFY(std::abs(at(moved, 30, 10) - at(target, 10, 20)) <= 2);
}

void TestBitmapStroke::drawAddsWithThePenTable()
{
    QImage half(8, 8, QImage::Format_Alpha8);
    half.fill(QColor(0, 0, 0, 128));
    BitmapStroke stroke(half, QRect(0, 0, 4, 4));
    QImage target = blank(QSize(10, 10), 128);
    stroke.draw(target, target.rect(), QTransform(), QPoint(), 1.0);
    QCOMPARE(at(target, 1, 1), uchar(191)); // pen[128][128]
    QCOMPARE(at(target, 6, 6), uchar(128));
}

void TestBitmapStroke::drawOutsideTheRequestedRect()
{
    BitmapStroke stroke(pattern(QSize(10, 10)), QRect(0, 0, 10, 10));
    QImage target = blank(QSize(60, 60), 9);
    const QImage before = target;
    QVERIFY(stroke.draw(target, QRect(0, 0, 20, 20), QTransform::fromTranslate(30, 30), QPoint(),
                        1.0)
                .isNull());
    QCOMPARE(target, before);

    // A null image draws nothing visible.
    BitmapStroke noImage(QImage(), QRect(0, 0, 10, 10));
    noImage.draw(target, target.rect(), QTransform(), QPoint(), 1.0);
    QCOMPARE(target, before);
}

void TestBitmapStroke::crop_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QRectF>("path");
    QTest::addColumn<QRect>("expectedRect");

    const QRect rect(10, 20, 30, 40);
    QTest::newRow("path contains the rect") << rect << QRectF(0, 0, 100, 100) << rect;
    QTest::newRow("path covers the left part")
        << rect << QRectF(0, 0, 20.5, 100) << QRect(QPoint(10, 20), QPoint(20, 59));
    QTest::newRow("path inside the rect")
        << rect << QRectF(15, 30, 10, 10) << QRect(15, 30, 10, 10);
    QTest::newRow("path far away") << rect << QRectF(200, 200, 10, 10) << QRect();
    // Nothing to crop by: the stroke has no size, so it empties rather than
    // dividing by its width.
    QTest::newRow("empty rect") << QRect(10, 20, 0, 0) << QRectF(0, 0, 100, 100) << QRect();
    QTest::newRow("rect without width") << QRect(10, 20, 0, 5) << QRectF(0, 0, 100, 100)
                                        << QRect();
}

void TestBitmapStroke::crop()
{
    QFETCH(QRect, rect);
    QFETCH(QRectF, path);
    QFETCH(QRect, expectedRect);

    BitmapStroke stroke(pattern(QSize(30, 40)), rect);
    stroke.clipOutsidePath(rectPath(path));
    QCOMPARE(stroke.rect(), expectedRect);
    if (expectedRect.isNull()) {
        QVERIFY(stroke.isEmpty());
        QVERIFY(stroke.image().isNull());
    } else {
        QCOMPARE(stroke.image().size(), expectedRect.size() * 2);
        QCOMPARE(stroke.image().format(), QImage::Format_Alpha8);
    }
}

void TestBitmapStroke::cropKeepsThePicture()
{
    const QRect rect(10, 20, 30, 40);
    BitmapStroke stroke(pattern(rect.size()), rect);
    QImage before = blank(QSize(100, 100));
    stroke.draw(before, before.rect(), QTransform(), QPoint(), 1.0);

    stroke.clipOutsidePath(rectPath(QRectF(14, 25, 12, 20)));
    QCOMPARE(stroke.rect(), QRect(14, 25, 12, 20));
    QImage after = blank(QSize(100, 100));
    stroke.draw(after, after.rect(), QTransform(), QPoint(), 1.0);
    for (int y = 25; y < 45; ++y)
        for (int x = 14; x < 26; ++x)
            QCOMPARE(at(after, x, y), at(before, x, y));
    QCOMPARE(total(after), total(before.copy(14, 25, 12, 20)));
}

// Damaged or foreign data can pair an image with a rectangle of another
// size; a ratio of image to rectangle rounded down to 0 would leave an image
// without pixels.
void TestBitmapStroke::cropWithoutAWholeRatio_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::newRow("image smaller than the rect") << QSize(10, 10);
    QTest::newRow("image one pixel") << QSize(1, 1);
    QTest::newRow("image 1.5 times the rect") << QSize(45, 60);
}

void TestBitmapStroke::cropWithoutAWholeRatio()
{
    QFETCH(QSize, imageSize);
    QImage image(imageSize, QImage::Format_Alpha8);
    image.fill(QColor(0, 0, 0, 200));
    const QRect rect(0, 0, 30, 40);
    BitmapStroke stroke(image, rect);
    stroke.clipOutsidePath(rectPath(QRectF(5, 5, 10, 10)));
    QCOMPARE(stroke.rect(), QRect(5, 5, 10, 10));
    QVERIFY(!stroke.image().isNull());
    QVERIFY(stroke.image().width() >= 1 && stroke.image().height() >= 1);

    QImage target = blank(QSize(50, 50));
    stroke.draw(target, target.rect(), QTransform(), QPoint(), 1.0);
    QVERIFY(at(target, 10, 10) > 150);
    QCOMPARE(at(target, 20, 20), uchar(0));
}

void TestBitmapStroke::streamRoundTripIsByteStable_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("pattern") << pattern(QSize(30, 40)) << QRect(-5, 7, 30, 40);
    QTest::newRow("null image") << QImage() << QRect(1, 2, 3, 4);
    QTest::newRow("empty") << QImage() << QRect();
}

void TestBitmapStroke::streamRoundTripIsByteStable()
{
    QFETCH(QImage, image);
    QFETCH(QRect, rect);
    BitmapStroke stroke(image, rect);

    const QByteArray first = bytesOf(stroke);
    BitmapStroke read;
    QDataStream in(first);
    prepare(in);
    in >> read;
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(read.rect(), rect);
    QCOMPARE(read.image().isNull(), image.isNull());
    if (!image.isNull())
        QCOMPARE(read.image(), image);
    QCOMPARE(bytesOf(read), first);
}

void TestBitmapStroke::streamEndingAfterTheRect()
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        out << QRect(1, 2, 3, 4);
    }
    QDataStream in(bytes);
    prepare(in);
    BitmapStroke read(pattern(QSize(2, 2)), QRect(0, 0, 2, 2));
    in >> read;
    QCOMPARE(in.status(), QDataStream::Ok);
    QCOMPARE(read.rect(), QRect(1, 2, 3, 4));
    QVERIFY(read.image().isNull());
}

void TestBitmapStroke::damagedStreams_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("fails");

    auto make = [](auto&& write) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        write(out);
        return bytes;
    };
    QTest::newRow("image code other than 2: no image")
        << make([](QDataStream& out) { out << QRect(0, 0, 4, 4) << qint32(7); }) << false;
    QTest::newRow("image cut short") << make([](QDataStream& out) {
        out << QRect(0, 0, 4, 4) << qint32(2) << qint32(8) << qint32(8) << qint32(100);
        out.writeRawData("\x06\x06", 2);
    }) << true;
    // A stroke kept without its pixels would be saved back without them.
    QTest::newRow("run past the row's end") << make([](QDataStream& out) {
        QByteArray runs;
        {
            QDataStream ops(&runs, QIODevice::WriteOnly);
            ops << quint8(0) << quint8(200) << quint8(10);
        }
        out << QRect(0, 0, 4, 4) << qint32(2) << qint32(8) << qint32(8) << runs;
    }) << true;
    QTest::newRow("image without its end code") << make([](QDataStream& out) {
        out << QRect(0, 0, 4, 4) << qint32(2) << qint32(8) << qint32(8) << QByteArray("\x06");
    }) << true;
    QTest::newRow("rect beyond any drawing") << make([](QDataStream& out) {
        out << QRect(QPoint(-2000000000, 0), QPoint(2000000000, 5)) << qint32(-1);
    }) << true;
}

void TestBitmapStroke::damagedStreams()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, fails);
    QDataStream in(bytes);
    prepare(in);
    BitmapStroke read;
    in >> read;
    QCOMPARE(in.status() != QDataStream::Ok, fails);
    QVERIFY(read.image().isNull());
    // Whatever was read is safe to draw and to crop.
    QImage target = blank(QSize(20, 20));
    read.draw(target, target.rect(), QTransform(), QPoint(), 1.0);
    read.clipOutsidePath(rectPath(QRectF(1, 1, 2, 2)));
    QCOMPARE(total(target), qint64(0));
}

void TestBitmapStroke::imagesFarLargerThanTheRect_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<bool>("fails");

    QTest::newRow("eight times the rect") << QRect(0, 0, 4, 3) << QSize(32, 24) << false;
    QTest::newRow("wider") << QRect(0, 0, 4, 3) << QSize(33, 24) << true;
    QTest::newRow("taller") << QRect(0, 0, 4, 3) << QSize(8, 25) << true;
    // A few bytes of runs that would take a gigabyte.
    QTest::newRow("huge for one unit") << QRect(5, 5, 1, 1) << QSize(16384, 16384) << true;
}

void TestBitmapStroke::imagesFarLargerThanTheRect()
{
    QFETCH(QRect, rect);
    QFETCH(QSize, imageSize);
    QFETCH(bool, fails);

    // A blank image of any size is coded as its end code alone.
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        out << rect << BitmapStroke::ImageFollows << qint32(imageSize.width())
            << qint32(imageSize.height()) << QByteArray("\x0a", 1);
    }
    QDataStream in(bytes);
    prepare(in);
    BitmapStroke read;
    in >> read;
    QCOMPARE(in.status() != QDataStream::Ok, fails);
    QCOMPARE(read.image().isNull(), fails);
    if (!fails)
        QCOMPARE(read.image().size(), imageSize);
}

QUILLMERE_TEST_MAIN(TestBitmapStroke)
#include "tst_bitmapstroke.moc"

#include "TestSupport.h"

#include "drawings/ImageDrawing.h"

#include <QPainter>
#include <QRegularExpression>

using Model::ImageDrawing;

namespace {

QImage solid(QSize size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

QImage canvas(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The rows of column x that received paint, as a half-open range.
std::pair<int, int> paintedRows(QImage const& image, int x)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (qAlpha(image.pixel(x, y)) == 0)
            continue;
        if (first < 0)
            first = y;
        last = y;
    }
    return first < 0 ? std::pair(0, 0) : std::pair(first, last + 1);
}

} // namespace

class TestImageDrawing : public QObject
{
    Q_OBJECT

private slots:
    void drawFitsThePictureIntoTheFrame_data();
    void drawFitsThePictureIntoTheFrame();
    void drawAtFrameSizeCopiesTheExposedPart();
    void drawLeavesThePainterAsItWas();
    void thumbnailIsCachedPerSize();
    void thumbnailIsCentred();
    void thumbnailOfANullPicture();
    void cloneStartsWithoutNameAndCopyId();
};

void TestImageDrawing::drawFitsThePictureIntoTheFrame_data()
{
    QTest::addColumn<QRect>("exposed");
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<int>("endRow");

    QTest::newRow("whole frame") << QRect(0, 0, 200, 200) << 50 << 150;
    QTest::newRow("above the picture") << QRect(0, 0, 200, 40) << 0 << 0;
    QTest::newRow("top half") << QRect(0, 0, 200, 100) << 50 << 100;
    QTest::newRow("inside the picture") << QRect(0, 120, 200, 10) << 120 << 130;
}

void TestImageDrawing::drawFitsThePictureIntoTheFrame()
{
    QFETCH(QRect, exposed);
    QFETCH(int, firstRow);
    QFETCH(int, endRow);

    ImageDrawing const drawing(solid(QSize(100, 50), Qt::red));
    QImage target = canvas(QSize(200, 200));
    {
        QPainter painter(&target);
        drawing.draw(&painter, QSize(200, 200), exposed);
    }

    for (int x : {0, 100, 199})
        QCOMPARE(paintedRows(target, x), std::pair(firstRow, endRow));
    if (endRow > firstRow)
        QCOMPARE(QColor(target.pixel(100, (firstRow + endRow) / 2)), QColor(Qt::red));
}

void TestImageDrawing::drawAtFrameSizeCopiesTheExposedPart()
{
    QImage picture = solid(QSize(40, 40), Qt::blue);
    QPainter(&picture).fillRect(QRect(20, 0, 20, 40), Qt::green);
    ImageDrawing const drawing(picture);

    QImage target = canvas(QSize(40, 40));
    {
        QPainter painter(&target);
        drawing.draw(&painter, QSize(40, 40), QRect(15, 10, 10, 5));
    }
    QCOMPARE(QColor(target.pixel(15, 10)), QColor(Qt::blue));
    QCOMPARE(QColor(target.pixel(24, 14)), QColor(Qt::green));
    QCOMPARE(qAlpha(target.pixel(14, 10)), 0);
    QCOMPARE(qAlpha(target.pixel(15, 15)), 0);
}

void TestImageDrawing::drawLeavesThePainterAsItWas()
{
    QImage target = canvas(QSize(10, 10));
    QPainter painter(&target);
    painter.setOpacity(0.5);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

    ImageDrawing(solid(QSize(5, 5), Qt::red)).draw(&painter, QSize(10, 10), QRect(0, 0, 10, 10));
    ImageDrawing(QImage()).draw(&painter, QSize(10, 10), QRect(0, 0, 10, 10));

    QVERIFY(!painter.testRenderHint(QPainter::SmoothPixmapTransform));
    QCOMPARE(painter.opacity(), 0.5);
}

void TestImageDrawing::thumbnailIsCachedPerSize()
{
    ImageDrawing drawing(solid(QSize(160, 90), Qt::red));

    QImage const small = drawing.thumbnail(QSize(64, 36), {});
    QCOMPARE(small.size(), QSize(64, 36));
    QCOMPARE(drawing.thumbnail(QSize(64, 36), {}).cacheKey(), small.cacheKey());

    QImage const larger = drawing.thumbnail(QSize(96, 54), {});
    QCOMPARE(larger.size(), QSize(96, 54));
    QVERIFY(larger.cacheKey() != small.cacheKey());

    drawing.invalidateThumbnail();
    QImage const rebuilt = drawing.thumbnail(QSize(96, 54), {});
    QCOMPARE(rebuilt.size(), QSize(96, 54));
    QVERIFY(rebuilt.cacheKey() != larger.cacheKey());
    QCOMPARE(rebuilt, larger);

    QVERIFY(drawing.thumbnail(QSize(-1, 10), {}).isNull());
    // A refused size leaves the cache alone.
    QCOMPARE(drawing.thumbnail(QSize(96, 54), {}).cacheKey(), rebuilt.cacheKey());
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    QVERIFY(drawing.thumbnail(QSize(0, 0), {}).isNull());
}

void TestImageDrawing::thumbnailIsCentred()
{
    // 10 x 3 scales to 64 x 19 in a 64 x 36 box: 17 spare rows, 8.5 rounded up above.
    ImageDrawing const drawing(solid(QSize(10, 3), Qt::red));
    QImage const thumb = drawing.thumbnail(QSize(64, 36), {});
    QCOMPARE(thumb.format(), QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(paintedRows(thumb, 0), std::pair(9, 28));
    QCOMPARE(paintedRows(thumb, 63), std::pair(9, 28));
}

void TestImageDrawing::thumbnailOfANullPicture()
{
    ImageDrawing const drawing{QImage()};
    QImage const thumb = drawing.thumbnail(QSize(30, 20), {});
    QCOMPARE(thumb.size(), QSize(30, 20));
    QCOMPARE(paintedRows(thumb, 15), std::pair(0, 0));
}

void TestImageDrawing::cloneStartsWithoutNameAndCopyId()
{
    ImageDrawing drawing(solid(QSize(16, 9), Qt::red));
    drawing.setName(QStringLiteral("scan.png"));
    QUuid const copyId = drawing.createCopyId();
    QVERIFY(!copyId.isNull());
    QCOMPARE(drawing.currentCopyId(), copyId);
    QCOMPARE(drawing.toolTip(), QStringLiteral("scan.png"));
    QImage const thumb = drawing.thumbnail(QSize(32, 18), {});

    std::unique_ptr<Model::Drawing> clone(drawing.clone());
    QCOMPARE(clone->type(), int(Model::Drawing::ImageDrawingType));
    QVERIFY(clone->name().isEmpty());
    QVERIFY(clone->currentCopyId().isNull());
    QCOMPARE(static_cast<ImageDrawing*>(clone.get())->image(), drawing.image());
    // The cached thumbnail travels with the copy.
    QCOMPARE(clone->thumbnail(QSize(32, 18), {}).cacheKey(), thumb.cacheKey());
    QCOMPARE(drawing.name(), QStringLiteral("scan.png"));
    QCOMPARE(drawing.currentCopyId(), copyId);
}

QUILLMERE_TEST_MAIN(TestImageDrawing)
#include "tst_imagedrawing.moc"

// Coloured ink blended straight into an image must give the very pixels a
// painter gives when it draws the same coloured coverage: every source
// alpha over every kind of target pixel, parts, moved painters, targets off
// the edge, and the painters and targets that the direct path leaves to
// the painter.
#include "TestSupport.h"

#include "drawings/ColouredInk.h"

#include <QPainter>
#include <QPixmap>
#include <QRandomGenerator>

namespace {

using Table = Model::ColouredInk::Table;

// Premultiplied pixels of every alpha (across) with colours up to it.
QImage everyAlpha(int rows, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(256, rows, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < 256; ++x) {
            int const alpha = x;
            auto const channel = [&] { return int(random.bounded(alpha + 1)); };
            image.setPixel(x, y, qRgba(channel(), channel(), channel(), alpha));
        }
    }
    return image;
}

// Targets of every kind: transparent, opaque, partly covered, random.
QImage targets(int rows, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(256, rows, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < 256; ++x) {
            int const alpha = y % 4 == 0 ? 0 : y % 4 == 1 ? 255 : int(random.bounded(256));
            auto const channel = [&] { return int(random.bounded(alpha + 1)); };
            image.setPixel(x, y, qRgba(channel(), channel(), channel(), alpha));
        }
    }
    return image;
}

// Soft coverage: strokes of every strength with blank stretches between.
QImage coverage(QSize const& size)
{
    QImage image(size, QImage::Format_Alpha8);
    image.fill(0);
    for (int y = 0; y < size.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            int const band = (x + 3 * y) % 37;
            if (band < 11)
                line[x] = uchar((x * 7 + y * 13) % 256);
        }
    }
    return image;
}

Table tableOf(QRgb colour, double opacity, bool premultiplied, bool blankShows = false)
{
    Table table;
    for (int i = 0; i < 256; ++i) {
        QRgb const pixel = qRgba(qRed(colour), qGreen(colour), qBlue(colour),
                                 qRound(i * opacity));
        table[i] = premultiplied ? qPremultiply(pixel) : pixel;
    }
    if (blankShows)
        table[0] = premultiplied ? qPremultiply(qRgba(10, 20, 30, 40)) : qRgba(10, 20, 30, 40);
    return table;
}

// The coverage through the table the plain way: an image of the whole area.
QImage colouredPlainly(QImage const& cover, QRect const& area, Table const& table,
                       bool premultiplied)
{
    QImage image(area.size(),
                 premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            image.setPixel(x, y, table[cover.constScanLine(area.top() + y)[area.left() + x]]);
    return image;
}

} // namespace

class TestColouredInk : public QObject
{
    Q_OBJECT

private slots:
    void blendsAsThePainterBlends();
    void paintsAsThePainterPaints_data();
    void paintsAsThePainterPaints();
    void rowsEndWhereTheCoverageEnds();
};

void TestColouredInk::blendsAsThePainterBlends()
{
    // Every source alpha over every kind of target, at every offset into the
    // four-pixel steps (lengths that leave one to three pixels over).
    QImage const sources = everyAlpha(64, 7);
    QImage const original = targets(64, 11);
    QImage expected = original;
    {
        QPainter painter(&expected);
        painter.drawImage(0, 0, sources);
    }
    QImage blended = original;
    for (int y = 0; y < blended.height(); ++y) {
        auto* target = reinterpret_cast<unsigned int*>(blended.scanLine(y));
        auto const* row = reinterpret_cast<unsigned int const*>(sources.constScanLine(y));
        int const start = y % 4;
        int const length = 256 - start - (y / 4) % 4;
        Model::ColouredInk::blendRow(target, row, start);
        Model::ColouredInk::blendRow(target + start, row + start, length);
        Model::ColouredInk::blendRow(target + start + length, row + start + length,
                                     256 - start - length);
    }
    QCOMPARE(blended, expected);
}

void TestColouredInk::paintsAsThePainterPaints_data()
{
    QTest::addColumn<QRect>("part");        // of the ink, frame coordinates
    QTest::addColumn<QPointF>("translate"); // of the painter
    QTest::addColumn<bool>("clip");
    QTest::addColumn<int>("targetFormat");
    QTest::addColumn<bool>("onPixmap");
    QTest::addColumn<bool>("blankShows");

    QRect const all(20, 10, 101, 67); // the ink's place in the frame
    int const premultiplied = QImage::Format_ARGB32_Premultiplied;
    QTest::newRow("whole") << all << QPointF() << false << premultiplied << false << false;
    QTest::newRow("a part") << QRect(33, 17, 41, 29) << QPointF() << false << premultiplied
                            << false << false;
    QTest::newRow("moved by whole pixels")
        << all << QPointF(-7, 13) << false << premultiplied << false << false;
    QTest::newRow("partly off the target")
        << all << QPointF(-40, 70) << false << premultiplied << false << false;
    QTest::newRow("wholly off the target")
        << all << QPointF(500, 0) << false << premultiplied << false << false;
    QTest::newRow("moved by half a pixel")
        << all << QPointF(2.5, 1) << false << premultiplied << false << false;
    QTest::newRow("clipped") << all << QPointF() << true << premultiplied << false << false;
    QTest::newRow("unpremultiplied target")
        << QRect(33, 17, 41, 29) << QPointF(3, 4) << false << int(QImage::Format_ARGB32) << false
        << false;
    QTest::newRow("pixmap") << all << QPointF(1, 2) << false << premultiplied << true << false;
    QTest::newRow("blank coverage shows")
        << QRect(33, 17, 41, 29) << QPointF() << false << premultiplied << false << true;
}

void TestColouredInk::paintsAsThePainterPaints()
{
    QFETCH(QRect, part);
    QFETCH(QPointF, translate);
    QFETCH(bool, clip);
    QFETCH(int, targetFormat);
    QFETCH(bool, onPixmap);
    QFETCH(bool, blankShows);

    QRect const covered(20, 10, 101, 67);
    QImage const cover = coverage(QSize(160, 100));
    bool const premultiplied = targetFormat == QImage::Format_ARGB32_Premultiplied;
    Table const table = tableOf(qRgb(200, 60, 20), 0.7, premultiplied, blankShows);
    Model::ColouredInk const ink =
        Model::ColouredInk::make(cover, covered, table, premultiplied);
    QVERIFY(!ink.isNull());
    QImage const plain = colouredPlainly(cover, covered, table, premultiplied);

    QImage const background = targets(120, 3).convertToFormat(QImage::Format(targetFormat));
    auto const paintWith = [&](QPaintDevice* device, bool direct) {
        QPainter painter(device);
        painter.translate(translate);
        if (clip)
            painter.setClipRect(QRect(25, 12, 60, 50));
        painter.setOpacity(0.3); // carried by the table: ignored
        if (direct) {
            ink.paint(&painter, covered, part);
        } else {
            painter.setOpacity(1.0);
            painter.drawImage(QPointF(part.topLeft()), plain,
                              QRectF(part.translated(-covered.topLeft())));
        }
    };
    QImage expected = background.copy(0, 0, 256, 120);
    paintWith(&expected, false);
    if (onPixmap) {
        QPixmap pixmap = QPixmap::fromImage(background.copy(0, 0, 256, 120));
        paintWith(&pixmap, true);
        QCOMPARE(pixmap.toImage().convertToFormat(expected.format()), expected);
    } else {
        QImage painted = background.copy(0, 0, 256, 120);
        paintWith(&painted, true);
        QCOMPARE(painted, expected);
    }
    QCOMPARE(ink.toImage(part.translated(-covered.topLeft())),
             plain.copy(part.translated(-covered.topLeft())));
}

QUILLMERE_TEST_MAIN(TestColouredInk)
void TestColouredInk::rowsEndWhereTheCoverageEnds()
{
    // Ink made from coverage exactly its own size, inked up to the right
    // edge, for every length of the last four-pixel step: a run must not
    // read past the row (the sanitizer build sees the last row's overrun).
    Table const table = tableOf(qRgb(20, 90, 200), 1.0, true);
    for (int width = 1; width <= 9; ++width) {
        QImage cover(width, 3, QImage::Format_Alpha8);
        for (int y = 0; y < cover.height(); ++y)
            for (int x = 0; x < width; ++x)
                cover.scanLine(y)[x] = uchar(1 + (x * 37 + y * 11) % 255);
        Model::ColouredInk const ink = Model::ColouredInk::make(cover, cover.rect(), table, true);
        QVERIFY(!ink.isNull());
        QCOMPARE(ink.toImage(cover.rect()), colouredPlainly(cover, cover.rect(), table, true));
    }
}

#include "tst_colouredink.moc"

// What the exposure sheet paints, read back from grabbed pixels of a small
// scene: hold bands and the arrow that ends a hold run, the distant-clone
// tint, the key symbol, the off-pegs wash and cross, the current-cell frame,
// the sound column's waveform, the frame-range limits, selected cells drawn
// inverted exactly once however the exposed region is cut.
#include "TestSupport.h"

#include "SheetFixture.h"

#include "startup/Init.h"

#include <QPainter>

using SheetFixture::Sheet;

namespace {

int greenness(QRgb c)
{
    return qGreen(c) - (qRed(c) + qBlue(c)) / 2;
}

bool hasRed(QImage const& image, QRect const& rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            QRgb const c = image.pixel(x, y);
            if (qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90)
                return true;
        }
    return false;
}

// The viewport as painted by one paint event over the given region.
QImage paintedOver(Sheet& s, QRegion const& region)
{
    QImage image(s.sheet.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::magenta);
    s.sheet.viewport()->render(&image, region.boundingRect().topLeft(), region, QWidget::DrawChildren);
    return image;
}

bool inked(QImage const& image, QPoint point)
{
    return qGray(image.pixel(point)) < 100;
}

// Where a point of the frame shows in a cell's picture.
QPoint inPicture(QRect const& cell, QSize const& frameSize, QPointF const& frameFraction)
{
    QRect picture(QPoint(0, 0), frameSize.scaled(cell.size(), Qt::KeepAspectRatio));
    picture.moveCenter(cell.center());
    return picture.topLeft()
           + QPoint(qRound(frameFraction.x() * picture.width()), qRound(frameFraction.y() * picture.height()));
}

} // namespace

class TestXSheetPainting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void holdBandsAndTheArrowEndingARun();
    void distantCloneTintAndCurrentFrame();
    void keySymbol();
    void offPegsWashesTheRowAndCrossesItsLayer();
    void soundColumnShowsTheWaveformWhereThereIsSound();
    void rangeLimits_data();
    void rangeLimits();
    void aSelectedCellIsInvertedOnceWhateverTheRegion();
    void sceneWithoutLayersPaintsOnlyTheShadows();
    void thumbnailsAreMadeAwayFromThePaint();
};

void TestXSheetPainting::initTestCase()
{
    Model::init();
}

void TestXSheetPainting::holdBandsAndTheArrowEndingARun()
{
    Sheet s;
    s.show();
    QImage const image = s.sheet.viewport()->grab().toImage();
    // Rows 1 and 2 of "ink" hold A; row 1 is followed by a hold, row 2 ends
    // the run.
    QRect const first = s.cell(1, 0);
    QRect const last = s.cell(2, 0);
    int const w = first.width();
    QPoint const corner(2, 1);
    QPoint const bandTop(w / 2, 1);
    QPoint const bottomCorner(2, first.height() - 2);
    // A band runs down the middle of a hold that goes on, not along its side.
    QVERIFY(image.pixel(first.topLeft() + bandTop) != image.pixel(first.topLeft() + corner));
    // Only the last hold of the run gets the strip at its foot.
    QVERIFY(image.pixel(last.topLeft() + bottomCorner) != image.pixel(first.topLeft() + bottomCorner));
    // The original before the run has neither.
    QRect const original = s.cell(0, 0);
    QCOMPARE(image.pixel(original.topLeft() + bandTop), image.pixel(original.topLeft() + corner));
}

void TestXSheetPainting::distantCloneTintAndCurrentFrame()
{
    Sheet s;
    s.show();
    QImage const image = s.sheet.viewport()->grab().toImage();
    QRgb const clone = image.pixel(s.cell(4, 0).topLeft() + QPoint(2, 2));
    QRgb const original = image.pixel(s.cell(3, 0).topLeft() + QPoint(2, 2));
    QVERIFY2(qRed(clone) - qBlue(clone) > 15, "a distant clone is tinted warm");
    QVERIFY2(std::abs(qRed(original) - qBlue(original)) < 8, "an original is not tinted");

    // The current cell (frame 1 of "ink") is framed in black, 3 pixels wide.
    QRect const current = s.cell(0, 0);
    for (QPoint const p : {QPoint(current.left() - 1, current.center().y()),
                           QPoint(current.center().x(), current.bottom() + 1)})
        QVERIFY(qGray(image.pixel(p)) < 40);
    QVERIFY(qGray(image.pixel(s.cell(3, 0).left() - 1, s.cell(3, 0).center().y())) > 100);
}

void TestXSheetPainting::keySymbol()
{
    Sheet s;
    s.show();
    QImage const image = s.sheet.viewport()->grab().toImage();
    QVERIFY(hasRed(image, s.cell(5, 0)));
    QVERIFY(!hasRed(image, s.cell(3, 0)));
}

void TestXSheetPainting::offPegsWashesTheRowAndCrossesItsLayer()
{
    Sheet s;
    s.show();
    QImage const image = s.sheet.viewport()->grab().toImage();
    // Frame 2 of "pegs" is off the pegs: every cell of row 1 is washed green.
    for (int column : {0, 2}) {
        QRgb const washed = image.pixel(s.cell(1, column).topLeft() + QPoint(2, 2));
        QRgb const plain = image.pixel(s.cell(3, column).topLeft() + QPoint(2, 2));
        QVERIFY2(greenness(washed) > greenness(plain), qPrintable(QString::number(column)));
    }
    // Only the layer that is off the pegs gets the cross.
    auto const onDiagonal = [&](QRect const& cell) {
        return image.pixel(cell.left() + cell.width() / 10, cell.top() + cell.height() / 10);
    };
    auto const offDiagonal = [&](QRect const& cell) {
        return image.pixel(cell.left() + cell.width() / 2, cell.top() + cell.height() / 10);
    };
    QVERIFY(greenness(onDiagonal(s.cell(1, 1))) > greenness(offDiagonal(s.cell(1, 1))));
    QCOMPARE(onDiagonal(s.cell(3, 1)), offDiagonal(s.cell(3, 1)));
}

void TestXSheetPainting::soundColumnShowsTheWaveformWhereThereIsSound()
{
    Sheet s;
    s.scene->setAudioOffsetFrames(2.0);
    // The waveform is light: shown on a dark window.
    QPalette dark = s.sheet.palette();
    dark.setColor(QPalette::Window, QColor(60, 60, 60));
    s.sheet.setPalette(dark);
    s.show();
    QImage const image = s.sheet.viewport()->grab().toImage();
    // Frames 1 and 2 come before the sound; frame 4 is inside it, where the
    // cell is whitened and the light waveform drawn.
    QRgb const silent = image.pixel(s.cell(0, 3).center());
    QRgb const sounding = image.pixel(s.cell(3, 3).center());
    QVERIFY2(qGray(sounding) > qGray(silent) + 40,
             qPrintable(QStringLiteral("%1 %2").arg(qGray(sounding)).arg(qGray(silent))));
}

void TestXSheetPainting::rangeLimits_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("whole scene") << 1 << 6;
    QTest::newRow("range inside the scene") << 2 << 5;
}

void TestXSheetPainting::rangeLimits()
{
    QFETCH(int, first);
    QFETCH(int, last);
    Sheet s;
    s.scene->setFrameRange(first, last, first, 0);
    s.show();
    QImage const image = s.sheet.viewport()->grab().toImage();
    int const x = s.cell(0, 1).center().x();
    int const h = s.sheet.rowHeight();
    int const startY = s.sheet.topMargin() - 1;
    int const endY = s.sheet.topMargin() + (last - first + 2) * h + 1;
    bool const startLine = qGray(image.pixel(x, startY)) < 30;
    bool const endLine = qGray(image.pixel(x, endY)) < 30;
    QCOMPARE(startLine, first > 1);
    QCOMPARE(endLine, last < s.scene->maximumFrameNumber());
    // A range that continues upward fades in above its first row.
    QRgb const above = image.pixel(x, startY - h / 2);
    // Beside the cell, in the gap between two columns.
    QRgb const background =
        image.pixel(s.sheet.columnViewportPosition(1) + s.sheet.columnWidth(1) - 1, startY - h / 2);
    QCOMPARE(above != background, first > 1);
}

void TestXSheetPainting::aSelectedCellIsInvertedOnceWhateverTheRegion()
{
    Sheet s;
    s.show();
    QModelIndex const index = s.model()->index(3, 1);
    QRect const cell = s.cell(3, 1);
    QImage const before = paintedOver(s, QRegion(cell));
    s.bundle.selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);

    QImage const whole = paintedOver(s, QRegion(cell));
    QPoint const p = cell.topLeft() + QPoint(2, 2);
    QRgb const plain = before.pixel(p);
    QRgb const inverted = whole.pixel(p);
    QVERIFY(std::abs(qRed(inverted) - qRed(plain)) > 60);

    // Two rectangles that cut through the cell: still inverted once.
    QRect const upper(cell.left() - 5, cell.top() - 3, cell.width() + 10, cell.height() / 2 + 3);
    QRect const lower(cell.left() - 2, upper.bottom() + 1, cell.width() + 4, cell.height());
    QRegion region(upper);
    region += lower;
    QCOMPARE(region.rectCount(), 2);
    QImage const cut = paintedOver(s, region);
    QCOMPARE(cut.pixel(p), whole.pixel(p));
    QCOMPARE(cut.pixel(cell.bottomRight() - QPoint(2, 2)), whole.pixel(cell.bottomRight() - QPoint(2, 2)));
}

void TestXSheetPainting::sceneWithoutLayersPaintsOnlyTheShadows()
{
    Model::KWScene bundle;
    UI::XSheet sheet;
    sheet.setModel(bundle.frameRangeModel());
    sheet.resize(200, 300);
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    QImage const image = sheet.viewport()->grab().toImage();
    int const h = image.height();
    // The shadows darken the top and bottom edges; the middle is untouched.
    QVERIFY(qGray(image.pixel(50, 0)) < qGray(image.pixel(50, h / 2)));
    QVERIFY(qGray(image.pixel(50, h - 1)) < qGray(image.pixel(50, h / 2)));
}

// Stepping shows new cells at every step: the sheet paints them without
// waiting for their thumbnails, which come on by themselves once made, and
// an edited cell keeps its old thumbnail until the new one is there.
void TestXSheetPainting::thumbnailsAreMadeAwayFromThePaint()
{
    Sheet s;
    s.show();
    s.showThumbnails();
    QRect const a = s.cell(0, 0);
    QSize const frameSize = s.scene->frameSize();
    QPoint const middle = inPicture(a, frameSize, QPointF(0.5, 0.5));
    QPoint const corner = inPicture(a, frameSize, QPointF(0.12, 0.15));
    QImage const shown = s.sheet.viewport()->grab().toImage();
    QVERIFY(inked(shown, middle));
    QVERIFY(!inked(shown, corner));

    QImage block(frameSize / 4, QImage::Format_Alpha8);
    block.fill(255);
    auto* drawing = static_cast<Model::StrokeDrawing*>(s.ink->frames().at(0)->drawing.get());
    QVERIFY(drawing->appendStroke(
        std::make_unique<Model::BitmapStroke>(block, QRect(QPoint(0, 0), block.size()))));
    QImage const rightAfter = paintedOver(s, QRegion(a));
    QVERIFY(inked(rightAfter, middle));
    QVERIFY(!inked(rightAfter, corner));

    QTRY_VERIFY(Sheet::thumbnailsShown());
    QImage const later = paintedOver(s, QRegion(a));
    QVERIFY(inked(later, middle));
    QVERIFY(inked(later, corner));
}

QUILLMERE_TEST_MAIN(TestXSheetPainting)
#include "tst_xsheetpainting.moc"

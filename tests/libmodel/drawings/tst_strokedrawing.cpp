// Stroke drawings: the draw buffer kept equal to a redraw of the strokes
// through every edit, painting through a colour table (with and without a
// stroke in progress), thumbnails, refitting to a new frame size, merging,
// collapsing and the stream form. Rasterising needs the off-screen renderer
// (software OpenGL under X).
#include "TestSupport.h"

#include "../strokes/StrokeFixtures.h"

#include "drawings/ImageDrawing.h"
#include "drawings/StrokeDrawing.h"
#include "drawings/ThumbnailMaker.h"
#include "images/RleImage.h"
#include "rendering/OffscreenRenderer.h"
#include "strokes/BitmapStroke.h"
#include "strokes/Blending.h"
#include "strokes/Segment.h"

#include <QPainter>
#include <QPainterPath>
#include <QProgressDialog>
#include <QRandomGenerator>

using namespace StrokeFixtures;
using Model::BitmapStroke;
using Model::CompoundStroke;
using Model::SingleStroke;
using Model::Stroke;
using Model::StrokeDrawing;

namespace {

const QSize FrameSize(200, 160);

QPainterPath rectPath(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

// What a redraw of all strokes over a cleared frame gives: the buffer a
// drawing must hold. Null when there are no strokes.
QImage freshRedraw(const StrokeDrawing& drawing)
{
    if (drawing.rootStroke()->isEmpty())
        return QImage();
    QImage image = blank(drawing.size());
    drawing.rootStroke()->draw(image, image.rect(), QTransform(), QPoint(0, 0), 1.0);
    return image;
}

// The renderer rounds a little differently depending on where in an image
// a stroke is drawn, and strokes are drawn into the buffer one at a time
// but into a redraw all together. Within this, a buffer counts as equal to
// a redraw; a stroke missing, left over or blended with the wrong table
// differs by far more.
QString redrawMismatch(const StrokeDrawing& drawing, int allowedLargest = 32)
{
    const QImage expected = freshRedraw(drawing);
    if (expected.isNull())
        return drawing.buffer().isNull() ? QString() : QStringLiteral("buffer without strokes");
    if (drawing.buffer().size() != expected.size())
        return QStringLiteral("buffer of size %1x%2")
            .arg(drawing.buffer().width())
            .arg(drawing.buffer().height());
    const Difference diff = difference(drawing.buffer(), expected);
    if (diff.largest <= allowedLargest && diff.mean < 2.0)
        return QString();
    return QStringLiteral("largest %1, mean %2 over %3 pixels")
        .arg(diff.largest)
        .arg(diff.mean)
        .arg(diff.inked);
}

#define VERIFY_MATCHES_REDRAW(drawing)                                                            \
    do {                                                                                          \
        const QString mismatch = redrawMismatch(drawing);                                         \
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));                                       \
    } while (false)

// A pixel of a premultiplied image as a plain colour.
QColor colourAt(const QImage& image, int x, int y)
{
    return QColor::fromRgba(qUnpremultiply(image.pixel(x, y)));
}

QList<unsigned int> tableOf(const QColor& color)
{
    QList<unsigned int> table;
    for (int i = 0; i < 256; ++i)
        table.append(qRgba(color.red(), color.green(), color.blue(), i));
    return table;
}

// The alpha channel of what the painting left on a transparent canvas.
template <typename Paint>
QImage paintedAlpha(const QSize& size, Paint paint)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        paint(&painter);
    }
    QImage alpha = blank(size);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            alpha.scanLine(y)[x] = uchar(qAlpha(canvas.pixel(x, y)));
    return alpha;
}

QImage filled(const QSize& size, uchar value)
{
    return blank(size, value);
}

QByteArray bytesOfDrawing(const StrokeDrawing& drawing)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepare(out);
    out << drawing;
    return bytes;
}

QDataStream::Status readInto(StrokeDrawing& drawing, const QByteArray& bytes)
{
    QDataStream in(bytes);
    prepare(in);
    in >> drawing;
    return in.status();
}

// Header and strokes of a drawing's stream form, to be completed by the test.
QByteArray streamStart(const QSize& size, const CompoundStroke& root)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepare(out);
    out << size;
    root.serialize(out);
    return bytes;
}

QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (at(image, x, y) > 128)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// A zigzag across the frame: two segments at every turn, thousands of them.
QList<QPointF> zigzag(int turns)
{
    QList<QPointF> points;
    for (int i = 0; i < turns; ++i)
        points.append(QPointF(i % 2 ? 180.0 : 20.0, 20.0 + 120.0 * i / turns));
    return points;
}

} // namespace

class TestStrokeDrawing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void bufferEqualsARedrawAfterEveryEdit_data();
    void bufferEqualsARedrawAfterEveryEdit();
    void firstPenStrokeTakesOverItsBuffer();
    void refusedStrokesAreNotStored();
    void removingTheOnlyStrokeEmptiesTheBuffer();
    void editsClearCopyIdAndThumbnails_data();
    void editsClearCopyIdAndThumbnails();
    void collapseKeepsTheLookAndCanBeCancelled();
    void addPutsTheOtherDrawingOnTopAsOneStroke();
    void cloneCopiesContentButNotIdentity();
    void liftingCopiesOnlyTheLassoedPart();

    void drawPaintsCoverageThroughTheTable();
    void drawWithALiveStroke_data();
    void drawWithALiveStroke();

    void thumbnailsAreCachedPerColourAndSize();
    void thumbnailAlphaIsBoosted_data();
    void thumbnailAlphaIsBoosted();
    void deferredThumbnailsAreMadeAwayAndMatch();

    void changeFrameSizeRefits_data();
    void changeFrameSizeRefits();

    void streamRoundTripIsByteStable_data();
    void streamRoundTripIsByteStable();
    void emptyDrawingStreamsWithoutBuffer();
    void missingOrUnknownBufferIsRebuilt_data();
    void missingOrUnknownBufferIsRebuilt();
    void streamedSizeIsChecked_data();
    void streamedSizeIsChecked();
    void cellSizeWinsOverTheStreamedSize();
    void storedBufferOfAnotherSizeIsRebuilt();
    void readCoverageStaysInItsStoredFormUntilEdited();
    void storedBufferInAnotherFormIsWrittenAsEncoded();
    void longStrokeIsRedrawnInBoundedMemory();
    void strokeDrawnInPartsEqualsOneDraw();
    void drawingsBeyondTheBudgetAreRefused_data();
    void drawingsBeyondTheBudgetAreRefused();

private:
    std::unique_ptr<SingleStroke> pen(const QList<QPointF>& points, bool live = false) const
    {
        return strokeThrough(m_marker, points, live ? FrameSize : QSize());
    }
    std::unique_ptr<SingleStroke> eraser(const QList<QPointF>& points, bool live = false) const
    {
        return strokeThrough(m_eraser, points, live ? FrameSize : QSize(), 1.0);
    }
    std::unique_ptr<SingleStroke> randomStroke(QRandomGenerator& random, bool isPen,
                                               bool live) const;
    // Three pen strokes (marker, pencil, brush), an eraser across them and a
    // cut.
    std::unique_ptr<StrokeDrawing> sample(const QSize& size = FrameSize) const;

    QObject m_toolOwner;
    Model::PenTool* m_marker = nullptr;
    Model::PenTool* m_pencil = nullptr;
    Model::PenTool* m_brush = nullptr;
    Model::EraserTool* m_eraser = nullptr;
    Model::EraserTool* m_kneaded = nullptr;
};

void TestStrokeDrawing::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(FrameSize));
    m_marker = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_pencil = new Model::PenTool(Model::Tool::Pencil, &m_toolOwner);
    m_brush = new Model::PenTool(Model::Tool::Brush, &m_toolOwner);
    m_eraser = new Model::EraserTool(Model::Tool::Rubber, &m_toolOwner);
    m_kneaded = new Model::EraserTool(Model::Tool::Kneaded, &m_toolOwner);
    m_marker->setSizeRangePercent(3.0, 5.0);
    m_pencil->setSizeRangePercent(2.0, 4.0);
    m_brush->setSizeRangePercent(4.0, 8.0);
    m_eraser->setSizeRangePercent(4.0, 6.0);
    m_kneaded->setSizeRangePercent(6.0, 9.0);
}

std::unique_ptr<SingleStroke> TestStrokeDrawing::randomStroke(QRandomGenerator& random,
                                                              bool isPen, bool live) const
{
    Model::Tool* const pens[] = {m_marker, m_pencil, m_brush};
    Model::Tool* const erasers[] = {m_eraser, m_kneaded};
    Model::Tool* tool = isPen ? pens[random.bounded(3)] : erasers[random.bounded(2)];
    QList<QPointF> points;
    const int count = 2 + random.bounded(4);
    // Some strokes run off the frame, so that clipping at the edges counts.
    for (int i = 0; i < count; ++i)
        points.append(QPointF(random.bounded(-20, FrameSize.width() + 20),
                              random.bounded(-20, FrameSize.height() + 20)));
    const double pressure = 0.3 + random.bounded(0.7);
    return strokeThrough(tool, points, live ? FrameSize : QSize(), pressure);
}

std::unique_ptr<StrokeDrawing> TestStrokeDrawing::sample(const QSize& size) const
{
    auto drawing = std::make_unique<StrokeDrawing>(size);
    drawing->appendStroke(pen({{20, 40}, {80, 40}, {150, 42}}));
    drawing->appendStroke(strokeThrough(m_pencil, {{50, 20}, {55, 70}, {70, 130}}));
    drawing->appendStroke(strokeThrough(m_brush, {{20, 100}, {90, 105}, {160, 120}}));
    drawing->appendStroke(eraser({{100, 30}, {110, 80}, {120, 130}}));
    drawing->appendCut(rectPath(QRectF(130, 90, 30, 40)));
    return drawing;
}

void TestStrokeDrawing::bufferEqualsARedrawAfterEveryEdit_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<bool>("live");
    QTest::newRow("pasted strokes, seed 1") << 1u << false;
    QTest::newRow("pasted strokes, seed 2") << 2u << false;
    QTest::newRow("pasted strokes, seed 3") << 3u << false;
    QTest::newRow("live strokes, seed 4") << 4u << true;
    QTest::newRow("live strokes, seed 5") << 5u << true;
}

// Strokes that come without a buffer (pasted, read, undone and redone) are
// drawn on append exactly as a redraw draws them. Live strokes bring the
// buffer they were drawn into piece by piece, which differs from a redraw
// only by rounding at the rims.
void TestStrokeDrawing::bufferEqualsARedrawAfterEveryEdit()
{
    QFETCH(quint32, seed);
    QFETCH(bool, live);
    QRandomGenerator random(seed);
    StrokeDrawing drawing(FrameSize);
    QStringList done;

    for (int step = 0; step < 28; ++step) {
        const int roll = random.bounded(100);
        if (roll < 40) {
            QVERIFY(drawing.appendStroke(randomStroke(random, true, live)));
            done << QStringLiteral("pen");
        } else if (roll < 58) {
            const bool expected = !drawing.rootStroke()->isEmpty();
            QCOMPARE(drawing.appendStroke(randomStroke(random, false, live)), expected);
            done << QStringLiteral("eraser");
        } else if (roll < 70) {
            QPainterPath path;
            const QRectF area(random.bounded(FrameSize.width()), random.bounded(FrameSize.height()),
                              15 + random.bounded(80), 15 + random.bounded(60));
            if (random.bounded(2))
                path.addEllipse(area);
            else
                path.addRect(area);
            drawing.appendCut(path);
            done << QStringLiteral("cut");
        } else if (roll < 90) {
            drawing.removeLastStroke();
            done << QStringLiteral("remove");
        } else {
            StrokeDrawing other(FrameSize);
            other.appendStroke(randomStroke(random, true, false));
            other.appendStroke(randomStroke(random, true, false));
            drawing.add(&other);
            done << QStringLiteral("add");
        }

        const QString mismatch = redrawMismatch(drawing, live ? 48 : 32);
        QVERIFY2(mismatch.isEmpty(),
                 qPrintable(done.join(QLatin1Char(' ')) + QStringLiteral(": ") + mismatch));
    }
    QVERIFY(done.contains(QStringLiteral("cut")));
    QVERIFY(done.contains(QStringLiteral("remove")));
}

void TestStrokeDrawing::firstPenStrokeTakesOverItsBuffer()
{
    StrokeDrawing drawing(FrameSize);
    auto stroke = pen({{30, 30}, {150, 120}}, true);
    const QImage before = stroke->buffer().copy();
    const uchar* bits = stroke->buffer().constBits();
    SingleStroke* raw = stroke.get();
    QVERIFY(drawing.appendStroke(std::move(stroke)));
    QCOMPARE(drawing.buffer(), before);
    QCOMPARE(drawing.buffer().constBits(), bits);
    // The stroke inside the drawing no longer holds a frame-sized image.
    QVERIFY(raw->buffer().isNull());

    // The next stroke's buffer is blended in and released as well.
    auto second = pen({{30, 120}, {150, 30}}, true);
    SingleStroke* secondRaw = second.get();
    QVERIFY(drawing.appendStroke(std::move(second)));
    QVERIFY(secondRaw->buffer().isNull());
    QVERIFY(total(drawing.buffer()) > total(before));
}

void TestStrokeDrawing::refusedStrokesAreNotStored()
{
    StrokeDrawing drawing(FrameSize);
    drawing.setCopyId(QUuid::createUuid());
    const QUuid id = drawing.currentCopyId();
    QVERIFY(!drawing.appendStroke(nullptr));
    QVERIFY(!drawing.appendStroke(eraser({{10, 10}, {100, 100}}, true)));
    QVERIFY(!drawing.appendStroke(eraser({{10, 10}, {100, 100}})));
    QCOMPARE(drawing.numTotalStrokes(), 0);
    QVERIFY(drawing.buffer().isNull());
    QVERIFY(!drawing.appendCut(rectPath(QRectF(0, 0, 50, 50))));
    QVERIFY(!drawing.removeLastStroke());
    QCOMPARE(drawing.currentCopyId(), id);
}

void TestStrokeDrawing::removingTheOnlyStrokeEmptiesTheBuffer()
{
    StrokeDrawing drawing(FrameSize);
    drawing.appendStroke(pen({{30, 30}, {150, 120}}, true));
    QVERIFY(!drawing.buffer().isNull());
    std::unique_ptr<Stroke> removed = drawing.removeLastStroke();
    QVERIFY(removed);
    QCOMPARE(removed->type(), 0);
    QVERIFY(drawing.buffer().isNull());
    const QByteArray bytes = bytesOfDrawing(drawing);
    QCOMPARE(bytes.right(4), QByteArray::fromHex("ffffffff"));

    // Undo and redo: the removed stroke, now without a buffer, comes back
    // drawn as before.
    QVERIFY(drawing.appendStroke(std::move(removed)));
    VERIFY_MATCHES_REDRAW(drawing);
}

void TestStrokeDrawing::editsClearCopyIdAndThumbnails_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("append") << "append";
    QTest::newRow("remove") << "remove";
    QTest::newRow("cut") << "cut";
    QTest::newRow("collapse") << "collapse";
}

void TestStrokeDrawing::editsClearCopyIdAndThumbnails()
{
    QFETCH(QString, edit);
    auto drawing = sample();
    drawing->setCopyId(QUuid::createUuid());
    const QList<unsigned int> table = tableOf(Qt::blue);
    const QImage before = drawing->thumbnail(QSize(50, 40), table);
    QVERIFY(!before.isNull());

    if (edit == QLatin1String("append"))
        QVERIFY(drawing->appendStroke(pen({{10, 150}, {190, 150}})));
    else if (edit == QLatin1String("remove"))
        QVERIFY(drawing->removeLastStroke());
    else if (edit == QLatin1String("cut"))
        QVERIFY(drawing->appendCut(rectPath(QRectF(10, 10, 60, 60))));
    else
        QVERIFY(drawing->collapseVectorData(2, QRect(), nullptr));

    QVERIFY(drawing->currentCopyId().isNull());
    const QImage after = drawing->thumbnail(QSize(50, 40), table);
    QVERIFY(after.cacheKey() != before.cacheKey());
    VERIFY_MATCHES_REDRAW(*drawing);
}

void TestStrokeDrawing::collapseKeepsTheLookAndCanBeCancelled()
{
    auto drawing = sample();
    drawing->setCopyId(QUuid::createUuid());
    const QByteArray before = bytesOfDrawing(*drawing);

    QProgressDialog progress;
    progress.cancel();
    QVERIFY(!drawing->collapseVectorData(2, QRect(), &progress));
    QCOMPARE(bytesOfDrawing(*drawing), before);
    QVERIFY(!drawing->currentCopyId().isNull());

    const QImage vector = drawing->buffer().copy();
    QVERIFY(drawing->collapseVectorData(2, QRect(), nullptr));
    QCOMPARE(drawing->numTotalStrokes(), 1);
    QCOMPARE(drawing->rootStroke()->strokeAt(0)->type(), 2);
    VERIFY_MATCHES_REDRAW(*drawing);
    const double inkVector = double(total(vector));
    const double inkRaster = double(total(drawing->buffer()));
    QVERIFY2(std::abs(inkVector - inkRaster) / inkVector < 0.03,
             qPrintable(QStringLiteral("ink %1 vs %2").arg(inkVector).arg(inkRaster)));

    // Collapsing nothing leaves nothing behind.
    StrokeDrawing empty(FrameSize);
    QVERIFY(empty.collapseVectorData(2, QRect(), nullptr));
    QCOMPARE(empty.numTotalStrokes(), 0);
    QVERIFY(empty.buffer().isNull());
}

void TestStrokeDrawing::addPutsTheOtherDrawingOnTopAsOneStroke()
{
    auto drawing = sample();
    const int before = drawing->numTotalStrokes();
    auto other = sample();
    other->changeFrameSize(QSize(200, 160), KW::FitMode::FitModeStretch);
    other->appendStroke(pen({{10, 150}, {190, 10}}));
    const int otherTotal = other->numTotalStrokes();

    drawing->add(other.get());
    const CompoundStroke* root = drawing->rootStroke();
    QCOMPARE(root->strokeAt(root->numStrokes() - 1)->type(), 1);
    QVERIFY(drawing->numTotalStrokes() >= before + 1 + otherTotal);
    VERIFY_MATCHES_REDRAW(*drawing);
    // The other drawing is untouched.
    QCOMPARE(other->numTotalStrokes(), otherTotal);

    // Pictures and empty drawings add nothing.
    const int merged = drawing->numTotalStrokes();
    Model::ImageDrawing picture(filled(FrameSize, 255));
    drawing->add(&picture);
    StrokeDrawing empty(FrameSize);
    drawing->add(&empty);
    QCOMPARE(drawing->numTotalStrokes(), merged);
}

void TestStrokeDrawing::cloneCopiesContentButNotIdentity()
{
    auto drawing = sample();
    drawing->setName(QStringLiteral("A"));
    drawing->createCopyId();
    std::unique_ptr<StrokeDrawing> copy(drawing->clone());
    QCOMPARE(copy->type(), 0);
    QVERIFY(copy->currentCopyId().isNull());
    QVERIFY(copy->name().isEmpty());
    QCOMPARE(copy->size(), drawing->size());
    QCOMPARE(copy->buffer(), drawing->buffer());
    QCOMPARE(bytesOfDrawing(*copy), bytesOfDrawing(*drawing));

    // Deep: editing the copy leaves the source alone.
    const QImage source = drawing->buffer().copy();
    copy->removeLastStroke();
    copy->appendStroke(pen({{10, 10}, {190, 150}}));
    QCOMPARE(drawing->buffer(), source);
    QCOMPARE(drawing->numTotalStrokes(), sample()->numTotalStrokes());
}

void TestStrokeDrawing::liftingCopiesOnlyTheLassoedPart()
{
    StrokeDrawing drawing(FrameSize);
    drawing.appendStroke(pen({{20, 30}, {60, 30}}));
    drawing.appendStroke(pen({{120, 120}, {170, 130}}));
    const QByteArray before = bytesOfDrawing(drawing);

    std::unique_ptr<Stroke> lifted = drawing.createNewFloatingSelection(rectPath(QRectF(0, 0, 90, 70)));
    QVERIFY(lifted);
    QCOMPARE(lifted->type(), 1);
    QVERIFY(QRect(0, 0, 90, 70).contains(lifted->boundingRect()));
    QCOMPARE(bytesOfDrawing(drawing), before);

    QImage image = blank(FrameSize);
    lifted->draw(image, image.rect(), QTransform(), QPoint(), 1.0);
    QVERIFY(total(image.copy(0, 0, 90, 70)) > 0);
    QCOMPARE(total(image.copy(100, 100, 100, 60)), 0);
}

void TestStrokeDrawing::drawPaintsCoverageThroughTheTable()
{
    auto drawing = sample();
    const QList<unsigned int> table = tableOf(QColor(0, 0, 255));
    const QRect rect(30, 20, 120, 100);
    const QImage alpha = paintedAlpha(FrameSize, [&](QPainter* painter) {
        drawing->draw(painter, table, rect);
    });
    QImage expected = blank(FrameSize);
    Model::Blending::blendImages(expected, drawing->buffer(), rect, true);
    QCOMPARE(alpha, expected);

    // The colour comes from the table, the coverage is its alpha.
    QImage canvas(FrameSize, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        drawing->draw(&painter, table, canvas.rect());
    }
    int inked = 0;
    for (int y = 0; y < FrameSize.height(); ++y) {
        for (int x = 0; x < FrameSize.width(); ++x) {
            const QRgb pixel = canvas.pixel(x, y);
            QCOMPARE(qAlpha(pixel), int(at(drawing->buffer(), x, y)));
            if (qAlpha(pixel) >= 16) {
                ++inked;
                QCOMPARE(QColor::fromRgba(pixel).rgb(), qRgb(0, 0, 255));
            }
        }
    }
    QVERIFY(inked > 500);

    // No buffer, no table: nothing.
    StrokeDrawing empty(FrameSize);
    const QRect whole(QPoint(0, 0), FrameSize);
    QCOMPARE(total(paintedAlpha(FrameSize, [&](QPainter* p) { empty.draw(p, table, whole); })), 0);
    QCOMPARE(total(paintedAlpha(FrameSize, [&](QPainter* p) { drawing->draw(p, {}, whole); })), 0);
}

void TestStrokeDrawing::drawWithALiveStroke_data()
{
    QTest::addColumn<bool>("drawingHasStrokes");
    QTest::addColumn<bool>("livePen");
    QTest::addColumn<QSize>("liveSize");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("pen on a blank drawing") << false << true << FrameSize << QRect(0, 0, 200, 160);
    QTest::newRow("eraser on a blank drawing") << false << false << FrameSize << QRect(0, 0, 200, 160);
    QTest::newRow("pen over strokes") << true << true << FrameSize << QRect(10, 10, 150, 120);
    QTest::newRow("eraser over strokes") << true << false << FrameSize << QRect(0, 0, 200, 160);
    // A stroke buffer of another size is read only where both images are;
    // the rest of the drawing still shows.
    QTest::newRow("smaller stroke buffer") << true << true << QSize(120, 90) << QRect(0, 0, 200, 160);
    QTest::newRow("larger stroke buffer") << true << false << QSize(300, 240) << QRect(-50, -50, 400, 300);
    QTest::newRow("rect beyond both") << true << true << FrameSize << QRect(150, 100, 500, 500);
}

void TestStrokeDrawing::drawWithALiveStroke()
{
    QFETCH(bool, drawingHasStrokes);
    QFETCH(bool, livePen);
    QFETCH(QSize, liveSize);
    QFETCH(QRect, rect);

    auto drawing = drawingHasStrokes ? sample() : std::make_unique<StrokeDrawing>(FrameSize);
    Model::Tool* tool = livePen ? static_cast<Model::Tool*>(m_pencil) : m_eraser;
    auto live = strokeThrough(tool, {{5, 5}, {100, 80}, {195, 155}}, liveSize, 1.0);
    QVERIFY(!live->buffer().isNull());
    const QList<unsigned int> table = tableOf(QColor(200, 0, 0));

    const QImage alpha = paintedAlpha(FrameSize, [&](QPainter* painter) {
        drawing->draw(painter, table, rect, live.get());
    });

    QImage expected = blank(FrameSize);
    const QRect visible = rect & QRect(QPoint(0, 0), FrameSize);
    if (!drawing->buffer().isNull()) {
        Model::Blending::blendImages(expected, drawing->buffer(), visible, true);
        Model::Blending::blendImages(expected, live->buffer(), visible, livePen);
    } else if (livePen) {
        Model::Blending::blendImages(expected, live->buffer(), visible, true);
    }
    QCOMPARE(alpha, expected);

    // Without a live stroke the variant paints nothing.
    QCOMPARE(total(paintedAlpha(FrameSize, [&](QPainter* p) {
                 drawing->draw(p, table, rect, static_cast<const SingleStroke*>(nullptr));
             })),
             0);
}

void TestStrokeDrawing::thumbnailsAreCachedPerColourAndSize()
{
    auto drawing = sample();
    const QList<unsigned int> blue = tableOf(Qt::blue);
    const QList<unsigned int> red = tableOf(Qt::red);
    QVERIFY(drawing->thumbnail(QSize(-1, 40), blue).isNull());
    QVERIFY(drawing->thumbnail(QSize(50, 40), {}).isNull());

    const QImage first = drawing->thumbnail(QSize(50, 40), blue);
    QCOMPARE(first.size(), QSize(50, 40));
    QCOMPARE(drawing->thumbnail(QSize(50, 40), blue).cacheKey(), first.cacheKey());

    const QImage other = drawing->thumbnail(QSize(50, 40), red);
    QVERIFY(other.cacheKey() != first.cacheKey());
    QCOMPARE(drawing->thumbnail(QSize(50, 40), blue).cacheKey(), first.cacheKey());
    QCOMPARE(drawing->thumbnail(QSize(50, 40), red).cacheKey(), other.cacheKey());

    // Another size starts the cache afresh, keeping the aspect ratio.
    const QImage bigger = drawing->thumbnail(QSize(100, 100), blue);
    QCOMPARE(bigger.size(), QSize(100, 80));
    QVERIFY(drawing->thumbnail(QSize(50, 40), blue).cacheKey() != first.cacheKey());

    StrokeDrawing empty(FrameSize);
    QVERIFY(empty.thumbnail(QSize(50, 40), blue).isNull());
}

void TestStrokeDrawing::thumbnailAlphaIsBoosted_data()
{
    QTest::addColumn<int>("coverage");
    QTest::addColumn<int>("alpha");
    QTest::newRow("20") << 20 << 160;
    QTest::newRow("1") << 1 << 8;
    QTest::newRow("31") << 31 << 248;
    QTest::newRow("32") << 32 << 255;
    QTest::newRow("200") << 200 << 255;
}

void TestStrokeDrawing::thumbnailAlphaIsBoosted()
{
    QFETCH(int, coverage);
    QFETCH(int, alpha);
    StrokeDrawing drawing(FrameSize);
    QVERIFY(drawing.appendStroke(std::make_unique<BitmapStroke>(
        filled(QSize(40, 40), uchar(coverage)), QRect(50, 50, 40, 40))));
    QCOMPARE(int(at(drawing.buffer(), 70, 70)), coverage);

    const QImage thumbnail = drawing.thumbnail(FrameSize, tableOf(QColor(0, 128, 255)));
    const QRgb inside = thumbnail.pixel(70, 70);
    QCOMPARE(qAlpha(inside), alpha);
    // The colour survives where the coverage carried enough of it.
    if (coverage >= 20) {
        const QColor colour = colourAt(thumbnail, 70, 70);
        QVERIFY2(qAbs(colour.green() - 128) <= 8, qPrintable(colour.name()));
        QCOMPARE(colour.blue(), 255);
    }
    QCOMPARE(qAlpha(thumbnail.pixel(10, 10)), 0);
}

// A view that must not wait is answered at once, with nothing, and later
// with exactly the thumbnail a direct call makes; a drawing edited
// meanwhile never gets the thumbnail of its old content.
void TestStrokeDrawing::deferredThumbnailsAreMadeAwayAndMatch()
{
    Model::ThumbnailMaker* const maker = Model::ThumbnailMaker::instance();
    const QSize size(50, 40);
    const QList<unsigned int> blue = tableOf(Qt::blue);
    auto drawing = sample();
    std::unique_ptr<StrokeDrawing> direct(drawing->clone());
    const QImage expected = direct->thumbnail(size, blue);
    QVERIFY(!expected.isNull());
    {
        Model::ThumbnailMaker::Deferral const deferral;
        QVERIFY(drawing->thumbnail(size, blue).isNull());
        QTRY_VERIFY(maker->isIdle());
        const QImage made = drawing->thumbnail(size, blue);
        QCOMPARE(made, expected);
        // Kept as any thumbnail: asked again, the same image.
        QCOMPARE(drawing->thumbnail(size, blue).cacheKey(), made.cacheKey());
    }

    auto edit = [this] { return pen({{10, 150}, {190, 150}}); };
    const QImage old = direct->thumbnail(size, tableOf(Qt::red));
    QVERIFY(direct->appendStroke(edit()));
    const QImage edited = direct->thumbnail(size, tableOf(Qt::red));
    QVERIFY(edited != old);
    {
        Model::ThumbnailMaker::Deferral const deferral;
        QVERIFY(drawing->thumbnail(size, tableOf(Qt::red)).isNull());
        QVERIFY(drawing->appendStroke(edit()));
        QTRY_VERIFY(maker->isIdle());
        QVERIFY(drawing->thumbnail(size, tableOf(Qt::red)).isNull());
        QTRY_VERIFY(maker->isIdle());
        QCOMPARE(drawing->thumbnail(size, tableOf(Qt::red)), edited);
    }
}

void TestStrokeDrawing::changeFrameSizeRefits_data()
{
    QTest::addColumn<QSize>("from");
    QTest::addColumn<QSize>("to");
    QTest::addColumn<KW::FitMode>("mode");
    QTest::addColumn<QTransform>("expected");
    QTest::newRow("keep aspect, wide into square")
        << QSize(1920, 1080) << QSize(960, 960) << KW::FitMode::FitModeKeepAspect
        << QTransform(0.5, 0, 0, 0.5, 0, 210);
    QTest::newRow("stretch") << QSize(200, 160) << QSize(100, 320) << KW::FitMode::FitModeStretch
                             << QTransform(0.5, 0, 0, 2, 0, 0);
    QTest::newRow("keep aspect by expanding")
        << QSize(200, 160) << QSize(100, 100) << KW::FitMode::FitModeKeepAspectByExpanding
        << QTransform(0.625, 0, 0, 0.625, -12.5, 0);
    QTest::newRow("crop centre") << QSize(200, 160) << QSize(300, 100)
                                 << KW::FitMode::FitModeCropCenter << QTransform(1, 0, 0, 1, 50, -30);
    QTest::newRow("ignore") << QSize(200, 160) << QSize(100, 100) << KW::FitMode::FitModeIgnore
                            << QTransform();
}

void TestStrokeDrawing::changeFrameSizeRefits()
{
    QFETCH(QSize, from);
    QFETCH(QSize, to);
    QFETCH(KW::FitMode, mode);
    QFETCH(QTransform, expected);

    StrokeDrawing drawing(from);
    drawing.appendStroke(pen({{60, 80}, {140, 80}}));
    const QRect inkBefore = inkBounds(drawing.buffer());
    const QList<unsigned int> table = tableOf(Qt::blue);
    const QImage oldThumbnail = drawing.thumbnail(QSize(20, 20), table);

    drawing.changeFrameSize(to, mode);
    QCOMPARE(drawing.size(), to);
    QCOMPARE(drawing.buffer().size(), to);
    QCOMPARE(drawing.rootStroke()->transform(), expected);
    QCOMPARE(drawing.buffer(), freshRedraw(drawing));
    const QRectF wanted = expected.mapRect(QRectF(inkBefore)) & QRectF(QPoint(0, 0), to);
    const QRect inkAfter = inkBounds(drawing.buffer());
    QVERIFY2(qAbs(inkAfter.center().x() - wanted.center().x()) <= 2
                 && qAbs(inkAfter.center().y() - wanted.center().y()) <= 2,
             qPrintable(QStringLiteral("ink at %1,%2").arg(inkAfter.center().x()).arg(inkAfter.center().y())));
    QVERIFY(drawing.thumbnail(QSize(20, 20), table).cacheKey() != oldThumbnail.cacheKey());

    // The next stroke goes on top in the new frame's coordinates.
    drawing.appendStroke(pen({{10, 10}, {40, 10}}));
    QVERIFY(at(drawing.buffer(), 25, 10) > 0);
    VERIFY_MATCHES_REDRAW(drawing);

    // Sizes no frame can have are refused.
    QTest::ignoreMessage(QtWarningMsg, "StrokeDrawing: frame size 0x100 refused");
    drawing.changeFrameSize(QSize(0, 100), mode);
    QTest::ignoreMessage(QtWarningMsg, "StrokeDrawing: frame size 16385x100 refused");
    drawing.changeFrameSize(QSize(StrokeDrawing::maximumSide + 1, 100), mode);
    QCOMPARE(drawing.size(), to);
}

void TestStrokeDrawing::streamRoundTripIsByteStable_data()
{
    QTest::addColumn<QString>("content");
    QTest::newRow("empty") << "empty";
    QTest::newRow("strokes, eraser and cut") << "sample";
    QTest::newRow("refitted") << "refitted";
    QTest::newRow("collapsed") << "collapsed";
}

void TestStrokeDrawing::streamRoundTripIsByteStable()
{
    QFETCH(QString, content);
    std::unique_ptr<StrokeDrawing> drawing;
    if (content == QLatin1String("empty")) {
        drawing = std::make_unique<StrokeDrawing>(FrameSize);
    } else {
        drawing = sample(content == QLatin1String("refitted") ? QSize(400, 320) : FrameSize);
        if (content == QLatin1String("refitted"))
            drawing->changeFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect);
        if (content == QLatin1String("collapsed"))
            QVERIFY(drawing->collapseVectorData(2, QRect(), nullptr));
    }

    const QByteArray bytes = bytesOfDrawing(*drawing);
    StrokeDrawing read(FrameSize);
    QCOMPARE(readInto(read, bytes), QDataStream::Ok);
    QCOMPARE(read.size(), drawing->size());
    QCOMPARE(read.numTotalStrokes(), drawing->numTotalStrokes());
    QCOMPARE(read.buffer(), drawing->buffer());
    QCOMPARE(bytesOfDrawing(read), bytes);

    // Into a placeholder that waits for its content, too.
    StrokeDrawing placeholder(QSize(-1, -1));
    QCOMPARE(readInto(placeholder, bytes), QDataStream::Ok);
    QCOMPARE(placeholder.size(), FrameSize);
    QCOMPARE(bytesOfDrawing(placeholder), bytes);
}

void TestStrokeDrawing::emptyDrawingStreamsWithoutBuffer()
{
    StrokeDrawing empty(FrameSize);
    QByteArray expected = streamStart(FrameSize, CompoundStroke());
    {
        QDataStream out(&expected, QIODevice::Append);
        out << qint32(-1);
    }
    QCOMPARE(bytesOfDrawing(empty), expected);

    auto drawing = sample();
    StrokeDrawing read(FrameSize);
    readInto(read, bytesOfDrawing(empty));
    QVERIFY(read.buffer().isNull());
    QCOMPARE(read.numTotalStrokes(), 0);

    // Reading replaces what was there.
    QCOMPARE(readInto(*drawing, bytesOfDrawing(empty)), QDataStream::Ok);
    QCOMPARE(drawing->numTotalStrokes(), 0);
    QVERIFY(drawing->buffer().isNull());
}

void TestStrokeDrawing::missingOrUnknownBufferIsRebuilt_data()
{
    QTest::addColumn<int>("tag"); // 0: the stream ends after the strokes
    QTest::newRow("no tag") << 0;
    QTest::newRow("no buffer tag") << -1;
    QTest::newRow("unknown tag") << 7;
}

void TestStrokeDrawing::missingOrUnknownBufferIsRebuilt()
{
    QFETCH(int, tag);
    auto drawing = sample();
    QByteArray bytes = streamStart(FrameSize, *drawing->rootStroke());
    if (tag != 0) {
        QDataStream out(&bytes, QIODevice::Append);
        out << qint32(tag);
    }
    StrokeDrawing read(FrameSize);
    QCOMPARE(readInto(read, bytes), QDataStream::Ok);
    QCOMPARE(read.buffer(), freshRedraw(read));
    QCOMPARE(read.numTotalStrokes(), drawing->numTotalStrokes());

    // A stored buffer for a drawing without strokes is dropped.
    QByteArray emptyWithBuffer = streamStart(FrameSize, CompoundStroke());
    {
        QDataStream out(&emptyWithBuffer, QIODevice::Append);
        out << StrokeDrawing::BufferFollows << Model::RleImage(filled(FrameSize, 9));
    }
    StrokeDrawing empty(FrameSize);
    readInto(empty, emptyWithBuffer);
    QVERIFY(empty.buffer().isNull());
}

void TestStrokeDrawing::streamedSizeIsChecked_data()
{
    QTest::addColumn<QSize>("stored");
    QTest::addColumn<QSize>("own");
    QTest::newRow("zero") << QSize(0, 0) << FrameSize;
    QTest::newRow("negative") << QSize(-200, 160) << FrameSize;
    QTest::newRow("too wide") << QSize(StrokeDrawing::maximumSide + 1, 160) << FrameSize;
    QTest::newRow("absurd") << QSize(1 << 30, 1 << 30) << FrameSize;
    QTest::newRow("absurd into placeholder") << QSize(1 << 30, 1 << 30) << QSize(-1, -1);
    QTest::newRow("zero into placeholder") << QSize(0, 0) << QSize(-1, -1);
}

void TestStrokeDrawing::streamedSizeIsChecked()
{
    QFETCH(QSize, stored);
    QFETCH(QSize, own);
    auto source = sample();
    QByteArray bytes = streamStart(stored, *source->rootStroke());
    {
        QDataStream out(&bytes, QIODevice::Append);
        out << qint32(-1);
    }
    StrokeDrawing read(own);
    read.appendStroke(pen({{10, 10}, {50, 50}}));
    QCOMPARE(readInto(read, bytes), QDataStream::ReadCorruptData);
    QCOMPARE(read.size(), own);
    QCOMPARE(read.numTotalStrokes(), 0);
    QVERIFY(read.buffer().isNull());
}

// A cell's drawing is made at the layer's frame size before its stream is
// read; whatever size the stream names, the drawing stays at the frame size
// and a live stroke of that size is combined with it within bounds.
void TestStrokeDrawing::cellSizeWinsOverTheStreamedSize()
{
    auto source = sample(QSize(120, 90));
    QCOMPARE(source->buffer().size(), QSize(120, 90));
    const QByteArray bytes = bytesOfDrawing(*source);

    StrokeDrawing read(FrameSize);
    QCOMPARE(readInto(read, bytes), QDataStream::Ok);
    QCOMPARE(read.size(), FrameSize);
    QCOMPARE(read.buffer().size(), FrameSize);
    QCOMPARE(read.buffer(), freshRedraw(read));
    QCOMPARE(read.numTotalStrokes(), source->numTotalStrokes());

    auto live = strokeThrough(m_marker, {{5, 150}, {195, 150}}, FrameSize);
    const QList<unsigned int> table = tableOf(Qt::black);
    const QImage alpha = paintedAlpha(FrameSize, [&](QPainter* painter) {
        read.draw(painter, table, QRect(QPoint(0, 0), FrameSize), live.get());
    });
    QImage expected = read.buffer().copy();
    Model::Blending::blendImages(expected, live->buffer(), expected.rect(), true);
    QCOMPARE(alpha, expected);
}

void TestStrokeDrawing::storedBufferOfAnotherSizeIsRebuilt()
{
    auto source = sample();
    QByteArray bytes = streamStart(FrameSize, *source->rootStroke());
    {
        QDataStream out(&bytes, QIODevice::Append);
        out << StrokeDrawing::BufferFollows << Model::RleImage(filled(QSize(50, 40), 77));
    }
    StrokeDrawing read(FrameSize);
    QCOMPARE(readInto(read, bytes), QDataStream::Ok);
    QCOMPARE(read.buffer().size(), FrameSize);
    QCOMPARE(read.buffer(), freshRedraw(read));
}

void TestStrokeDrawing::readCoverageStaysInItsStoredFormUntilEdited()
{
    auto source = sample();
    QByteArray const bytes = bytesOfDrawing(*source);
    StrokeDrawing compact(FrameSize);
    QCOMPARE(readInto(compact, bytes), QDataStream::Ok);
    StrokeDrawing decoded(FrameSize);
    QCOMPARE(readInto(decoded, bytes), QDataStream::Ok);
    QVERIFY(!decoded.buffer().isNull());

    // Written, painted and shrunk to a thumbnail from the stored form alone,
    // it gives what the decoded buffer gives.
    QCOMPARE(bytesOfDrawing(compact), bytes);
    QVERIFY(compact.hasCoverage());
    auto const painted = [](StrokeDrawing const& drawing, QColor const& colour) {
        QImage image(FrameSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setOpacity(0.75);
        drawing.draw(&painter, tableOf(colour), QRect(10, 10, 150, 120));
        drawing.draw(&painter, tableOf(colour), QRect(QPoint(0, 0), FrameSize));
        return image;
    };
    for (QColor const& colour : {QColor(Qt::red), QColor(20, 200, 90, 128)})
        QCOMPARE(painted(compact, colour), painted(decoded, colour));
    QCOMPARE(compact.thumbnail(QSize(60, 48), tableOf(Qt::blue)),
             decoded.thumbnail(QSize(60, 48), tableOf(Qt::blue)));

    // An edit works on the whole coverage.
    QRandomGenerator random(7);
    auto stroke = randomStroke(random, true, false);
    std::unique_ptr<Stroke> copy = stroke->clone();
    QVERIFY(compact.appendStroke(std::move(stroke)));
    QVERIFY(decoded.appendStroke(std::move(copy)));
    QCOMPARE(compact.buffer(), decoded.buffer());
    QCOMPARE(bytesOfDrawing(compact), bytesOfDrawing(decoded));
    QCOMPARE(painted(compact, Qt::red), painted(decoded, Qt::red));
}

void TestStrokeDrawing::storedBufferInAnotherFormIsWrittenAsEncoded()
{
    // Two skips where the encoder writes one: decodable, but not the bytes
    // the encoder gives, so it is written again in the encoder's form.
    auto source = sample();
    QByteArray const start = streamStart(FrameSize, *source->rootStroke());
    QByteArray bytes = start;
    {
        QDataStream out(&bytes, QIODevice::Append);
        out << StrokeDrawing::BufferFollows << qint32(FrameSize.width())
            << qint32(FrameSize.height()) << QByteArray("\x00\x05\x00\x05\x03\x01\x80\x0a", 8);
    }
    StrokeDrawing read(FrameSize);
    QCOMPARE(readInto(read, bytes), QDataStream::Ok);
    QImage stored = filled(FrameSize, 0);
    stored.scanLine(0)[10] = 0x80;
    QByteArray expected = start;
    {
        QDataStream out(&expected, QIODevice::Append);
        out << StrokeDrawing::BufferFollows << Model::RleImage(stored);
    }
    QCOMPARE(bytesOfDrawing(read), expected);
    QCOMPARE(read.buffer(), stored);
}


void TestStrokeDrawing::longStrokeIsRedrawnInBoundedMemory()
{
    // Some 8000 segments of some 660 vertices each: drawn in one go, their
    // vertex data alone would take about 200 MB.
    const auto withoutBuffer = [this](int turns) {
        CompoundStroke root;
        root.appendStroke(pen(zigzag(turns)));
        QByteArray bytes = streamStart(FrameSize, root);
        QDataStream out(&bytes, QIODevice::Append);
        out << StrokeDrawing::NoBuffer;
        return bytes;
    };
    const QByteArray bytes = withoutBuffer(4000);
    // The renderer's first drawing of the kind sets up what it keeps.
    StrokeDrawing warmUp(FrameSize);
    QCOMPARE(readInto(warmUp, withoutBuffer(10)), QDataStream::Ok);

    StrokeDrawing read(FrameSize);
    TestSupport::PeakMemory memory;
    if (!memory.isAvailable())
        QSKIP("The kernel cannot restart the high-water mark of resident memory");
    QCOMPARE(readInto(read, bytes), QDataStream::Ok);
    const qint64 rise = memory.rise();
    // What the renderer keeps while it bins triangles, whatever their number;
    // the stroke's own data is under a megabyte.
    QVERIFY2(rise < 64 * 1024 * 1024, qPrintable(QStringLiteral("%1 MB").arg(rise >> 20)));
    QVERIFY(total(read.buffer()) > 0);
    QVERIFY(static_cast<const SingleStroke*>(read.rootStroke()->strokeAt(0))->segments().size()
            > 7000);
}

void TestStrokeDrawing::strokeDrawnInPartsEqualsOneDraw()
{
    // Far more vertices than one part holds, in pen and eraser strokes.
    const std::unique_ptr<SingleStroke> strokes[] = {pen(zigzag(150)), eraser(zigzag(150))};
    for (const std::unique_ptr<SingleStroke>& stroke : strokes) {
        QList<float> positions;
        QList<float> colours;
        QList<float> types;
        for (const std::shared_ptr<Model::Segment>& segment : stroke->segments()) {
            segment->addRoundCapBeginToGLVectors(positions, colours, types);
            segment->addToGLVectors(positions, colours, types);
            segment->addRoundCapEndToGLVectors(positions, colours, types);
        }
        QVERIFY(positions.size() / 4 > 100000);
        QImage whole = blank(FrameSize, 7);
        Model::OffscreenRenderer* renderer = Model::OffscreenRenderer::instance();
        if (stroke->isPen())
            renderer->renderPenStroke(whole, stroke->penType(), QPoint(3, 4), 1.0f, whole.rect(),
                                      QTransform(), positions, colours, types);
        else
            renderer->renderEraserStroke(whole, stroke->eraserType(), QPoint(3, 4), 1.0f,
                                         whole.rect(), QTransform(), positions, colours, types);
        QImage parts = blank(FrameSize, 7);
        stroke->draw(parts, parts.rect(), QTransform(), QPoint(3, 4), 1.0);
        QVERIFY(total(whole) > 0);
        QCOMPARE(parts, whole);
    }
}

void TestStrokeDrawing::drawingsBeyondTheBudgetAreRefused_data()
{
    QTest::addColumn<qint64>("strokes");
    QTest::addColumn<qint64>("dots");
    QTest::addColumn<bool>("nested");
    QTest::addColumn<bool>("storedBuffer");
    QTest::addColumn<bool>("accepted");
    const qint64 strokes = StrokeDrawing::maximumStrokes;
    const qint64 segments = StrokeDrawing::maximumSegments;
    QTest::newRow("strokes at the limit") << strokes << qint64(1) << false << true << true;
    QTest::newRow("a stroke more") << strokes + 1 << qint64(1) << false << true << false;
    QTest::newRow("a stroke more, nested") << strokes << qint64(1) << true << true << false;
    QTest::newRow("segments at the limit") << qint64(1) << segments << false << true << true;
    QTest::newRow("a segment more") << qint64(2) << segments / 2 + 1 << false << true << false;
    // Refused before the strokes would be redrawn for the missing buffer.
    QTest::newRow("a stroke more, no stored buffer") << strokes + 1 << qint64(1) << false << false
                                                     << false;
    QTest::newRow("a segment more, no stored buffer") << qint64(1) << segments + 1 << false
                                                      << false << false;
}

void TestStrokeDrawing::drawingsBeyondTheBudgetAreRefused()
{
    QFETCH(qint64, strokes);
    QFETCH(qint64, dots);
    QFETCH(bool, nested);
    QFETCH(bool, storedBuffer);
    QFETCH(bool, accepted);

    StrokeDrawing read(FrameSize);
    const QDataStream::Status status =
        readInto(read, dotDrawing(FrameSize, strokes, dots, nested, storedBuffer));
    if (accepted) {
        QCOMPARE(status, QDataStream::Ok);
        QCOMPARE(read.numTotalStrokes(), int(strokes) + (nested ? 1 : 0));
    } else {
        QCOMPARE(status, QDataStream::ReadCorruptData);
        QCOMPARE(read.numTotalStrokes(), 0);
        QVERIFY(read.buffer().isNull());
    }
}

QUILLMERE_TEST_MAIN(TestStrokeDrawing)
#include "tst_strokedrawing.moc"

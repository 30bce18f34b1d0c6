// Stroke layers: the colour table, painting a frame in the layer colour with
// coverage as alpha (plain, black, with a live stroke, as backlight), the
// beyond-last modes, stroke edits by frame, copying the layer and lifting a
// floating selection. Live strokes need the off-screen renderer (software
// OpenGL under X).
#include "TestSupport.h"

#include "../strokes/StrokeFixtures.h"

#include "drawings/StrokeDrawing.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"
#include "strokes/BitmapStroke.h"
#include "strokes/Blending.h"
#include "strokes/FloatingSelection.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

using namespace StrokeFixtures;
using Model::BitmapStroke;
using Model::DrawingRef;
using Model::LayerItem;
using Model::StrokeDrawing;
using Model::StrokeLayer;

namespace {

const QSize FrameSize(300, 120);
const QRect FrameRect(QPoint(0, 0), FrameSize);

// A bitmap stroke whose coverage in column x of rect is x - rect.left()
// (0 to 255), so that every coverage value appears where it can be found.
std::unique_ptr<BitmapStroke> gradient(const QRect& rect = QRect(0, 0, 256, 40))
{
    QImage image(rect.size(), QImage::Format_Alpha8);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.scanLine(y)[x] = uchar(std::min(x, 255));
    return std::make_unique<BitmapStroke>(image, rect);
}

std::unique_ptr<BitmapStroke> block(const QRect& rect, uchar value = 255)
{
    return std::make_unique<BitmapStroke>(blank(rect.size(), value), rect);
}

QPainterPath rectPath(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

// What a paint call leaves on a transparent ARGB32 canvas.
template <typename Paint>
QImage painted(Paint paint, double painterOpacity = 1.0)
{
    QImage canvas(FrameSize, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setOpacity(painterOpacity);
    paint(&painter);
    painter.end();
    return canvas;
}

QImage alphaOf(const QImage& canvas)
{
    QImage alpha = blank(canvas.size());
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            alpha.scanLine(y)[x] = uchar(qAlpha(canvas.pixel(x, y)));
    return alpha;
}

} // namespace

class TestStrokeLayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void newLayerHasOneBlankCellAndItsTable();
    void setColorRebuildsTableAndDropsThumbnails();
    void drawPaintsTheLayerColourWithCoverageAsAlpha_data();
    void drawPaintsTheLayerColourWithCoverageAsAlpha();
    void blackVariant();
    void backlightTurnsTheHueAndScalesTheCoverage_data();
    void backlightTurnsTheHueAndScalesTheCoverage();
    void liveVariantCombinesTheStroke();
    void framesBeyondTheLastFollowTheMode_data();
    void framesBeyondTheLastFollowTheMode();
    void strokeEditsGoToTheFramesDrawing_data();
    void strokeEditsGoToTheFramesDrawing();
    void copyRebuildsTheCells();
    void liftingMakesAFloatingSelection_data();
    void liftingMakesAFloatingSelection();
    void liftingNothingGivesNoSelection();

private:
    QObject m_toolOwner;
    Model::PenTool* m_marker = nullptr;
};

void TestStrokeLayer::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(FrameSize));
    m_marker = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_marker->setSizeRangePercent(3.0, 5.0);
}

void TestStrokeLayer::newLayerHasOneBlankCellAndItsTable()
{
    StrokeLayer layer(QColor(200, 0, 0), FrameSize, nullptr);
    QCOMPARE(layer.type(), 1);
    QCOMPARE(layer.length(), 1);
    QCOMPARE(layer.frames().first()->kind, int(LayerItem::Original));
    QVERIFY(!layer.frames().first()->identifier.isNull());
    QVERIFY(layer.frames().first()->offPegsTransform.isIdentity());
    StrokeDrawing* drawing = layer.strokeDrawing(0);
    QVERIFY(drawing);
    QCOMPARE(drawing->size(), FrameSize);
    QCOMPARE(drawing->numTotalStrokes(), 0);
    QVERIFY(!layer.strokeDrawing(1));
    QVERIFY(!layer.strokeDrawing(-1));

    const QList<unsigned int>& table = layer.colorTable();
    QCOMPARE(table.size(), 256);
    for (int i = 0; i < 256; ++i)
        QCOMPARE(table.at(i), qRgba(200, 0, 0, i));

    // Every blank cell is new.
    auto a = layer.blankItem();
    auto b = layer.blankItem();
    QVERIFY(a->identifier != b->identifier);
    QVERIFY(a->drawing != b->drawing);
}

void TestStrokeLayer::setColorRebuildsTableAndDropsThumbnails()
{
    const QColor red(200, 0, 0);
    StrokeLayer layer(red, FrameSize, nullptr);
    layer.insertHoldFrameAfter(1);
    QVERIFY(layer.appendStroke(1, block(QRect(20, 20, 100, 50))));
    const qint64 first = layer.thumbnail(1, QSize(60, 24)).cacheKey();
    QCOMPARE(layer.thumbnail(2, QSize(60, 24)).cacheKey(), first); // the hold shows the same

    layer.setColor(red);
    QCOMPARE(layer.thumbnail(1, QSize(60, 24)).cacheKey(), first);

    layer.setColor(Qt::blue);
    QCOMPARE(layer.color(), QColor(Qt::blue));
    QCOMPARE(layer.colorTable().at(255), qRgba(0, 0, 255, 255));
    QCOMPARE(layer.colorTable().at(7), qRgba(0, 0, 255, 7));
    const QImage blue = layer.thumbnail(1, QSize(60, 24));
    QCOMPARE(QColor::fromRgba(qUnpremultiply(blue.pixel(12, 8))).rgb(), qRgb(0, 0, 255));

    // Back to red: the old thumbnail was dropped with the change.
    layer.setColor(red);
    const QImage again = layer.thumbnail(1, QSize(60, 24));
    QVERIFY(again.cacheKey() != first);
    QCOMPARE(QColor::fromRgba(qUnpremultiply(again.pixel(12, 8))).rgb(), qRgb(200, 0, 0));

    QVERIFY(layer.thumbnail(0, QSize(60, 24)).isNull());
    QVERIFY(layer.thumbnail(3, QSize(60, 24)).isNull());
}

void TestStrokeLayer::drawPaintsTheLayerColourWithCoverageAsAlpha_data()
{
    QTest::addColumn<double>("layerOpacity");
    QTest::addColumn<double>("painterOpacity");
    QTest::newRow("opaque") << 1.0 << 1.0;
    QTest::newRow("half layer") << 0.5 << 1.0;
    QTest::newRow("half painter, quarter layer") << 0.25 << 0.5;
}

void TestStrokeLayer::drawPaintsTheLayerColourWithCoverageAsAlpha()
{
    QFETCH(double, layerOpacity);
    QFETCH(double, painterOpacity);
    const QColor colour(20, 140, 230);
    StrokeLayer layer(colour, FrameSize, nullptr);
    layer.setOpacity(layerOpacity);
    QVERIFY(layer.appendStroke(1, gradient()));
    const QImage& buffer = layer.strokeDrawing(0)->buffer();
    for (int x = 0; x < 256; ++x)
        QCOMPARE(int(at(buffer, x, 10)), x);

    const QRect rect(0, 0, 200, 30);
    const QImage canvas = painted([&](QPainter* p) { layer.draw(1, p, rect); }, painterOpacity);
    const double scale = layerOpacity * painterOpacity;
    for (int y = 0; y < FrameSize.height(); ++y) {
        for (int x = 0; x < FrameSize.width(); ++x) {
            const QRgb pixel = canvas.pixel(x, y);
            const int expected = rect.contains(x, y) ? int(std::lround(at(buffer, x, y) * scale)) : 0;
            QVERIFY2(qAbs(qAlpha(pixel) - expected) <= 1,
                     qPrintable(QStringLiteral("alpha %1 at %2,%3, expected %4")
                                    .arg(qAlpha(pixel))
                                    .arg(x)
                                    .arg(y)
                                    .arg(expected)));
            if (qAlpha(pixel) >= 64) {
                const QColor shown = QColor::fromRgba(pixel);
                QVERIFY(qAbs(shown.red() - 20) <= 4 && qAbs(shown.green() - 140) <= 4
                        && qAbs(shown.blue() - 230) <= 4);
            }
        }
    }
    // The painter comes back as it was given.
    QImage canvas2(FrameSize, QImage::Format_ARGB32);
    QPainter painter(&canvas2);
    painter.setOpacity(painterOpacity);
    layer.draw(1, &painter, rect);
    QCOMPARE(painter.opacity(), painterOpacity);
}

void TestStrokeLayer::blackVariant()
{
    StrokeLayer layer(QColor(20, 140, 230), FrameSize, nullptr);
    layer.setOpacity(0.5);
    layer.appendStroke(1, gradient());
    const QImage black = painted([&](QPainter* p) { layer.draw(1, p, FrameRect, true); });
    const QImage colour = painted([&](QPainter* p) { layer.draw(1, p, FrameRect, false); });
    const QImage plain = painted([&](QPainter* p) { layer.draw(1, p, FrameRect); });
    QCOMPARE(colour, plain);
    QCOMPARE(alphaOf(black), alphaOf(plain));
    QCOMPARE(QColor::fromRgba(black.pixel(250, 10)).rgb(), qRgb(0, 0, 0));
    QCOMPARE(QColor::fromRgba(plain.pixel(250, 10)).rgb(), qRgb(20, 140, 230));
}

void TestStrokeLayer::backlightTurnsTheHueAndScalesTheCoverage_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("shift");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("layerOpacity");
    QTest::addColumn<int>("hue");
    QTest::newRow("350 + 30 wraps to 20") << QColor::fromHsv(350, 200, 220) << 30 << 0.5 << 1.0 << 20;
    QTest::newRow("120 - 150 wraps to 330") << QColor::fromHsv(120, 255, 255) << -150 << 1.0 << 1.0 << 330;
    QTest::newRow("no shift, faint") << QColor::fromHsv(200, 180, 240) << 0 << 0.2 << 1.0 << 200;
    QTest::newRow("layer opacity applies") << QColor::fromHsv(60, 255, 200) << 90 << 0.8 << 0.5 << 150;
    QTest::newRow("more than a turn") << QColor::fromHsv(10, 255, 255) << 725 << 1.0 << 1.0 << 15;
}

void TestStrokeLayer::backlightTurnsTheHueAndScalesTheCoverage()
{
    QFETCH(QColor, colour);
    QFETCH(int, shift);
    QFETCH(double, step);
    QFETCH(double, layerOpacity);
    QFETCH(int, hue);

    StrokeLayer layer(colour, FrameSize, nullptr);
    layer.setOpacity(layerOpacity);
    layer.appendStroke(1, gradient());
    const QImage canvas =
        painted([&](QPainter* p) { layer.drawBacklight(1, p, FrameRect, shift, step); });

    const QColor expected = QColor::fromHsv(hue, colour.hsvSaturation(), colour.value());
    for (int x = 0; x < 256; ++x) {
        const QRgb pixel = canvas.pixel(x, 10);
        // Entry x of the backlight table has alpha round(x * step), halves
        // away from zero; the layer opacity scales what is painted.
        const int entry = int(std::floor(x * step + 0.5));
        QVERIFY2(qAbs(qAlpha(pixel) - std::lround(entry * layerOpacity)) <= 1,
                 qPrintable(QStringLiteral("x %1: alpha %2").arg(x).arg(qAlpha(pixel))));
        if (qAlpha(pixel) >= 64) {
            const QColor shown = QColor::fromRgba(pixel);
            QVERIFY2(qAbs(shown.red() - expected.red()) <= 4
                         && qAbs(shown.green() - expected.green()) <= 4
                         && qAbs(shown.blue() - expected.blue()) <= 4,
                     qPrintable(shown.name() + QStringLiteral(" for ") + expected.name()));
        }
    }
    QCOMPARE(qAlpha(canvas.pixel(100, 80)), 0);
    // The layer colour itself is left alone.
    QCOMPARE(layer.color(), colour);
}

void TestStrokeLayer::liveVariantCombinesTheStroke()
{
    StrokeLayer layer(QColor(0, 90, 0), FrameSize, nullptr);
    layer.setOpacity(0.6);
    layer.appendStroke(1, gradient());
    auto live = strokeThrough(m_marker, {{10, 100}, {150, 20}, {290, 100}}, FrameSize);
    const QImage viaLayer = painted([&](QPainter* p) { layer.draw(1, p, FrameRect, live.get()); });
    const QImage viaDrawing = painted([&](QPainter* p) {
        p->setOpacity(0.6);
        layer.strokeDrawing(0)->draw(p, layer.colorTable(), FrameRect, live.get());
    });
    QCOMPARE(viaLayer, viaDrawing);
    QVERIFY(total(alphaOf(viaLayer)) > total(alphaOf(painted([&](QPainter* p) {
                layer.draw(1, p, FrameRect);
            }))));

    // Without a stroke in progress the live variant paints nothing.
    QCOMPARE(total(alphaOf(painted([&](QPainter* p) {
                 layer.draw(1, p, FrameRect, static_cast<const Model::SingleStroke*>(nullptr));
             }))),
             0);
}

void TestStrokeLayer::framesBeyondTheLastFollowTheMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("cell"); // -1: nothing is painted
    QTest::newRow("cycle, frame 7 of 3") << int(Model::Layer::cycleDrawings) << 7 << 0;
    QTest::newRow("cycle, frame 6 of 3") << int(Model::Layer::cycleDrawings) << 6 << 2;
    QTest::newRow("freeze, frame 7 of 3") << int(Model::Layer::freezeLast) << 7 << 2;
    QTest::newRow("nothing, frame 7 of 3") << int(Model::Layer::showNothing) << 7 << -1;
    QTest::newRow("inside, frame 2") << int(Model::Layer::showNothing) << 2 << 1;
    QTest::newRow("frame 0") << int(Model::Layer::cycleDrawings) << 0 << -1;
    QTest::newRow("negative frame") << int(Model::Layer::freezeLast) << -3 << -1;
}

void TestStrokeLayer::framesBeyondTheLastFollowTheMode()
{
    QFETCH(int, mode);
    QFETCH(int, frame);
    QFETCH(int, cell);

    StrokeLayer layer(Qt::black, FrameSize, nullptr);
    layer.insertBlankFrameAfter(1);
    layer.insertBlankFrameAfter(2);
    QCOMPARE(layer.length(), 3);
    for (int i = 0; i < 3; ++i)
        QVERIFY(layer.appendStroke(i + 1, block(QRect(20 + 90 * i, 20, 40, 40))));
    layer.setLayerBeyondLast(Model::Layer::LayerBeyondLast(mode));

    const QImage shown = alphaOf(painted([&](QPainter* p) { layer.draw(frame, p, FrameRect); }));
    QImage expected = blank(FrameSize);
    if (cell >= 0)
        Model::Blending::blendImages(expected, layer.strokeDrawing(cell)->buffer(), FrameRect, true);
    QCOMPARE(shown, expected);

    // Without cells nothing is painted, whatever the mode.
    layer.frames().clear();
    QCOMPARE(total(alphaOf(painted([&](QPainter* p) { layer.draw(frame, p, FrameRect); }))), 0);
}

void TestStrokeLayer::strokeEditsGoToTheFramesDrawing_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<bool>("inside");
    QTest::newRow("frame 1") << 1 << true;
    QTest::newRow("frame 2") << 2 << true;
    QTest::newRow("frame 0") << 0 << false;
    QTest::newRow("virtual last frame") << 3 << false;
    QTest::newRow("far away") << 1000 << false;
}

void TestStrokeLayer::strokeEditsGoToTheFramesDrawing()
{
    QFETCH(int, frame);
    QFETCH(bool, inside);
    StrokeLayer layer(Qt::black, FrameSize, nullptr);
    layer.insertBlankFrameAfter(1);

    QCOMPARE(layer.appendStroke(frame, block(QRect(10, 10, 50, 50))), inside);
    QCOMPARE(layer.appendStroke(frame, block(QRect(100, 10, 50, 50))), inside);
    QCOMPARE(layer.appendCut(frame, rectPath(QRectF(0, 0, 80, 80))), inside);
    std::unique_ptr<Model::Stroke> removed = layer.removeLastStroke(frame);
    QCOMPARE(bool(removed), inside);
    if (!inside) {
        QCOMPARE(layer.strokeDrawing(0)->numTotalStrokes(), 0);
        QCOMPARE(layer.strokeDrawing(1)->numTotalStrokes(), 0);
        return;
    }
    StrokeDrawing* drawing = layer.strokeDrawing(frame - 1);
    StrokeDrawing* other = layer.strokeDrawing(2 - frame);
    QCOMPARE(other->numTotalStrokes(), 0);
    QVERIFY(drawing->numTotalStrokes() > 0);
    QCOMPARE(drawing->buffer().size(), FrameSize);
    // The first block was cut away, the second removed.
    QCOMPARE(total(drawing->buffer()), 0);
}

void TestStrokeLayer::copyRebuildsTheCells()
{
    StrokeLayer source(QColor(10, 20, 30), FrameSize, nullptr);
    source.setName(QStringLiteral("Ink"));
    source.setOpacity(0.7);
    const QUuid otherLayer = QUuid::createUuid();
    auto& cells = source.frames();

    // A stray hold first, then: original A, its hold, original B (key
    // drawing, off the pegs), a distant clone of A and one of a cell on
    // another layer.
    auto stray = source.blankItem();
    stray->kind = LayerItem::Hold;
    cells[0] = stray;
    auto a = source.blankItem();
    auto b = source.blankItem();
    auto cloneOfA = source.blankItem();
    auto cloneOfOther = source.blankItem();
    cells << a << std::make_shared<LayerItem>(a->drawing) << b << cloneOfA << cloneOfOther;
    static_cast<StrokeDrawing&>(*a->drawing).appendStroke(block(QRect(10, 10, 30, 30)));
    static_cast<StrokeDrawing&>(*b->drawing).appendStroke(block(QRect(60, 10, 30, 30)));
    b->keyDrawing = true;
    b->offPegsTransform = QTransform::fromTranslate(5, 7);
    cloneOfA->kind = LayerItem::DistantClone;
    cloneOfA->drawing = a->drawing;
    cloneOfA->original = a->reference(source.identifier());
    cloneOfOther->kind = LayerItem::DistantClone;
    cloneOfOther->original = DrawingRef{otherLayer, QUuid::createUuid()};
    a->clones << cloneOfA->reference(source.identifier()) << DrawingRef{otherLayer, QUuid::createUuid()};

    std::unique_ptr<Model::Layer> copied(source.clone());
    auto* copy = qobject_cast<StrokeLayer*>(copied.get());
    QVERIFY(copy);
    QVERIFY(copy->identifier() != source.identifier());
    QCOMPARE(copy->name(), source.name());
    QCOMPARE(copy->color(), source.color());
    QCOMPARE(copy->colorTable(), source.colorTable());
    QCOMPARE(copy->opacity(), 0.7);
    QCOMPARE(copy->length(), source.length());

    const auto& out = copy->frames();
    for (int i = 0; i < out.size(); ++i) {
        QCOMPARE(out.at(i)->kind, cells.at(i)->kind);
        QVERIFY(out.at(i)->offPegsTransform.isIdentity());
        QVERIFY(!out.at(i)->keyDrawing);
        QVERIFY(out.at(i)->drawing);
        QVERIFY(out.at(i)->drawing != cells.at(i)->drawing);
        if (cells.at(i)->kind != LayerItem::Hold)
            QCOMPARE(out.at(i)->identifier, cells.at(i)->identifier);
        QCOMPARE(copy->strokeDrawing(i)->buffer(), source.strokeDrawing(i)->buffer());
    }
    // The hold repeats the copied original; the stray hold has its own copy.
    QVERIFY(out.at(2)->identifier != cells.at(2)->identifier);
    QCOMPARE(out.at(2)->drawing, out.at(1)->drawing);
    QVERIFY(out.at(0)->drawing != out.at(1)->drawing);
    // Links inside the layer follow the copy, links elsewhere go or stay.
    const QList<DrawingRef> kept{DrawingRef{copy->identifier(), cloneOfA->identifier}};
    QCOMPARE(out.at(1)->clones, kept);
    QCOMPARE(out.at(4)->original, (DrawingRef{copy->identifier(), a->identifier}));
    QCOMPARE(out.at(5)->original, cloneOfOther->original);
    // The source is untouched.
    QCOMPARE(cells.at(1)->clones.size(), 2);
    QVERIFY(cells.at(3)->keyDrawing);
}

void TestStrokeLayer::liftingMakesAFloatingSelection_data()
{
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<QRect>("strokes");
    QTest::addColumn<QSize>("preview");
    QTest::newRow("small is enlarged to 25") << QSize(200, 160) << QRect(50, 50, 10, 40) << QSize(25, 100);
    QTest::newRow("large is fitted into the frame")
        << QSize(1920, 1080) << QRect(0, 0, 4000, 1000) << QSize(1920, 480);
    QTest::newRow("fits as it is") << QSize(200, 160) << QRect(30, 40, 60, 30) << QSize(60, 30);
}

void TestStrokeLayer::liftingMakesAFloatingSelection()
{
    QFETCH(QSize, frameSize);
    QFETCH(QRect, strokes);
    QFETCH(QSize, preview);

    StrokeLayer layer(QColor(0, 60, 200), frameSize, nullptr);
    layer.setOpacity(0.4);
    QVERIFY(layer.appendStroke(1, block(strokes)));
    const QByteArray before = [&] {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        out << *layer.strokeDrawing(0);
        return bytes;
    }();

    std::unique_ptr<Model::FloatingSelection> selection =
        layer.createNewFloatingSelection(1, rectPath(QRectF(strokes).adjusted(-5, -5, 5, 5)));
    QVERIFY(selection);
    QCOMPARE(selection->boundingRect(), strokes);
    QCOMPARE(selection->opacity(), 0.4);
    QCOMPARE(selection->transform().centre, QPointF(strokes.center()));
    const QImage image = selection->indexedImage();
    QCOMPARE(image.size(), preview);
    QCOMPARE(image.format(), QImage::Format_Indexed8);
    QCOMPARE(image.colorTable(), layer.colorTable());
    QCOMPARE(int(image.constScanLine(preview.height() / 2)[preview.width() / 2]), 255);

    // Lifting copies; the drawing stays as it was.
    QByteArray after;
    QDataStream out(&after, QIODevice::WriteOnly);
    prepare(out);
    out << *layer.strokeDrawing(0);
    QCOMPARE(after, before);
}

void TestStrokeLayer::liftingNothingGivesNoSelection()
{
    StrokeLayer layer(Qt::black, FrameSize, nullptr);
    QVERIFY(!layer.createNewFloatingSelection(1, rectPath(QRectF(0, 0, 100, 100))));
    layer.appendStroke(1, block(QRect(200, 60, 40, 40)));
    QVERIFY(!layer.createNewFloatingSelection(1, rectPath(QRectF(0, 0, 100, 100))));
    QVERIFY(!layer.createNewFloatingSelection(0, rectPath(QRectF(150, 0, 150, 120))));
    QVERIFY(!layer.createNewFloatingSelection(2, rectPath(QRectF(150, 0, 150, 120))));
    QVERIFY(layer.createNewFloatingSelection(1, rectPath(QRectF(150, 0, 150, 120))));
}

QUILLMERE_TEST_MAIN(TestStrokeLayer)
#include "tst_strokelayer.moc"

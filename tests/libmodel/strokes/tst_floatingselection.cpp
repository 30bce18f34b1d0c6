// Floating selections: the transform value, lifting a lassoed piece off a
// stroke layer, stamping it moved, scaled, rotated and mirrored, the
// collapsed stamp and its cache, cancelling a collapse, and the preview's
// colour. Rasterising needs the off-screen renderer (software OpenGL
// under X).
#include "TestSupport.h"

#include "StrokeFixtures.h"

#include "drawings/FrameFit.h"
#include "drawings/StrokeDrawing.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/StrokeLayer.h"
#include "strokes/BitmapStroke.h"
#include "strokes/Blending.h"
#include "strokes/FloatingSelection.h"

#include <QPainter>
#include <QPainterPath>
#include <QProgressDialog>
#include <QVariant>
#include <QWidget>

using namespace StrokeFixtures;
using Model::BitmapStroke;
using Model::CompoundStroke;
using Model::FloatingSelection;
using Model::SingleStroke;
using Model::Stroke;
using Transform = Model::FloatingSelection::Transform;

namespace {

const QSize FrameSize(240, 180);

QPainterPath rectPath(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

QImage drawn(const Stroke& stroke, const QTransform& transform = QTransform())
{
    QImage image = blank(FrameSize);
    stroke.draw(image, image.rect(), transform, QPoint(), 1.0);
    return image;
}

Transform transformOf(const QTransform& first, const QTransform& second, const QTransform& third)
{
    Transform t;
    t.first = first;
    t.second = second;
    t.third = third;
    return t;
}

// The bitmap a collapsed stamp consists of.
const BitmapStroke* bitmapOf(const Stroke& stamp)
{
    if (stamp.type() != 1)
        return nullptr;
    const auto& compound = static_cast<const CompoundStroke&>(stamp);
    if (compound.numStrokes() != 1 || compound.strokeAt(0)->type() != 2)
        return nullptr;
    return static_cast<const BitmapStroke*>(compound.strokeAt(0));
}

QString mismatch(const QImage& actual, const QImage& expected, int largest, double mean)
{
    const Difference diff = difference(actual, expected);
    if (diff.largest <= largest && diff.mean < mean)
        return QString();
    return QStringLiteral("largest %1, mean %2 over %3 pixels")
        .arg(diff.largest)
        .arg(diff.mean)
        .arg(diff.inked);
}

} // namespace

class TestFloatingSelection : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void transformIsAValueType();
    void newSelection();
    void withoutStrokes();
    void updateColorScalesTheAlpha();
    void liftedSingleStrokeStampsAsACompound();
    void stampGivesTheExpectedCoverage_data();
    void stampGivesTheExpectedCoverage();
    void collapsedStampIsReusedWhileOnlyMoving();
    void cancelledCollapseStampsNothingAndCachesNothing();
    void stampWithAParentWidget();
    void fittedToANewFrameItStampsWithTheDrawings_data();
    void fittedToANewFrameItStampsWithTheDrawings();

private:
    std::unique_ptr<SingleStroke> pen(const QList<QPointF>& points) const
    {
        return strokeThrough(m_marker, points);
    }
    // A layer whose frame holds: A inside the lasso, B outside it and C
    // crossing its edge.
    std::unique_ptr<Model::StrokeLayer> layerWithStrokes() const;

    QObject m_toolOwner;
    Model::PenTool* m_marker = nullptr;
};

const QRectF Lasso(20, 20, 100, 80);

void TestFloatingSelection::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(FrameSize));
    m_marker = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_marker->setSizeRangePercent(3.0, 5.0);
}

std::unique_ptr<Model::StrokeLayer> TestFloatingSelection::layerWithStrokes() const
{
    auto layer = std::make_unique<Model::StrokeLayer>(QColor(0, 0, 200), FrameSize, nullptr);
    layer->appendStroke(1, pen({{40, 40}, {70, 50}, {100, 80}}));   // A
    layer->appendStroke(1, pen({{150, 140}, {220, 150}}));          // B
    layer->appendStroke(1, pen({{60, 90}, {90, 110}, {130, 130}})); // C
    return layer;
}

void TestFloatingSelection::transformIsAValueType()
{
    const Transform t = transformOf(QTransform::fromScale(2, 1), QTransform().rotate(90),
                                    QTransform::fromTranslate(10, 0));
    // The translation acts first, then the rotation, then the scaling.
    const QPointF mapped = t.composite().map(QPointF(1, 0));
    QVERIFY(qAbs(mapped.x()) < 1e-9);
    QVERIFY(qAbs(mapped.y() - 11) < 1e-9);

    Transform copy = t;
    QVERIFY(copy == t);
    copy.centre = QPointF(3, 4);
    QVERIFY(copy != t);

    QVERIFY(QMetaType::fromType<Transform>().isValid());
    const QVariant variant = QVariant::fromValue(copy);
    QVERIFY(variant.canConvert<Transform>());
    QVERIFY(variant.value<Transform>() == copy);
}

void TestFloatingSelection::newSelection()
{
    auto lifted = std::make_unique<CompoundStroke>();
    lifted->appendStroke(
        std::make_unique<BitmapStroke>(blank(QSize(12, 22), 255), QRect(QPoint(10, 10), QPoint(21, 31))));
    QImage preview(12, 22, QImage::Format_Indexed8);
    FloatingSelection selection(std::move(lifted), preview, 0.75);

    QCOMPARE(selection.boundingRect(), QRect(QPoint(10, 10), QPoint(21, 31)));
    const Transform t = selection.transform();
    QCOMPARE(t.centre, QPointF(15, 20));
    QVERIFY(t.first.isIdentity() && t.second.isIdentity() && t.third.isIdentity());
    QCOMPARE(selection.opacity(), 0.75);
    QVERIFY(!selection.collapseOnUse());
    QCOMPARE(selection.indexedImage().size(), QSize(12, 22));

    selection.setOpacity(0.25);
    selection.setCollapseOnUse(true);
    QCOMPARE(selection.opacity(), 0.25);
    QVERIFY(selection.collapseOnUse());
}

void TestFloatingSelection::withoutStrokes()
{
    FloatingSelection selection(nullptr, QImage(10, 10, QImage::Format_Indexed8), 1.0);
    QVERIFY(!selection.boundingRect().isValid());
    QVERIFY(selection.indexedImage().isNull());
    QVERIFY(!selection.getTransformedStroke(nullptr));
    selection.setCollapseOnUse(true);
    QVERIFY(!selection.getTransformedStroke(nullptr));
}

void TestFloatingSelection::updateColorScalesTheAlpha()
{
    QImage preview(4, 4, QImage::Format_Indexed8);
    preview.setColorCount(256);
    FloatingSelection selection(pen({{10, 10}, {30, 30}}), preview, 1.0);
    selection.updateColor(QColor(10, 20, 30, 128));
    const QList<QRgb> table = selection.indexedImage().colorTable();
    QCOMPARE(table.size(), 256);
    QCOMPARE(table.at(255), qRgba(10, 20, 30, 128));
    QCOMPARE(table.at(1), qRgba(10, 20, 30, 1)); // 0.502 rounds to 1
    QCOMPARE(table.at(0), qRgba(10, 20, 30, 0));
    QCOMPARE(qAlpha(table.at(3)), 2); // 1.506

    selection.updateColor(Qt::red);
    QCOMPARE(selection.indexedImage().colorTable().at(77), qRgba(255, 0, 0, 77));

    // A selection without a preview has nothing to colour.
    FloatingSelection bare(pen({{10, 10}, {30, 30}}), QImage(), 1.0);
    bare.updateColor(Qt::red);
    QVERIFY(bare.indexedImage().isNull());
}

void TestFloatingSelection::liftedSingleStrokeStampsAsACompound()
{
    auto single = pen({{20, 20}, {80, 60}});
    const QByteArray singleBytes = bytesOf(*single);
    FloatingSelection selection(std::move(single), QImage(), 1.0);
    std::unique_ptr<Stroke> stamp = selection.getTransformedStroke(nullptr);
    QVERIFY(stamp);
    QCOMPARE(stamp->type(), 1);
    const auto& compound = static_cast<const CompoundStroke&>(*stamp);
    QCOMPARE(compound.numStrokes(), 1);
    QCOMPARE(compound.strokeAt(0)->type(), 0);
    QCOMPARE(bytesOf(static_cast<const SingleStroke&>(*compound.strokeAt(0))), singleBytes);
    // Each stamp is a stroke of its own.
    QVERIFY(selection.getTransformedStroke(nullptr).get() != stamp.get());
}

void TestFloatingSelection::stampGivesTheExpectedCoverage_data()
{
    QTest::addColumn<Transform>("transform");
    QTest::addColumn<bool>("collapse");
    const QTransform moved = QTransform::fromTranslate(-90, -60);
    const QTransform scaled = QTransform::fromScale(1.25, 1.25);
    const QTransform mirrored = QTransform::fromScale(-1, 1) * QTransform::fromTranslate(200, 0);
    const QTransform rotated = QTransform().translate(70, 60).rotate(35).translate(-70, -60);
    QTest::newRow("moved") << transformOf({}, {}, moved) << false;
    QTest::newRow("scaled") << transformOf(scaled, {}, {}) << false;
    QTest::newRow("rotated") << transformOf({}, rotated, {}) << false;
    QTest::newRow("moved, scaled and rotated") << transformOf(scaled, rotated, moved) << false;
    QTest::newRow("mirrored") << transformOf(mirrored, {}, {}) << false;
    QTest::newRow("moved, scaled and rotated, collapsed")
        << transformOf(scaled, rotated, moved) << true;
}

// The stamp is the lassoed piece under the inverse of the selection's
// transform, put on top of what the drawing had: here worked out from the
// strokes themselves, drawn under that transform and cut to the lasso.
void TestFloatingSelection::stampGivesTheExpectedCoverage()
{
    QFETCH(Transform, transform);
    QFETCH(bool, collapse);

    auto layer = layerWithStrokes();
    Model::StrokeDrawing* drawing = layer->strokeDrawing(0);
    const QImage before = drawing->buffer().copy();

    std::unique_ptr<FloatingSelection> selection =
        layer->createNewFloatingSelection(1, rectPath(Lasso));
    QVERIFY(selection);
    QVERIFY(Lasso.toAlignedRect().contains(selection->boundingRect()));
    selection->setCollapseOnUse(collapse);
    selection->setTransform(transform);
    std::unique_ptr<Stroke> stamp = selection->getTransformedStroke(nullptr);
    QVERIFY(stamp);
    QCOMPARE(bitmapOf(*stamp) != nullptr, collapse);
    QVERIFY(layer->appendStroke(1, std::move(stamp)));

    const QTransform placing = transform.composite().inverted();
    QImage piece = blank(FrameSize);
    const CompoundStroke* root = drawing->rootStroke();
    for (int i : {0, 2}) { // A and C; B lies outside the lasso
        const QImage one = drawn(*root->strokeAt(i), placing);
        Model::Blending::blendImages(piece, one, piece.rect(), true);
    }
    {
        QPainter painter(&piece);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath outside;
        outside.addRect(QRectF(piece.rect()));
        painter.fillPath(outside.subtracted(placing.map(rectPath(Lasso))), Qt::transparent);
    }
    QImage expected = before;
    Model::Blending::blendImages(expected, piece, expected.rect(), true);

    const QString problem = collapse ? mismatch(drawing->buffer(), expected, 255, 12.0)
                                     : mismatch(drawing->buffer(), expected, 48, 2.0);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    const double inkExpected = double(total(expected));
    const double inkStamped = double(total(drawing->buffer()));
    QVERIFY2(std::abs(inkExpected - inkStamped) / inkExpected < 0.03,
             qPrintable(QStringLiteral("ink %1 vs %2").arg(inkStamped).arg(inkExpected)));
    // Something new was stamped, and the selection stays for more stamps.
    QVERIFY(total(drawing->buffer()) > total(before));
    QVERIFY(selection->getTransformedStroke(nullptr));
}

void TestFloatingSelection::collapsedStampIsReusedWhileOnlyMoving()
{
    auto layer = layerWithStrokes();
    std::unique_ptr<FloatingSelection> selection =
        layer->createNewFloatingSelection(1, rectPath(Lasso));
    std::unique_ptr<FloatingSelection> reference =
        layer->createNewFloatingSelection(1, rectPath(Lasso));
    selection->setCollapseOnUse(true);
    reference->setCollapseOnUse(true);

    const QTransform rotated = QTransform().rotate(20);
    selection->setTransform(transformOf({}, rotated, {}));
    std::unique_ptr<Stroke> first = selection->getTransformedStroke(nullptr);
    const BitmapStroke* firstBitmap = bitmapOf(*first);
    QVERIFY(firstBitmap);

    // Moving (and moving the centre) keeps the bitmap, re-based.
    Transform moved = transformOf({}, rotated, QTransform::fromTranslate(-50, -30));
    moved.centre = QPointF(7, 9);
    selection->setTransform(moved);
    std::unique_ptr<Stroke> second = selection->getTransformedStroke(nullptr);
    const BitmapStroke* secondBitmap = bitmapOf(*second);
    QVERIFY(secondBitmap);
    QCOMPARE(secondBitmap->image().cacheKey(), firstBitmap->image().cacheKey());

    reference->setTransform(moved);
    std::unique_ptr<Stroke> fresh = reference->getTransformedStroke(nullptr);
    const QString problem = mismatch(drawn(*second), drawn(*fresh), 8, 1.0);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(total(drawn(*second)) > 0);
    // The stamp moved with the selection: by the inverse of the move.
    QCOMPARE(second->boundingRect(), first->boundingRect().translated(50, 30));

    // Rotating again collapses anew.
    const Transform turned = transformOf({}, QTransform().rotate(-15), QTransform::fromTranslate(-50, -30));
    selection->setTransform(turned);
    reference->setTransform(turned);
    std::unique_ptr<Stroke> third = selection->getTransformedStroke(nullptr);
    QVERIFY(bitmapOf(*third));
    QVERIFY(bitmapOf(*third)->image().cacheKey() != firstBitmap->image().cacheKey());
    const QString again = mismatch(drawn(*third), drawn(*reference->getTransformedStroke(nullptr)), 8, 1.0);
    QVERIFY2(again.isEmpty(), qPrintable(again));

    // Scaling does too.
    selection->setTransform(transformOf(QTransform::fromScale(0.5, 0.5), QTransform().rotate(-15),
                                        QTransform::fromTranslate(-50, -30)));
    std::unique_ptr<Stroke> fourth = selection->getTransformedStroke(nullptr);
    QVERIFY(bitmapOf(*fourth)->image().cacheKey() != bitmapOf(*third)->image().cacheKey());
}

void TestFloatingSelection::cancelledCollapseStampsNothingAndCachesNothing()
{
    auto layer = layerWithStrokes();
    std::unique_ptr<FloatingSelection> selection =
        layer->createNewFloatingSelection(1, rectPath(Lasso));
    const QByteArray vectorStamp = bytesOf(*selection->getTransformedStroke(nullptr));
    selection->setCollapseOnUse(true);

    QProgressDialog progress;
    progress.cancel();
    QVERIFY(!selection->getTransformedStrokeWithProgress(&progress));

    // Nothing was cached: the next stamp is collapsed, not the strokes
    // that the cancelled collapse left alone.
    std::unique_ptr<Stroke> stamp = selection->getTransformedStrokeWithProgress(nullptr);
    QVERIFY(stamp);
    QVERIFY(bitmapOf(*stamp));
    // And the lifted strokes are as they were.
    selection->setCollapseOnUse(false);
    selection->setTransform(selection->transform()); // keeps the cache...
    selection->setTransform(transformOf(QTransform::fromScale(2, 2), {}, {})); // ...this drops it
    selection->setTransform(transformOf({}, {}, {}));
    QCOMPARE(bytesOf(*selection->getTransformedStroke(nullptr)), vectorStamp);
}

void TestFloatingSelection::stampWithAParentWidget()
{
    auto layer = layerWithStrokes();
    std::unique_ptr<FloatingSelection> selection =
        layer->createNewFloatingSelection(1, rectPath(Lasso));
    const Transform moved = transformOf({}, {}, QTransform::fromTranslate(30, 20));
    selection->setTransform(moved);

    QWidget parent;
    std::unique_ptr<Stroke> vector = selection->getTransformedStroke(&parent);
    QVERIFY(vector);
    QVERIFY(!bitmapOf(*vector));
    QCOMPARE(static_cast<const CompoundStroke&>(*vector).transform(), moved.composite().inverted());

    selection->setCollapseOnUse(true);
    std::unique_ptr<Stroke> collapsed = selection->getTransformedStroke(&parent);
    QVERIFY(collapsed);
    QVERIFY(bitmapOf(*collapsed));
    QVERIFY(!parent.findChild<QProgressDialog*>());
    const QString problem = mismatch(drawn(*collapsed), drawn(*vector), 255, 12.0);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestFloatingSelection::fittedToANewFrameItStampsWithTheDrawings_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<KW::FitMode>("mode");
    QTest::addColumn<bool>("lifted"); // from a layer, else a lone single stroke
    QTest::newRow("halved, aspect kept") << QSize(120, 90) << KW::FitMode::FitModeKeepAspect << true;
    QTest::newRow("wider, aspect kept") << QSize(480, 180) << KW::FitMode::FitModeKeepAspect << true;
    QTest::newRow("wider, expanding") << QSize(480, 180) << KW::FitMode::FitModeKeepAspectByExpanding
                                      << true;
    QTest::newRow("stretched") << QSize(360, 90) << KW::FitMode::FitModeStretch << true;
    QTest::newRow("cropped") << QSize(200, 200) << KW::FitMode::FitModeCropCenter << true;
    QTest::newRow("single stroke, stretched") << QSize(360, 90) << KW::FitMode::FitModeStretch
                                              << false;
}

// Whatever the fit, the stamp after it is the stamp before it, fitted as the
// drawings are; the move stays a move.
void TestFloatingSelection::fittedToANewFrameItStampsWithTheDrawings()
{
    QFETCH(QSize, size);
    QFETCH(KW::FitMode, mode);
    QFETCH(bool, lifted);

    std::unique_ptr<FloatingSelection> selection;
    if (lifted) {
        selection = layerWithStrokes()->createNewFloatingSelection(1, rectPath(Lasso));
    } else {
        selection = std::make_unique<FloatingSelection>(pen({{20, 20}, {80, 60}}), QImage(), 1.0);
    }
    QVERIFY(selection);
    const QTransform rotated = QTransform().translate(70, 60).rotate(35).translate(-70, -60);
    Transform t = transformOf(QTransform::fromScale(0.8, 0.8), rotated,
                              QTransform::fromTranslate(-40, -10));
    t.centre = selection->transform().centre;
    selection->setTransform(t);
    const QRect before = selection->getTransformedStroke(nullptr)->boundingRect();

    const QRect lifted0 = selection->boundingRect();
    const QTransform fit = Model::frameFitTransform(FrameSize, size, mode);
    QVERIFY(!fit.isIdentity());
    selection->fitToFrame(fit);

    const QRect expected = fit.mapRect(before);
    const QRect after = selection->getTransformedStroke(nullptr)->boundingRect();
    for (const auto& [edge, wanted] : {std::pair{after.left(), expected.left()},
                                       std::pair{after.top(), expected.top()},
                                       std::pair{after.right(), expected.right()},
                                       std::pair{after.bottom(), expected.bottom()}})
        QVERIFY2(std::abs(edge - wanted) <= 2,
                 qPrintable(QStringLiteral("stamp %1,%2 %3x%4, wanted %5,%6 %7x%8")
                                .arg(after.x()).arg(after.y()).arg(after.width()).arg(after.height())
                                .arg(expected.x()).arg(expected.y()).arg(expected.width())
                                .arg(expected.height())));
    const Transform fitted = selection->transform();
    QVERIFY(fitted.third.type() <= QTransform::TxTranslate);
    QVERIFY(qAbs(fitted.third.dx() + 40 * fit.m11()) < 1e-9);
    QVERIFY(qAbs(fitted.third.dy() + 10 * fit.m22()) < 1e-9);
    QCOMPARE(fitted.centre, fit.map(t.centre));
    // The lifted piece, as the canvas shows it, is fitted along.
    const QRect piece = fit.mapRect(lifted0);
    QVERIFY(std::abs(selection->boundingRect().left() - piece.left()) <= 2);
    QVERIFY(std::abs(selection->boundingRect().right() - piece.right()) <= 2);
}

QUILLMERE_TEST_MAIN(TestFloatingSelection)
#include "tst_floatingselection.moc"

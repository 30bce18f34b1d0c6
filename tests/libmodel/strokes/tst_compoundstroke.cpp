// Compound strokes: the tree of strokes, push-down, cuts, bounding paths,
// transforms, drawing, collapsing into a bitmap and the stream form.
// Drawing needs the off-screen renderer (software OpenGL under X).
#include "TestSupport.h"

#include "StrokeFixtures.h"

#include "rendering/OffscreenRenderer.h"
#include "strokes/BitmapStroke.h"
#include "strokes/Blending.h"

#include <QPainterPath>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QThread>

using namespace StrokeFixtures;
using Model::BitmapStroke;
using Model::CompoundStroke;
using Model::SingleStroke;
using Model::Stroke;

namespace {

const QSize FrameSize(200, 160);

// Frames are several times larger under the address sanitizer.
#ifdef __SANITIZE_ADDRESS__
const uint smallStack = 8192 * 1024;
#else
const uint smallStack = 2048 * 1024;
#endif

QPainterPath rectPath(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

QImage drawn(const Stroke& stroke, const QSize& size = FrameSize)
{
    QImage image = blank(size);
    stroke.draw(image, image.rect(), QTransform(), QPoint(), 1.0);
    return image;
}

// Average coverage over a rectangle of an image.
double meanIn(const QImage& image, const QRect& rect)
{
    return double(total(image.copy(rect))) / (rect.width() * rect.height());
}

// Writes a compound stroke with n levels of single-child nesting around an
// empty innermost compound.
QByteArray nestedStream(int levels)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepare(out);
    for (int i = 1; i < levels; ++i)
        out << qint64(1) << qint32(1);
    for (int i = 0; i < levels; ++i) {
        if (i == 0)
            out << qint64(0);
        out << QPainterPath() << QPainterPath() << QTransform();
    }
    return bytes;
}

// The same, with a small bitmap stroke in the innermost compound, so that
// drawing walks every level.
QByteArray nestedStreamAroundABitmap(int levels)
{
    QImage coverage(4, 4, QImage::Format_Alpha8);
    coverage.fill(QColor(0, 0, 0, 255));
    const BitmapStroke bitmap(coverage, QRect(10, 10, 4, 4));
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepare(out);
    for (int i = 1; i < levels; ++i)
        out << qint64(1) << qint32(1);
    out << qint64(1) << qint32(bitmap.type());
    bitmap.serialize(out);
    for (int i = 0; i < levels; ++i)
        out << QPainterPath() << QPainterPath() << QTransform();
    return bytes;
}

// A bitmap stroke that counts how often its rectangle is read.
class CountedBitmap : public BitmapStroke
{
public:
    CountedBitmap(int* reads, const QRect& rect)
        : BitmapStroke(blank(rect.size(), 200), rect)
        , m_reads(reads)
    {
    }
    QRect boundingRect() const override
    {
        ++*m_reads;
        return BitmapStroke::boundingRect();
    }

private:
    int* m_reads;
};

} // namespace

class TestCompoundStroke : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void appendAndRemove();
    void erasersDoNotWidenTheBounds();
    void appendingReadsOnlyTheNewStrokesBounds_data();
    void appendingReadsOnlyTheNewStrokesBounds();
    void appendingPushesCutOrTransformDown_data();
    void appendingPushesCutOrTransformDown();
    void ensureIdentityTransformMovesNothing();
    void cuts();
    void boundingPath();
    void clippingMapsThroughTheTransform();
    void erasersInsideANestedCompoundStayInside();
    void drawingThroughCompoundsKeepsTheGrain();

    void collapseKeepsTheCoverage_data();
    void collapseKeepsTheCoverage();
    void collapseWithinAClip();
    void collapseEmptyCompound();
    void cancelledCollapseChangesNothing();
    void progressCountsEveryStroke();

    void streamRoundTripIsByteStable();
    void runLengthVersionSwitchIsMirrored_data();
    void runLengthVersionSwitchIsMirrored();
    void unknownKindsAndEmptyCounts();
    void nestingDepthIsCapped();
    void deepestNestingFitsASmallStack();
    void damagedStreamsFail_data();
    void damagedStreamsFail();
    void everyTruncationFails();
    void mangledStreamsNeverCrash();

private:
    std::unique_ptr<SingleStroke> pen(const QList<QPointF>& points) const
    {
        return strokeThrough(m_marker, points);
    }
    std::unique_ptr<SingleStroke> eraser(const QList<QPointF>& points) const
    {
        return strokeThrough(m_eraser, points, QSize(), 1.0);
    }
    // Two horizontal pen strokes, a third crossing them, an eraser across.
    std::unique_ptr<CompoundStroke> sample() const;

    QObject m_toolOwner;
    Model::PenTool* m_marker = nullptr;
    Model::PenTool* m_pencil = nullptr;
    Model::EraserTool* m_eraser = nullptr;
};

void TestCompoundStroke::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(FrameSize));
    m_marker = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_pencil = new Model::PenTool(Model::Tool::Pencil, &m_toolOwner);
    m_eraser = new Model::EraserTool(Model::Tool::Rubber, &m_toolOwner);
    m_marker->setSizeRangePercent(3.0, 5.0);
    m_pencil->setSizeRangePercent(2.0, 4.0);
    m_eraser->setSizeRangePercent(4.0, 6.0);
}

std::unique_ptr<CompoundStroke> TestCompoundStroke::sample() const
{
    auto root = std::make_unique<CompoundStroke>();
    root->appendStroke(pen({{20, 40}, {80, 40}, {150, 42}}));
    root->appendStroke(pen({{20, 90}, {90, 95}, {160, 110}}));
    root->appendStroke(strokeThrough(m_pencil, {{50, 20}, {55, 70}, {70, 130}}));
    root->appendStroke(eraser({{100, 30}, {110, 80}, {120, 130}}));
    return root;
}

void TestCompoundStroke::appendAndRemove()
{
    CompoundStroke root;
    QCOMPARE(root.type(), 1);
    QVERIFY(root.isEmpty());
    QVERIFY(root.boundingRect().isNull());
    QVERIFY(!root.appendStroke(nullptr));
    QVERIFY(root.isEmpty());
    QVERIFY(!root.removeLastStroke());

    auto first = pen({{20, 20}, {60, 20}});
    auto second = pen({{30, 100}, {30, 140}});
    const QRect expected = first->boundingRect() | second->boundingRect();
    QVERIFY(root.appendStroke(std::move(first)));
    QVERIFY(root.appendStroke(std::move(second)));
    QCOMPARE(root.numStrokes(), 2);
    QCOMPARE(root.boundingRect(), expected);

    auto inner = std::make_unique<CompoundStroke>();
    inner->appendStroke(pen({{100, 20}, {120, 20}}));
    inner->appendStroke(pen({{100, 30}, {120, 30}}));
    root.appendStroke(std::move(inner));
    QCOMPARE(root.numStrokes(), 3);
    QCOMPARE(root.numTotalStrokes(), 5);

    std::unique_ptr<Stroke> last = root.removeLastStroke();
    QVERIFY(last);
    QCOMPARE(last->type(), 1);
    QCOMPARE(root.boundingRect(), expected);

    // Copies share nothing.
    auto copy = root.clone();
    root.removeLastStroke();
    QCOMPARE(static_cast<CompoundStroke&>(*copy).numStrokes(), 2);
}

void TestCompoundStroke::appendingReadsOnlyTheNewStrokesBounds_data()
{
    QTest::addColumn<QString>("before");
    QTest::newRow("plain") << "plain";
    QTest::newRow("bounding path inside the strokes") << "bounding path";
    QTest::newRow("cut") << "cut";
    QTest::newRow("transform") << "transform";
}

// A drawing built stroke by stroke costs in proportion to its strokes: the
// bounds grow by what the new stroke brings, without walking the others.
void TestCompoundStroke::appendingReadsOnlyTheNewStrokesBounds()
{
    QFETCH(QString, before);
    CompoundStroke root;
    root.appendStroke(pen({{20, 20}, {60, 20}}));
    root.appendStroke(pen({{30, 100}, {30, 140}}));
    if (before == "bounding path")
        root.setBoundingPath(rectPath(QRectF(25, 10, 150, 140)));
    else if (before == "cut")
        QVERIFY(root.appendCut(rectPath(QRectF(25, 10, 10, 20))));
    else if (before == "transform")
        root.setTransform(QTransform::fromTranslate(7, 3));

    int reads = 0;
    const int strokes = 400;
    for (int i = 0; i < strokes; ++i)
        root.appendStroke(std::make_unique<CountedBitmap>(&reads, QRect(i % 190, i % 150, 4, 4)));
    QVERIFY2(reads <= 2 * strokes, qPrintable(QString::number(reads)));

    // The bounds are those a walk over every child gives.
    auto walked = root.clone();
    auto& compound = static_cast<CompoundStroke&>(*walked);
    compound.setTransform(compound.transform());
    QCOMPARE(root.boundingRect(), compound.boundingRect());
    QCOMPARE(root.boundingPath(), compound.boundingPath());
}

void TestCompoundStroke::erasersDoNotWidenTheBounds()
{
    CompoundStroke root;
    root.appendStroke(pen({{20, 20}, {60, 20}}));
    const QRect bounds = root.boundingRect();
    root.appendStroke(eraser({{100, 100}, {180, 150}}));
    QCOMPARE(root.boundingRect(), bounds);
    QCOMPARE(root.numStrokes(), 2);
}

void TestCompoundStroke::appendingPushesCutOrTransformDown_data()
{
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QTransform>("transform");
    QTest::newRow("cut") << true << QTransform();
    QTest::newRow("transform") << false << QTransform::fromTranslate(15, 5);
    QTest::newRow("both") << true << QTransform().rotate(10);
}

void TestCompoundStroke::appendingPushesCutOrTransformDown()
{
    QFETCH(bool, cut);
    QFETCH(QTransform, transform);

    CompoundStroke root;
    root.appendStroke(pen({{20, 40}, {150, 40}}));
    root.appendStroke(pen({{20, 60}, {150, 60}}));
    if (cut)
        QVERIFY(root.appendCut(rectPath(QRectF(60, 0, 30, 200))));
    QCOMPARE(root.hasCut(), cut);
    root.setTransform(transform);
    const QImage before = drawn(root);

    auto later = pen({{70, 120}, {80, 120}});
    const QRect laterBounds = later->boundingRect();
    root.appendStroke(std::move(later));

    QCOMPARE(root.numStrokes(), 2);
    QCOMPARE(root.numTotalStrokes(), 4);
    QVERIFY(!root.hasCut());
    QVERIFY(!root.hasTransform());
    const auto* wrapped = static_cast<const CompoundStroke*>(root.strokeAt(0));
    QCOMPARE(wrapped->type(), 1);
    QCOMPARE(wrapped->numStrokes(), 2);
    QCOMPARE(wrapped->hasCut(), cut);
    QCOMPARE(wrapped->transform(), transform);

    // The old content looks as before; the new stroke is neither cut nor
    // transformed.
    const QImage after = drawn(root);
    QImage laterOnly = drawn(*root.strokeAt(1));
    QVERIFY(meanIn(laterOnly, QRect(72, 117, 6, 6)) > 150);
    QImage oldPart = after;
    Model::Blending::fillImage(oldPart, laterBounds, 0);
    QImage beforePart = before;
    Model::Blending::fillImage(beforePart, laterBounds, 0);
    QVERIFY(difference(oldPart, beforePart).largest <= 2);
}

void TestCompoundStroke::ensureIdentityTransformMovesNothing()
{
    auto root = sample();
    root->setTransform(QTransform().translate(30, -10).scale(0.8, 1.1));
    const QRect bounds = root->boundingRect();
    const QImage before = drawn(*root);
    root->ensureIdentityTransform();
    QVERIFY(!root->hasTransform());
    QCOMPARE(root->numStrokes(), 1);
    QCOMPARE(root->boundingRect(), bounds);
    QVERIFY(difference(drawn(*root), before).largest <= 2);

    // Already the identity: nothing is pushed down.
    root->ensureIdentityTransform();
    QCOMPARE(root->numStrokes(), 1);
}

void TestCompoundStroke::cuts()
{
    CompoundStroke empty;
    QVERIFY(!empty.appendCut(rectPath(QRectF(0, 0, 10, 10))));
    QVERIFY(!empty.hasCut());

    CompoundStroke root;
    root.appendStroke(pen({{20, 40}, {150, 40}}));
    root.appendStroke(pen({{20, 100}, {40, 100}}));
    const QImage whole = drawn(root);

    // Through part of the first stroke: it stays, and the cut part is hidden.
    QVERIFY(root.appendCut(rectPath(QRectF(60, 0, 30, 70))));
    QCOMPARE(root.numStrokes(), 2);
    QVERIFY(root.hasCut());
    const QImage cut = drawn(root);
    QCOMPARE(meanIn(cut, QRect(65, 35, 20, 10)), 0.0);
    QVERIFY(meanIn(cut, QRect(30, 35, 20, 10)) > 100);
    QVERIFY(difference(cut.copy(0, 80, 200, 80), whole.copy(0, 80, 200, 80)).largest <= 1);

    // Over the whole second stroke: it is removed.
    QVERIFY(root.appendCut(rectPath(QRectF(0, 80, 60, 40))));
    QCOMPARE(root.numStrokes(), 1);
    // Over what remains: nothing is left, and with it goes the cut.
    QVERIFY(root.appendCut(rectPath(QRectF(0, 0, 200, 80))));
    QVERIFY(root.isEmpty());
    QVERIFY(!root.hasCut());
    QVERIFY(root.boundingRect().isNull());
}

void TestCompoundStroke::boundingPath()
{
    CompoundStroke root;
    root.appendStroke(pen({{20, 40}, {150, 40}}));
    root.appendStroke(pen({{20, 130}, {40, 130}}));

    // Keeps only what touches the path, and hides what lies outside it.
    root.setBoundingPath(rectPath(QRectF(10, 20, 80, 40)));
    QCOMPARE(root.numStrokes(), 1);
    QVERIFY(!root.boundingPath().isEmpty());
    QCOMPARE(root.boundingRect(), root.strokeAt(0)->boundingRect() & QRect(10, 20, 80, 40));
    const QImage image = drawn(root);
    QVERIFY(meanIn(image, QRect(30, 35, 20, 10)) > 100);
    QCOMPARE(meanIn(image, QRect(92, 30, 60, 20)), 0.0);

    // A bounding path that contains all the content hides nothing and is
    // dropped.
    CompoundStroke other;
    other.appendStroke(pen({{20, 40}, {150, 40}}));
    const QRect bounds = other.boundingRect();
    other.setBoundingPath(rectPath(QRectF(0, 0, 200, 160)));
    QVERIFY(other.boundingPath().isEmpty());
    QCOMPARE(other.boundingRect(), bounds);
}

void TestCompoundStroke::clippingMapsThroughTheTransform()
{
    CompoundStroke root;
    root.appendStroke(pen({{20, 40}, {60, 40}}));
    root.setTransform(QTransform::fromTranslate(100, 0));
    // The path is in outer coordinates: it covers the stroke only where the
    // transform put it.
    QVERIFY(root.clipInsidePath(rectPath(QRectF(0, 0, 90, 160))));
    QCOMPARE(root.numStrokes(), 1);
    QVERIFY(root.clipInsidePath(rectPath(QRectF(100, 0, 100, 160))));
    QVERIFY(root.isEmpty());
}

void TestCompoundStroke::erasersInsideANestedCompoundStayInside()
{
    CompoundStroke root;
    root.appendStroke(pen({{20, 40}, {150, 40}}));
    auto inner = std::make_unique<CompoundStroke>();
    inner->appendStroke(pen({{20, 60}, {150, 60}}));
    inner->appendStroke(eraser({{80, 20}, {80, 100}}));
    root.appendStroke(std::move(inner));

    // Rows through the middle of each stroke, where the eraser crosses them
    // and away from it.
    const QImage image = drawn(root);
    const double outerErased = meanIn(image, QRect(77, 39, 6, 2));
    const double outerKept = meanIn(image, QRect(30, 39, 6, 2));
    const double innerErased = meanIn(image, QRect(77, 59, 6, 2));
    const double innerKept = meanIn(image, QRect(30, 59, 6, 2));
    QVERIFY(outerKept > 150 && innerKept > 150);
    QVERIFY(std::abs(outerErased - outerKept) < 5); // outside the nested compound: untouched
    QVERIFY(innerErased < innerKept / 2);           // inside: erased

    // At the same level the eraser removes both.
    CompoundStroke flat;
    flat.appendStroke(pen({{20, 40}, {150, 40}}));
    flat.appendStroke(pen({{20, 60}, {150, 60}}));
    flat.appendStroke(eraser({{80, 20}, {80, 100}}));
    const QImage flatImage = drawn(flat);
    QVERIFY(meanIn(flatImage, QRect(77, 39, 6, 2)) < outerKept / 2);
    QVERIFY(std::abs(meanIn(flatImage, QRect(77, 59, 6, 2)) - innerErased) < 5);
}

// A compound renders its children into scratch images that cover only what
// it can reach; the paper grain must stay where a direct render puts it.
void TestCompoundStroke::drawingThroughCompoundsKeepsTheGrain()
{
    auto stroke = strokeThrough(m_pencil, {{30, 50}, {90, 70}, {170, 120}});
    const QImage direct = drawn(*stroke);

    CompoundStroke root;
    auto inner = std::make_unique<CompoundStroke>();
    inner->appendStroke(stroke->clone());
    root.appendStroke(std::move(inner));
    QImage target = blank(FrameSize);
    const QRect area = root.draw(target, target.rect(), QTransform(), QPoint(), 1.0);
    QVERIFY(area.contains(stroke->boundingRect()));
    QCOMPARE(difference(target, direct).largest, 0);

    // Also for a part of the target, under a transform and at a scale.
    const QTransform zoom = QTransform::fromScale(2, 2);
    QImage bigDirect = blank(FrameSize * 2);
    stroke->draw(bigDirect, QRect(100, 80, 150, 120), zoom, QPoint(7, 9), 2.0);
    QImage bigRoot = blank(FrameSize * 2);
    root.draw(bigRoot, QRect(100, 80, 150, 120), zoom, QPoint(7, 9), 2.0);
    QVERIFY(total(bigDirect) > 0);
    QVERIFY(difference(bigRoot, bigDirect).largest <= 1);
}

void TestCompoundStroke::collapseKeepsTheCoverage_data()
{
    QTest::addColumn<int>("content");
    QTest::newRow("pens and an eraser") << 0;
    QTest::newRow("with a cut") << 1;
    QTest::newRow("with a transformed child") << 2;
    QTest::newRow("with a bounding path") << 3;
    QTest::newRow("collapsed twice") << 4;
}

void TestCompoundStroke::collapseKeepsTheCoverage()
{
    QFETCH(int, content);
    auto root = sample();
    switch (content) {
    case 1:
        root->appendCut(rectPath(QRectF(60, 30, 40, 70)));
        break;
    case 2:
        root->setTransform(QTransform().translate(100, 0).rotate(20).scale(0.7, 0.7));
        root->appendStroke(pen({{10, 150}, {190, 150}}));
        break;
    case 3: {
        QPainterPath lasso;
        lasso.addEllipse(QRectF(30, 20, 120, 100));
        root->setBoundingPath(lasso);
        break;
    }
    case 4:
        QVERIFY(root->collapseVectorData(2, QRect(), nullptr));
        root->appendStroke(pen({{10, 150}, {190, 145}}));
        break;
    default:
        break;
    }

    const QImage vector = drawn(*root);
    const QRect bounds = root->boundingRect();
    QVERIFY(root->collapseVectorData(2, QRect(), nullptr));
    QCOMPARE(root->numStrokes(), 1);
    const auto* bitmap = static_cast<const BitmapStroke*>(root->strokeAt(0));
    QCOMPARE(bitmap->type(), 2);
    QCOMPARE(bitmap->rect(), bounds);
    QCOMPARE(bitmap->image().size(), bounds.size() * 2);
    QVERIFY(!root->hasCut() && !root->hasTransform() && root->boundingPath().isEmpty());
    QCOMPARE(root->boundingRect(), bounds);

    const QImage raster = drawn(*root);
    const Difference diff = difference(vector, raster);
    const double inkVector = double(total(vector));
    const double inkRaster = double(total(raster));
    QVERIFY(diff.inked > 500);
    QVERIFY2(std::abs(inkVector - inkRaster) / inkVector < 0.03 && diff.mean < 12.0,
             qPrintable(QStringLiteral("ink %1 vs %2, mean difference %3, largest %4")
                            .arg(inkVector)
                            .arg(inkRaster)
                            .arg(diff.mean)
                            .arg(diff.largest)));
}

void TestCompoundStroke::collapseWithinAClip()
{
    auto root = sample();
    const QImage vector = drawn(*root);
    const QRect clip(40, 30, 60, 50);
    QVERIFY(root->collapseVectorData(2, clip, nullptr));
    QCOMPARE(root->boundingRect(), root->boundingRect() & clip);
    QCOMPARE(root->boundingRect(), clip);
    const QImage raster = drawn(*root);
    QCOMPARE(meanIn(raster, QRect(0, 0, 200, 30)), 0.0);
    const QRect inner = clip.adjusted(2, 2, -2, -2);
    QVERIFY(std::abs(meanIn(raster, inner) - meanIn(vector, inner)) < 5.0);
}

void TestCompoundStroke::collapseEmptyCompound()
{
    CompoundStroke root;
    QVERIFY(root.collapseVectorData(2, QRect(), nullptr));
    QCOMPARE(root.numStrokes(), 1);
    const auto* bitmap = static_cast<const BitmapStroke*>(root.strokeAt(0));
    QCOMPARE(bitmap->type(), 2);
    QVERIFY(bitmap->rect().isEmpty());
    QVERIFY(bitmap->image().isNull());
    // Cropping it divides by nothing.
    root.clipOutsidePath(rectPath(QRectF(0, 0, 100, 100)));
    QVERIFY(root.isEmpty());

    QVERIFY(!root.collapseVectorData(0, QRect(), nullptr));
}

void TestCompoundStroke::cancelledCollapseChangesNothing()
{
    auto root = sample();
    root->appendCut(rectPath(QRectF(60, 30, 40, 70)));
    const QByteArray before = bytesOf(*root);
    QProgressDialog progress;
    progress.cancel();
    QVERIFY(!root->collapseVectorData(2, QRect(), &progress));
    QCOMPARE(bytesOf(*root), before);

    // Drawing stops too, with nothing to report.
    QImage target = blank(FrameSize);
    QVERIFY(root->draw(target, target.rect(), QTransform(), QPoint(), 1.0, &progress).isNull());
}

void TestCompoundStroke::progressCountsEveryStroke()
{
    auto root = sample();
    root->appendCut(rectPath(QRectF(60, 30, 40, 70)));
    root->appendStroke(pen({{10, 150}, {190, 150}})); // pushes the rest down
    QCOMPARE(root->numTotalStrokes(), 6);
    QProgressDialog progress;
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimum(0);
    progress.setValue(0);
    QVERIFY(root->collapseVectorData(2, QRect(), &progress));
    QCOMPARE(progress.maximum(), 6);
    QCOMPARE(progress.value(), 6);
}

void TestCompoundStroke::streamRoundTripIsByteStable()
{
    // Every kind, nested, with cuts, a bounding path and transforms; bitmap
    // strokes before and after vector ones.
    auto root = std::make_unique<CompoundStroke>();
    root->appendStroke(pen({{20, 40}, {80, 40}, {150, 42}}));
    auto collapsed = sample();
    collapsed->collapseVectorData(2, QRect(10, 10, 100, 100), nullptr);
    root->appendStroke(std::move(collapsed));
    root->appendStroke(eraser({{100, 30}, {110, 80}}));
    root->appendCut(rectPath(QRectF(60, 30, 40, 20)));
    root->appendStroke(std::make_unique<BitmapStroke>(QImage(), QRect(1, 2, 3, 4)));
    auto inner = sample();
    inner->setTransform(QTransform().translate(5, 5).rotate(12));
    QPainterPath lasso;
    lasso.addEllipse(QRectF(30, 20, 120, 100));
    inner->setBoundingPath(lasso);
    root->appendStroke(std::move(inner));
    QVERIFY(root->numTotalStrokes() > 10);

    const QByteArray first = bytesOf(*root);
    CompoundStroke read;
    {
        QDataStream in(first);
        prepare(in);
        in >> read;
        QCOMPARE(in.status(), QDataStream::Ok);
        QVERIFY(in.atEnd());
    }
    QCOMPARE(bytesOf(read), first);
    QCOMPARE(read.numTotalStrokes(), root->numTotalStrokes());
    QCOMPARE(read.boundingRect(), root->boundingRect());
    QVERIFY(difference(drawn(read), drawn(*root)).largest <= 3);

    // A clone writes the same bytes as well.
    QCOMPARE(bytesOf(*read.clone()), first);
}

// The run-length image sets the stream to its own version and leaves it
// there, so everything after a bitmap stroke is written, and must be read,
// at that version.
void TestCompoundStroke::runLengthVersionSwitchIsMirrored_data()
{
    QTest::addColumn<bool>("withImage");
    QTest::addColumn<int>("versionAfter");
    QTest::newRow("bitmap with an image") << true << 19;
    QTest::newRow("bitmap without an image") << false << int(QDataStream::Qt_6_4);
}

void TestCompoundStroke::runLengthVersionSwitchIsMirrored()
{
    QFETCH(bool, withImage);
    QFETCH(int, versionAfter);

    CompoundStroke root;
    root.appendStroke(pen({{20, 40}, {80, 40}}));
    QImage image = blank(QSize(8, 8), 100);
    root.appendStroke(
        std::make_unique<BitmapStroke>(withImage ? image : QImage(), QRect(0, 0, 4, 4)));
    root.appendStroke(pen({{20, 60}, {80, 60}}));
    root.appendCut(rectPath(QRectF(30, 30, 10, 40)));

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepare(out, QDataStream::Qt_6_4);
    root.serialize(out);
    QCOMPARE(out.version(), versionAfter);

    QDataStream in(bytes);
    prepare(in, QDataStream::Qt_6_4);
    CompoundStroke read;
    in >> read;
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(in.version(), versionAfter);
    QCOMPARE(read.numStrokes(), 3);
    QVERIFY(read.hasCut());
    QCOMPARE(bytesOf(read, QDataStream::Qt_6_4), bytes);
}

void TestCompoundStroke::unknownKindsAndEmptyCounts()
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        out << qint64(4) << qint32(7);       // unknown: nothing read for it
        out << qint32(0);
        pen({{20, 40}, {80, 40}})->serialize(out);
        out << qint32(-3) << qint32(1) << qint64(0) << QPainterPath() << QPainterPath()
            << QTransform();
        out << QPainterPath() << QPainterPath() << QTransform::fromTranslate(3, 4);
    }
    QDataStream in(bytes);
    prepare(in);
    CompoundStroke read;
    in >> read;
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    QCOMPARE(read.numStrokes(), 2);
    QCOMPARE(read.strokeAt(0)->type(), 0);
    QCOMPARE(read.strokeAt(1)->type(), 1);
    QCOMPARE(read.transform(), QTransform::fromTranslate(3, 4));

    // Count 0: only the paths and the transform follow.
    QByteArray none;
    {
        QDataStream out(&none, QIODevice::WriteOnly);
        prepare(out);
        out << qint64(0) << QPainterPath() << QPainterPath() << QTransform::fromScale(2, 2);
    }
    QDataStream noneIn(none);
    prepare(noneIn);
    CompoundStroke empty;
    noneIn >> empty;
    QCOMPARE(noneIn.status(), QDataStream::Ok);
    QVERIFY(noneIn.atEnd());
    QVERIFY(empty.isEmpty());
    QCOMPARE(empty.transform(), QTransform::fromScale(2, 2));
}

void TestCompoundStroke::nestingDepthIsCapped()
{
    {
        const QByteArray bytes = nestedStream(CompoundStroke::MaximumNestingDepth);
        QDataStream in(bytes);
        prepare(in);
        CompoundStroke read;
        in >> read;
        QCOMPARE(in.status(), QDataStream::Ok);
        QVERIFY(in.atEnd());
        QCOMPARE(read.numTotalStrokes(), CompoundStroke::MaximumNestingDepth - 1);
    }
    {
        const QByteArray bytes = nestedStream(CompoundStroke::MaximumNestingDepth + 1);
        QDataStream in(bytes);
        prepare(in);
        CompoundStroke read;
        in >> read;
        QCOMPARE(in.status(), QDataStream::ReadCorruptData);
    }
    {
        // Far deeper than any stack would take if each level recursed on.
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        for (int i = 0; i < 1000000; ++i)
            out << qint64(1) << qint32(1);
        QDataStream in(bytes);
        prepare(in);
        CompoundStroke read;
        in >> read;
        QCOMPARE(in.status(), QDataStream::ReadCorruptData);
    }
}

// Every walk through the levels recurses; the deepest compound a stream may
// hold is read, copied, drawn, written and freed on a thread with a quarter
// of the main thread's stack.
void TestCompoundStroke::deepestNestingFitsASmallStack()
{
    const QByteArray bytes = nestedStreamAroundABitmap(CompoundStroke::MaximumNestingDepth);
    bool read = false;
    qint64 covered = 0;
    QByteArray written;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        QDataStream in(bytes);
        prepare(in);
        CompoundStroke compound;
        in >> compound;
        read = in.status() == QDataStream::Ok && in.atEnd();
        const CompoundStroke copy(compound);
        QImage image = blank(FrameSize);
        copy.draw(image, image.rect(), QTransform(), QPoint(), 1.0);
        covered = total(image);
        written = bytesOf(copy);
    }));
    thread->setStackSize(smallStack);
    thread->start();
    QVERIFY(thread->wait(60000));
    QVERIFY(read);
    QCOMPARE(covered, qint64(16 * 255));
    QCOMPARE(written, bytes);
}

void TestCompoundStroke::damagedStreamsFail_data()
{
    QTest::addColumn<QByteArray>("bytes");

    auto make = [](auto&& write) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        write(out);
        return bytes;
    };
    QTest::newRow("negative count") << make([](QDataStream& out) {
        out << qint64(-1) << QPainterPath() << QPainterPath() << QTransform();
    });
    QTest::newRow("huge count, one child") << make([](QDataStream& out) {
        out << qint64(0x7fffffffffffffffLL) << qint32(2) << QRect(0, 0, 2, 2) << qint32(-1);
    });
    QTest::newRow("path with a huge element count") << make([](QDataStream& out) {
        out << qint64(0) << qint32(0x7fffffff) << qint32(0) << 1.0 << 1.0;
    });
    QTest::newRow("path with a negative element count") << make([](QDataStream& out) {
        out << qint64(0) << qint32(-2) << QPainterPath() << QTransform();
    });
    QTest::newRow("path: curve without its control points") << make([](QDataStream& out) {
        out << qint64(0) << qint32(2) << qint32(QPainterPath::MoveToElement) << 0.0 << 0.0
            << qint32(QPainterPath::CurveToElement) << 5.0 << 5.0 << qint32(0) << qint32(0)
            << QPainterPath() << QTransform();
    });
    QTest::newRow("path: unknown element type") << make([](QDataStream& out) {
        out << qint64(0) << qint32(2) << qint32(QPainterPath::MoveToElement) << 0.0 << 0.0
            << qint32(9) << 5.0 << 5.0 << qint32(0) << qint32(0) << QPainterPath()
            << QTransform();
    });
    QTest::newRow("path: subpath start out of range") << make([](QDataStream& out) {
        out << qint64(0) << qint32(2) << qint32(QPainterPath::MoveToElement) << 0.0 << 0.0
            << qint32(QPainterPath::LineToElement) << 5.0 << 5.0 << qint32(7) << qint32(0)
            << QPainterPath() << QTransform();
    });
    QTest::newRow("path: non-finite point") << make([](QDataStream& out) {
        out << qint64(0) << qint32(2) << qint32(QPainterPath::MoveToElement) << 0.0 << 0.0
            << qint32(QPainterPath::LineToElement) << qInf() << 5.0 << qint32(0) << qint32(0)
            << QPainterPath() << QTransform();
    });
    QTest::newRow("non-finite transform") << make([](QDataStream& out) {
        out << qint64(0) << QPainterPath() << QPainterPath()
            << QTransform(qQNaN(), 0, 0, 1, 0, 0);
    });
    // One pen stroke inside, placed by the given transform.
    const auto placed = [this, make](const QTransform& transform) {
        return make([this, transform](QDataStream& out) {
            out << qint64(1) << qint32(0);
            pen({{10, 10}, {30, 20}})->serialize(out);
            out << QPainterPath() << QPainterPath() << transform;
        });
    };
    QTest::newRow("projective transform")
        << placed(QTransform(1, 0, 0, 0, 1, 0, 0, 0, 4.75e-6));
    QTest::newRow("perspective row") << placed(QTransform(1, 0, 1e-3, 0, 1, 0, 0, 0, 1));
    QTest::newRow("scale that carries a stroke out of range")
        << placed(QTransform::fromScale(1e6, 1e6));
    QTest::newRow("translation that carries a stroke out of range")
        << placed(QTransform::fromTranslate(1e7, 0));
    QTest::newRow("transform that carries a cut out of range") << make([this](QDataStream& out) {
        out << qint64(1) << qint32(0);
        pen({{10, 10}, {30, 20}})->serialize(out);
        out << rectPath(QRectF(-1e6, 0, 10, 10)) << QPainterPath() << QTransform::fromScale(20, 1);
    });
    QTest::newRow("damaged child") << make([](QDataStream& out) {
        out << qint64(1) << qint32(0) << true << qint32(0) << QRect(0, 0, 4, 4) << qint32(-7);
    });
}

void TestCompoundStroke::damagedStreamsFail()
{
    QFETCH(QByteArray, bytes);
    QDataStream in(bytes);
    prepare(in);
    CompoundStroke read;
    in >> read;
    QVERIFY(in.status() != QDataStream::Ok);
    // What was kept is consistent enough to draw and clip.
    QImage target = blank(FrameSize);
    read.draw(target, target.rect(), QTransform(), QPoint(), 1.0);
    read.clipInsidePath(rectPath(QRectF(0, 0, 5, 5)));
}

void TestCompoundStroke::everyTruncationFails()
{
    auto root = sample();
    root->appendCut(rectPath(QRectF(60, 30, 40, 70)));
    auto small = std::make_unique<CompoundStroke>();
    small->appendStroke(pen({{10, 10}, {30, 10}}));
    small->collapseVectorData(2, QRect(), nullptr);
    root->appendStroke(std::move(small));
    const QByteArray bytes = bytesOf(*root);
    for (int length = 0; length < bytes.size(); ++length) {
        QDataStream in(bytes.left(length));
        prepare(in);
        CompoundStroke read;
        in >> read;
        QVERIFY2(in.status() != QDataStream::Ok, qPrintable(QString::number(length)));
    }
}

void TestCompoundStroke::mangledStreamsNeverCrash()
{
    auto root = sample();
    root->appendCut(rectPath(QRectF(60, 30, 40, 70)));
    auto small = std::make_unique<CompoundStroke>();
    small->appendStroke(pen({{10, 10}, {30, 10}}));
    small->collapseVectorData(2, QRect(), nullptr);
    root->appendStroke(std::move(small));
    const QByteArray bytes = bytesOf(*root);

    QRandomGenerator random(20261210);
    QImage target = blank(FrameSize);
    int failed = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray mangled = bytes;
        const int changes = 1 + random.bounded(4);
        for (int i = 0; i < changes; ++i)
            mangled[random.bounded(int(mangled.size()))] = char(random.bounded(256));
        QDataStream in(mangled);
        prepare(in);
        CompoundStroke read;
        in >> read;
        if (in.status() != QDataStream::Ok)
            ++failed;
        // Whatever came through is safe to use.
        read.draw(target, QRect(0, 0, 50, 50), QTransform(), QPoint(), 1.0);
        read.clipOutsidePath(rectPath(QRectF(0, 0, 100, 100)));
        bytesOf(read);
    }
    QVERIFY(failed > 0);
}

QUILLMERE_TEST_MAIN(TestCompoundStroke)
#include "tst_compoundstroke.moc"

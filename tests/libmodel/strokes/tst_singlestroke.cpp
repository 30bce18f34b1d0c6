// The segment builder, live rasterisation, redraw, clipping and the stream
// form of single strokes. Rasterising needs the off-screen renderer, so the
// suite runs under a real X server with software OpenGL.
#include "TestSupport.h"

#include "StrokeFixtures.h"

#include "rendering/OffscreenRenderer.h"
#include "strokes/ArcSegment.h"
#include "strokes/LineSegment.h"
#include "strokes/PointSegment.h"
#include "tools/HandTool.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cmath>

using namespace StrokeFixtures;
using Model::SingleStroke;

namespace {

const QSize FrameSize(200, 160);

// Segment kinds as letters: P point, L line, A arc.
QString kindsOf(const SingleStroke& stroke, int from = 0)
{
    QString kinds;
    const auto& segments = stroke.segments();
    for (int i = from; i < segments.size(); ++i)
        kinds += QStringLiteral("PLA").at(segments.at(i)->type());
    return kinds;
}

// The point at distance length from origin in the QLineF direction of angle
// degrees (counter-clockwise on screen, y pointing down).
QPointF towards(const QPointF& origin, double degrees, double length)
{
    QLineF line(origin, origin + QPointF(length, 0));
    line.setAngle(degrees);
    return line.p2();
}

} // namespace

class TestSingleStroke : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void firstPointIsADot();
    void turnDecidesThePiece_data();
    void turnDecidesThePiece();
    void startTangent_data();
    void startTangent();
    void restingPenApproachesThenEndPointCloses();
    void withoutDrawingToolOnlyGuidePointsAreKept_data();
    void withoutDrawingToolOnlyGuidePointsAreKept();
    void strokeKeepsItsOwnCopyOfTheTool();
    void queriesOnAnEmptyStroke();

    void liveBufferMatchesRedrawThroughCorners_data();
    void liveBufferMatchesRedrawThroughCorners();
    void repaintRectangleCoversNewSegmentsAndPen();
    void drawOutsideTheRequestedRectDrawsNothing();
    void dottedLineIsRepaintedByTheNextSegment();

    void clipping_data();
    void clipping();

    void streamRoundTripIsByteStable_data();
    void streamRoundTripIsByteStable();
    void unknownSegmentKindsAreSkipped();
    void damagedStreamsFail_data();
    void damagedStreamsFail();
    void everyTruncationFails();

private:
    QObject m_toolOwner;
    Model::PenTool* m_pencil = nullptr;
    Model::PenTool* m_brush = nullptr;
    Model::EraserTool* m_vinyl = nullptr;
};

void TestSingleStroke::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(FrameSize));
    m_pencil = new Model::PenTool(Model::Tool::Pencil, &m_toolOwner);
    m_brush = new Model::PenTool(Model::Tool::Brush, &m_toolOwner);
    m_vinyl = new Model::EraserTool(Model::Tool::Vinyl, &m_toolOwner);
    // Wide enough that every piece shows clearly in the buffer.
    m_pencil->setSizeRangePercent(2.0, 4.0);
    m_brush->setSizeRangePercent(2.0, 4.0);
    m_vinyl->setSizeRangePercent(2.0, 4.0);
}

void TestSingleStroke::firstPointIsADot()
{
    SingleStroke stroke(m_pencil);
    stroke.addPoint(guide(QPointF(30, 40), 0.5));
    QCOMPARE(kindsOf(stroke), QStringLiteral("P"));
    QCOMPARE(stroke.resultPoints().size(), 1);
    QVERIFY(stroke.resultPoints().first().tangent.isNull());

    const auto& dot = static_cast<const Model::PointSegment&>(*stroke.segments().first());
    QCOMPARE(dot.position(), QPointF(30, 40));
    QCOMPARE(dot.radius(), m_pencil->radiusAtPressure(0.5));
    QCOMPARE(dot.opacity(), m_pencil->opacityAtPressure(0.5));
    QVERIFY(stroke.isSinglePoint());

    // The pen set down again at the same place: a step of length 0 adds nothing.
    stroke.addPoint(guide(QPointF(30, 40), 0.9));
    QCOMPARE(kindsOf(stroke), QStringLiteral("P"));
    QCOMPARE(stroke.resultPoints().size(), 1);
}

// The stroke runs straight along +x, then the pen jumps to a point 20 px from
// the stroke's end in the direction given by the turn angle. Under 1 degree
// either way the piece is straight, up to 90 degrees it is an arc tangent to
// the run, beyond that the stroke takes a corner: straight to the previous
// guide point, then straight on toward the pen.
void TestSingleStroke::turnDecidesThePiece_data()
{
    QTest::addColumn<double>("turn");
    QTest::addColumn<QString>("kinds");
    QTest::addColumn<bool>("clockwise");

    QTest::newRow("0.5 degrees left: straight") << 0.5 << "L" << false;
    QTest::newRow("359.5 (0.5 right): straight") << 359.5 << "L" << false;
    QTest::newRow("1.5 degrees left: arc") << 1.5 << "A" << false;
    QTest::newRow("358.5 (1.5 right): arc") << 358.5 << "A" << true;
    QTest::newRow("45 left: arc") << 45.0 << "A" << false;
    QTest::newRow("89 left: arc") << 89.0 << "A" << false;
    QTest::newRow("271 (89 right): arc") << 271.0 << "A" << true;
    QTest::newRow("91 left: corner") << 91.0 << "LL" << false;
    QTest::newRow("180 reversal: corner") << 180.0 << "LL" << false;
    QTest::newRow("269 (91 right): corner") << 269.0 << "LL" << false;
}

void TestSingleStroke::turnDecidesThePiece()
{
    QFETCH(double, turn);
    QFETCH(QString, kinds);
    QFETCH(bool, clockwise);

    SingleStroke stroke(m_pencil);
    for (const QPointF& p : {QPointF(50, 80), QPointF(60, 80), QPointF(70, 80)})
        stroke.addPoint(guide(p));
    QCOMPARE(kindsOf(stroke), QStringLiteral("PLL"));
    const SingleStroke::ResultPoint end = stroke.resultPoints().last();
    QCOMPARE(end.tangent.angle(), 0.0);

    const int before = int(stroke.segments().size());
    const QPointF pen = towards(end.position, turn, 20.0);
    stroke.addPoint(guide(pen));
    QCOMPARE(kindsOf(stroke, before), kinds);

    const auto& newest = stroke.segments().last();
    if (kinds == QLatin1String("A")) {
        const auto& arc = static_cast<const Model::ArcSegment&>(*newest);
        QCOMPARE(arc.isClockwise(), clockwise);
        QCOMPARE(arc.p1(), end.position);
        // The arc leaves the stroke's end along the run, and its circle
        // passes through the pen.
        QVERIFY(std::abs(QLineF(arc.circle().centre(), pen).length() - arc.circle().radius())
                < 1e-6);
        QVERIFY(std::abs(QPointF::dotProduct(arc.tangentAt(arc.p1()), QPointF(0, 1))) < 1e-6);
        QVERIFY(arc.tangentAt(arc.p1()).x() > 0);
        // It turns toward the pen but covers only part of the way.
        QCOMPARE(stroke.resultPoints().last().position, arc.p2());
        QVERIFY(QLineF(arc.p2(), pen).length() < QLineF(end.position, pen).length());
    } else if (kinds == QLatin1String("LL")) {
        const auto& corner =
            static_cast<const Model::LineSegment&>(*stroke.segments().at(before));
        const auto& onward = static_cast<const Model::LineSegment&>(*newest);
        QCOMPARE(corner.p1(), end.position);
        QCOMPARE(corner.p2(), QPointF(70, 80)); // the guide point before the pen
        QCOMPARE(onward.p1(), QPointF(70, 80));
        QCOMPARE(onward.p2(), QPointF(70, 80) + 0.6 * (pen - QPointF(70, 80)));
        QVERIFY(stroke.resultPoints().at(stroke.resultPoints().size() - 2).tangent.isNull());
    } else {
        const auto& line = static_cast<const Model::LineSegment&>(*newest);
        QCOMPARE(line.p1(), end.position);
        QCOMPARE(line.p2(), end.position + 0.6 * (pen - end.position));
    }
}

void TestSingleStroke::startTangent_data()
{
    QTest::addColumn<QPointF>("behind");
    QTest::addColumn<double>("turn");
    QTest::addColumn<QString>("kinds");

    // The direction point lies behind the first point: motion along +x.
    QTest::newRow("gentle turn follows the tangent as an arc") << QPointF(40, 80) << 30.0 << "PA";
    QTest::newRow("sharper than 45: straight, dot dropped") << QPointF(40, 80) << 100.0 << "L";
    QTest::newRow("315 or beyond on the other side: arc") << QPointF(40, 80) << 320.0 << "PA";
    QTest::newRow("direction too close is ignored") << QPointF(45, 80) << 100.0 << "PL";
}

void TestSingleStroke::startTangent()
{
    QFETCH(QPointF, behind);
    QFETCH(double, turn);
    QFETCH(QString, kinds);

    SingleStroke stroke(QSize(FrameSize), m_pencil);
    stroke.addPoint(guide(QPointF(50, 80)), behind);
    stroke.drawLastSegmentToBuffer();
    stroke.addPoint(guide(towards(QPointF(50, 80), turn, 20.0)));
    QCOMPARE(kindsOf(stroke), kinds);
    stroke.drawLastSegmentToBuffer();
    // The dot, when it was dropped, was already in the buffer; the line's
    // begin cap covers it, so a redraw from the segments looks the same.
    QImage redrawn = blank(FrameSize);
    stroke.draw(redrawn, redrawn.rect(), QTransform(), QPoint(), 1.0);
    QVERIFY2(difference(stroke.buffer(), redrawn).largest <= 8,
             qPrintable(QString::number(difference(stroke.buffer(), redrawn).largest)));
}

void TestSingleStroke::restingPenApproachesThenEndPointCloses()
{
    SingleStroke stroke(m_pencil);
    stroke.addPoint(guide(QPointF(50, 50)));
    stroke.addPoint(guide(QPointF(60, 50)));
    QCOMPARE(stroke.resultPoints().last().position, QPointF(56, 50));

    // Each extra point covers 60 % of the remaining gap: 4 -> 1.6. Then the
    // step, 0.96, is under a pixel and nothing more is added.
    stroke.addPoint();
    QCOMPARE(stroke.resultPoints().last().position.x(), 56 + 0.6 * 4);
    const int segments = int(stroke.segments().size());
    for (int i = 0; i < 5; ++i)
        stroke.addPoint();
    QCOMPARE(int(stroke.segments().size()), segments);
    QVERIFY(stroke.resultPoints().last().position.x() < 59);

    stroke.addEndPoint();
    QCOMPARE(stroke.resultPoints().last().position, QPointF(60, 50));
    QCOMPARE(int(stroke.segments().size()), segments + 1);
    // Pressure is followed like the position.
    QCOMPARE(stroke.resultPoints().last().pressure, 0.5);
}

void TestSingleStroke::withoutDrawingToolOnlyGuidePointsAreKept_data()
{
    QTest::addColumn<bool>("withHandTool");
    QTest::newRow("no tool") << false;
    QTest::newRow("hand tool") << true;
}

void TestSingleStroke::withoutDrawingToolOnlyGuidePointsAreKept()
{
    QFETCH(bool, withHandTool);
    Model::HandTool hand(&m_toolOwner);
    SingleStroke stroke(FrameSize, withHandTool ? &hand : nullptr);
    stroke.addPoint(guide(QPointF(10, 10)));
    stroke.addPoint(QPointF(30, 10), 0.7, 1234);
    stroke.addEndPoint();
    QCOMPARE(stroke.guidePoints().size(), 2);
    QCOMPARE(stroke.guidePoints().last().time, quint64(1234));
    QVERIFY(stroke.isValid());
    QVERIFY(stroke.isEmpty());
    QVERIFY(stroke.resultPoints().isEmpty());
    QVERIFY(stroke.drawLastSegmentToBuffer().isNull());
    QImage painted(FrameSize, QImage::Format_ARGB32);
    QPainter painter(&painted);
    QVERIFY(stroke.drawDottedLineFromLastResultToGuide(&painter, Qt::red, painted.rect(), 2.0)
                .isNull());
}

void TestSingleStroke::strokeKeepsItsOwnCopyOfTheTool()
{
    QObject owner;
    auto* pen = new Model::PenTool(Model::Tool::Marker, &owner);
    pen->setSizeRangePercent(10.0, 20.0);
    const double radius = pen->radiusAtPressure(1.0);

    auto stroke = std::make_unique<SingleStroke>(pen);
    auto copy = stroke->clone();
    SingleStroke another(pen);
    QVERIFY(stroke->tool() && stroke->tool() != pen);
    QCOMPARE(static_cast<SingleStroke&>(*copy).tool(), stroke->tool());
    QCOMPARE(stroke->penType(), Model::Tool::Marker);
    QVERIFY(stroke->isPen());

    // Later changes of the tool leave the stroke alone, and the clones do not
    // pile up under the tool's owner, one per stroke.
    pen->setSizeRangePercent(50.0, 60.0);
    QCOMPARE(stroke->radiusAtPressure(1.0), radius);
    QCOMPARE(owner.children().size(), 1);

    // The clone outlives the stroke it was made for while a copy uses it.
    stroke.reset();
    QCOMPARE(static_cast<SingleStroke&>(*copy).radiusAtPressure(1.0), radius);

    SingleStroke eraser(m_vinyl);
    QVERIFY(eraser.isEraser());
    QCOMPARE(eraser.eraserType(), Model::Tool::Vinyl);
}

void TestSingleStroke::queriesOnAnEmptyStroke()
{
    SingleStroke stroke(m_pencil);
    QVERIFY(!stroke.isValid());
    QVERIFY(stroke.isEmpty());
    QCOMPARE(stroke.boundingRect(), QRect(QPoint(-1, -1), QPoint(0, 0)));
    const Model::Stroke::GuidePoint last = stroke.lastGuidePoint();
    QCOMPARE(last.position, QPointF());
    QCOMPARE(last.pressure, 0.0);
    QCOMPARE(last.time, quint64(0));
    QVERIFY(!stroke.isTooCloseToLastGuidePoint(QPointF()));
    QVERIFY(stroke.toPainterPath().isEmpty());

    stroke.addPoint(guide(QPointF(10, 10)));
    QVERIFY(stroke.isTooCloseToLastGuidePoint(QPointF(10.7, 10.7)));
    QVERIFY(!stroke.isTooCloseToLastGuidePoint(QPointF(10.8, 10.8)));
    // No buffer: nothing to rasterise into.
    QVERIFY(stroke.drawLastSegmentToBuffer().isNull());
}

// Drawn live, a stroke's buffer must show what a redraw from its segments
// shows, or the drawing changes when it is reloaded. Corners append two
// segments in one run; the first of them runs away from the rest of the
// stroke, so it would be missing from a buffer that got only the newest.
void TestSingleStroke::liveBufferMatchesRedrawThroughCorners_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<QPoint>("cornerPixel");
    QTest::addColumn<bool>("pencil");

    const QList<QPointF> zigZag{{20, 40}, {30, 40}, {60, 40}, {40, 80}, {50, 120}};
    QTest::newRow("zig-zag") << zigZag << QPoint(56, 40) << false;
    // The pencil's paper grain must line up between the pieces and the redraw.
    QTest::newRow("zig-zag, pencil") << zigZag << QPoint(56, 40) << true;
    QTest::newRow("hairpin") << QList<QPointF>{{20, 100}, {60, 100}, {120, 100}, {80, 102}}
                             << QPoint(112, 100) << false;
    QTest::newRow("smooth curve")
        << QList<QPointF>{{20, 20}, {40, 22}, {60, 28}, {80, 40}, {95, 60}, {100, 80}}
        << QPoint(-1, -1) << false;
}

void TestSingleStroke::liveBufferMatchesRedrawThroughCorners()
{
    QFETCH(QList<QPointF>, points);
    QFETCH(QPoint, cornerPixel);
    QFETCH(bool, pencil);

    auto stroke = strokeThrough(pencil ? m_pencil : m_brush, points, FrameSize);
    if (cornerPixel.x() >= 0) {
        QVERIFY(kindsOf(*stroke).contains(QLatin1String("LL")));
        QVERIFY2(at(stroke->buffer(), cornerPixel.x(), cornerPixel.y()) > 60,
                 "the corner piece is missing from the live buffer");
    }

    QImage redrawn = blank(FrameSize);
    QCOMPARE(stroke->draw(redrawn, redrawn.rect(), QTransform(), QPoint(), 1.0), redrawn.rect());
    const Difference diff = difference(stroke->buffer(), redrawn);
    QVERIFY(diff.inked > 100);
    // Pieces rendered apart and merged by maximum differ from one render only
    // where multisampled rims overlap.
    QVERIFY2(diff.largest <= 40 && diff.mean < 2.0,
             qPrintable(QStringLiteral("largest %1, mean %2").arg(diff.largest).arg(diff.mean)));
}

void TestSingleStroke::repaintRectangleCoversNewSegmentsAndPen()
{
    SingleStroke stroke(FrameSize, m_pencil);
    stroke.addPoint(guide(QPointF(20, 20)));
    QRect changed = stroke.drawLastSegmentToBuffer();
    QVERIFY(changed.contains(stroke.segments().first()->boundingRect()));

    stroke.addPoint(guide(QPointF(60, 20)));
    changed = stroke.drawLastSegmentToBuffer();
    // The new line, and the pen, which is ahead of the stroke.
    QVERIFY(changed.contains(stroke.segments().last()->boundingRect()));
    QVERIFY(changed.contains(QPoint(60, 20)));

    // Near the frame's edge the rectangle stays inside the buffer.
    stroke.addPoint(guide(QPointF(199, 20)));
    changed = stroke.drawLastSegmentToBuffer();
    QVERIFY(QRect(QPoint(), FrameSize).contains(changed));

    // Nothing new: the same area is reported again, nothing is lost.
    const qint64 ink = total(stroke.buffer());
    QCOMPARE(stroke.drawLastSegmentToBuffer(), changed);
    QCOMPARE(total(stroke.buffer()), ink);
}

void TestSingleStroke::drawOutsideTheRequestedRectDrawsNothing()
{
    auto stroke = strokeThrough(m_pencil, {{20, 20}, {60, 20}});
    QImage target = blank(FrameSize, 7);
    QVERIFY(stroke->draw(target, QRect(100, 100, 50, 50), QTransform(), QPoint(), 1.0).isNull());
    // Moved into the rectangle by the transform, it is drawn there.
    const QRect rect(100, 100, 50, 50);
    QCOMPARE(stroke->draw(target, rect, QTransform::fromTranslate(90, 90), QPoint(), 1.0), rect);
    QVERIFY(at(target, 130, 110) > 100);
    QCOMPARE(at(target, 10, 10), uchar(7)); // outside rect, untouched
    QCOMPARE(at(target, 149, 149), uchar(0)); // inside rect, replaced by the stroke's coverage
}

void TestSingleStroke::dottedLineIsRepaintedByTheNextSegment()
{
    SingleStroke stroke(FrameSize, m_pencil);
    stroke.addPoint(guide(QPointF(20, 20)));
    stroke.addPoint(guide(QPointF(80, 60)));
    QImage canvas(FrameSize, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QRect dotted;
    {
        QPainter painter(&canvas);
        dotted = stroke.drawDottedLineFromLastResultToGuide(&painter, Qt::blue,
                                                            QRect(0, 0, 70, 200), 1.5);
    }
    // From the pen back to the stroke's end, grown by twice the width
    // (truncated), within the clip.
    const QPointF end = stroke.resultPoints().last().position;
    const QRect expected =
        QRectF(QPointF(80, 60), end).normalized().toAlignedRect().adjusted(-3, -3, 3, 3);
    QCOMPARE(dotted, expected & QRect(0, 0, 70, 200));
    int painted = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            if (qAlpha(canvas.pixel(x, y)) == 0)
                continue;
            ++painted;
            QVERIFY(expected.contains(x, y));
        }
    }
    QVERIFY(painted > 10);

    // The next repaint rectangle includes the whole old line, so it is erased.
    stroke.addPoint();
    QVERIFY(stroke.drawLastSegmentToBuffer().contains(expected & canvas.rect()));
}

void TestSingleStroke::clipping_data()
{
    QTest::addColumn<QRectF>("path");
    QTest::addColumn<bool>("inside");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<bool>("reportsRemoval");

    // The stroke runs from (20, 20) to (60, 20); its bounds are about
    // (13, 13) to (67, 27).
    QTest::newRow("inside: path covers it") << QRectF(0, 0, 100, 100) << true << true << true;
    QTest::newRow("inside: path covers part") << QRectF(0, 0, 40, 100) << true << false << false;
    QTest::newRow("inside: path elsewhere") << QRectF(150, 150, 10, 10) << true << false << false;
    QTest::newRow("outside: path covers it") << QRectF(0, 0, 100, 100) << false << false << false;
    QTest::newRow("outside: path covers part") << QRectF(0, 0, 40, 100) << false << false << false;
    QTest::newRow("outside: path far away") << QRectF(150, 150, 10, 10) << false << true << false;
}

void TestSingleStroke::clipping()
{
    QFETCH(QRectF, path);
    QFETCH(bool, inside);
    QFETCH(bool, removed);
    QFETCH(bool, reportsRemoval);

    auto stroke = strokeThrough(m_pencil, {{20, 20}, {60, 20}});
    const QRect bounds = stroke->boundingRect();
    QPainterPath clip;
    clip.addRect(path);
    if (inside) {
        QCOMPARE(stroke->clipInsidePath(clip), reportsRemoval);
        QCOMPARE(stroke->isEmpty(), removed);
        QCOMPARE(stroke->boundingRect(), bounds); // bounds stay
    } else {
        stroke->clipOutsidePath(clip);
        QCOMPARE(stroke->isEmpty(), removed);
        if (removed)
            QCOMPARE(stroke->boundingRect(), QRect(QPoint(-1, -1), QPoint(0, 0)));
    }

    // A path that only touches the bounds keeps the stroke.
    auto touched = strokeThrough(m_pencil, {{20, 20}, {60, 20}});
    const QRectF edge(touched->boundingRect());
    QPainterPath touching;
    touching.addRect(QRectF(edge.left() - 10, edge.top(), 10, edge.height()));
    touched->clipOutsidePath(touching);
    QVERIFY(!touched->isEmpty());
}

void TestSingleStroke::streamRoundTripIsByteStable_data()
{
    QTest::addColumn<int>("tool");
    QTest::newRow("pencil") << 0;
    QTest::newRow("brush") << 1;
    QTest::newRow("vinyl eraser") << 2;
}

void TestSingleStroke::streamRoundTripIsByteStable()
{
    QFETCH(int, tool);
    Model::Tool* tools[] = {m_pencil, m_brush, m_vinyl};
    // A dot, straight pieces, arcs and a corner.
    auto stroke = strokeThrough(tools[tool],
                                {{20, 40}, {30, 40}, {60, 40}, {40, 80}, {45, 100}, {55, 115}, {70, 125}});
    const QString kinds = kindsOf(*stroke);
    QVERIFY2(kinds.contains('A') && kinds.contains(QLatin1String("LL")), qPrintable(kinds));

    const QByteArray first = bytesOf(*stroke);
    SingleStroke read;
    {
        QDataStream in(first);
        prepare(in);
        in >> read;
        QCOMPARE(in.status(), QDataStream::Ok);
        QVERIFY(in.atEnd());
    }
    QCOMPARE(bytesOf(read), first);

    QCOMPARE(kindsOf(read), kinds);
    QCOMPARE(read.isPen(), stroke->isPen());
    QCOMPARE(read.isEraser(), stroke->isEraser());
    QCOMPARE(read.penType(), stroke->penType());
    QCOMPARE(read.eraserType(), stroke->eraserType());
    QCOMPARE(read.boundingRect(), stroke->boundingRect());
    QCOMPARE(read.guidePoints().size(), stroke->guidePoints().size());
    // Not stored: the tool, the smoothing state and the buffer.
    QVERIFY(!read.tool());
    QVERIFY(read.resultPoints().isEmpty());
    QVERIFY(read.buffer().isNull());

    // Read back, it draws what it drew before.
    QImage before = blank(FrameSize);
    QImage after = blank(FrameSize);
    stroke->draw(before, before.rect(), QTransform(), QPoint(), 1.0);
    read.draw(after, after.rect(), QTransform(), QPoint(), 1.0);
    QVERIFY(difference(before, after).largest <= 2);

    // A stroke read from a stream is never built further.
    read.addPoint(guide(QPointF(100, 100)));
    QCOMPARE(kindsOf(read), kinds);
}

void TestSingleStroke::unknownSegmentKindsAreSkipped()
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        out << true << qint32(Model::Tool::Pencil) << QRect(0, 0, 10, 10) << qint32(0);
        out << qint32(3) << qint32(9) << qint32(-4); // two unknown kinds, no data
        Model::Segment::write(out, Model::PointSegment(QPointF(5, 5), 1.0, 2.0));
    }
    QDataStream in(bytes);
    prepare(in);
    SingleStroke read;
    in >> read;
    QCOMPARE(in.status(), QDataStream::Ok);
    QCOMPARE(kindsOf(read), QStringLiteral("P"));
    QCOMPARE(read.penType(), Model::Tool::Pencil);
}

void TestSingleStroke::damagedStreamsFail_data()
{
    QTest::addColumn<QByteArray>("bytes");

    auto make = [](auto&& write) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        prepare(out);
        write(out);
        return bytes;
    };
    QTest::newRow("negative guide count") << make([](QDataStream& out) {
        out << true << qint32(0) << QRect(0, 0, 10, 10) << qint32(-1) << qint32(0);
    });
    QTest::newRow("negative segment count") << make([](QDataStream& out) {
        out << true << qint32(0) << QRect(0, 0, 10, 10) << qint32(0) << qint32(-5);
    });
    QTest::newRow("huge guide count, little data") << make([](QDataStream& out) {
        out << true << qint32(0) << QRect(0, 0, 10, 10) << qint32(0x7fffffff) << QPointF(1, 1)
            << 0.5;
    });
    QTest::newRow("huge segment count, little data") << make([](QDataStream& out) {
        out << true << qint32(0) << QRect(0, 0, 10, 10) << qint32(0) << qint32(0x7fffffff)
            << qint32(0) << QPointF(1, 1) << 1.0 << 1.0;
    });
    QTest::newRow("bounds beyond any drawing") << make([](QDataStream& out) {
        out << true << qint32(0) << QRect(QPoint(-2147483647, 0), QPoint(2147483646, 10))
            << qint32(0) << qint32(0);
    });
    QTest::newRow("non-finite guide point") << make([](QDataStream& out) {
        out << true << qint32(0) << QRect(0, 0, 10, 10) << qint32(1)
            << QPointF(qQNaN(), 1) << 0.5 << qint32(0);
    });
}

void TestSingleStroke::damagedStreamsFail()
{
    QFETCH(QByteArray, bytes);
    QDataStream in(bytes);
    prepare(in);
    SingleStroke read;
    in >> read;
    QVERIFY(in.status() != QDataStream::Ok);
    // Whatever was kept is safe to use.
    QImage target = blank(FrameSize);
    read.draw(target, target.rect(), QTransform(), QPoint(), 1.0);
    read.toPainterPath();
    QVERIFY(read.guidePoints().size() <= 1);
}

void TestSingleStroke::everyTruncationFails()
{
    auto stroke = strokeThrough(m_brush, {{20, 20}, {40, 21}, {60, 26}, {75, 38}, {60, 45}});
    const QByteArray bytes = bytesOf(*stroke);
    for (int length = 0; length < bytes.size(); ++length) {
        QDataStream in(bytes.left(length));
        prepare(in);
        SingleStroke read;
        in >> read;
        QVERIFY2(in.status() != QDataStream::Ok, qPrintable(QString::number(length)));
    }
}

QUILLMERE_TEST_MAIN(TestSingleStroke)
#include "tst_singlestroke.moc"

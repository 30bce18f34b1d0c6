// Geometry, vertex data and stream forms of guide points and segments.
#include "TestSupport.h"

#include "strokes/ArcSegment.h"
#include "strokes/Circle.h"
#include "strokes/LineSegment.h"
#include "strokes/PointSegment.h"
#include "strokes/Stroke.h"

#include <QBuffer>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cmath>
#include <limits>

using SegmentPtr = std::shared_ptr<Model::Segment>;
Q_DECLARE_METATYPE(SegmentPtr)

namespace {

struct Vertices
{
    QList<float> positions;
    QList<float> colours;
    QList<float> types;

    int count() const { return int(positions.size() / 4); }
    QPointF position(int i) const { return QPointF(positions[4 * i], positions[4 * i + 1]); }
    QPointF tangent(int i) const { return QPointF(positions[4 * i + 2], positions[4 * i + 3]); }
    float opacity(int i) const { return colours[2 * i]; }
    float radius(int i) const { return colours[2 * i + 1]; }
    float side(int i) const { return types[3 * i]; }
    QPointF secondTangent(int i) const { return QPointF(types[3 * i + 1], types[3 * i + 2]); }
};

Vertices beginCap(const Model::Segment& s)
{
    Vertices v;
    s.addRoundCapBeginToGLVectors(v.positions, v.colours, v.types);
    return v;
}

Vertices body(const Model::Segment& s)
{
    Vertices v;
    s.addToGLVectors(v.positions, v.colours, v.types);
    return v;
}

Vertices endCap(const Model::Segment& s)
{
    Vertices v;
    s.addRoundCapEndToGLVectors(v.positions, v.colours, v.types);
    return v;
}

bool near(double a, double b, double eps = 1e-4)
{
    return std::abs(a - b) <= eps;
}

bool near(const QPointF& a, const QPointF& b, double eps = 1e-4)
{
    return near(a.x(), b.x(), eps) && near(a.y(), b.y(), eps);
}

QString str(const QPointF& p)
{
    return QStringLiteral("(%1, %2)").arg(p.x(), 0, 'g', 9).arg(p.y(), 0, 'g', 9);
}

// Points on the circle of radius 10 around the origin, by QLineF angle
// (counter-clockwise on screen, y pointing down).
QPointF onCircle(double degrees, double radius = 10.0)
{
    const double a = qDegreesToRadians(degrees);
    return QPointF(radius * std::cos(a), -radius * std::sin(a));
}

QByteArray bytesOf(const Model::Segment& segment, QDataStream::FloatingPointPrecision precision)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setFloatingPointPrecision(precision);
    Model::Segment::write(out, segment);
    return bytes;
}

double triangleArea(const Vertices& v, int first)
{
    const QPointF a = v.position(first);
    const QPointF b = v.position(first + 1);
    const QPointF c = v.position(first + 2);
    return std::abs((b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y())) / 2.0;
}

} // namespace

class TestSegments : public QObject
{
    Q_OBJECT

private slots:
    void circleConstruction_data();
    void circleConstruction();
    void arcSweep_data();
    void arcSweep();
    void boundingRects_data();
    void boundingRects();
    void painterPaths_data();
    void painterPaths();
    void lineBodyVertices_data();
    void lineBodyVertices();
    void discFan();
    void roundCaps_data();
    void roundCaps();
    void arcBodyVertices();
    void arcWithCoincidentEnds();
    void streamForms_data();
    void streamForms();
    void singlePrecisionRoundTrip();
    void guidePointStream();
    void circleStream();
    void unknownKindIsSkipped();
    void truncatedStreamsFailCleanly();
    void implausibleValuesAreRejected_data();
    void implausibleValuesAreRejected();
    void garbageStreamsNeverCrash();
};

void TestSegments::circleConstruction_data()
{
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QPointF>("p2");
    QTest::addColumn<QLineF>("tangent");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<QPointF>("centre");
    QTest::addColumn<double>("radius");

    QTest::newRow("vertical tangent, chord along x")
        << QPointF(0, 0) << QPointF(10, 0) << QLineF(0, 0, 0, 10) << false << QPointF(5, 0) << 5.0;
    QTest::newRow("horizontal tangent, diagonal chord")
        << QPointF(0, 0) << QPointF(10, 10) << QLineF(0, 0, 1, 0) << false << QPointF(0, 10)
        << 10.0;
    // The centre lies on the normal at the tangent's own first point.
    QTest::newRow("tangent starting away from p1")
        << QPointF(0, 0) << QPointF(4, 0) << QLineF(2, -3, 2, -1) << false << QPointF(2, -3)
        << std::sqrt(13.0);
    QTest::newRow("tangent along the chord") << QPointF(0, 0) << QPointF(10, 0)
                                             << QLineF(0, 0, 1, 0) << true << QPointF() << 0.0;
    QTest::newRow("tangent of zero length") << QPointF(0, 0) << QPointF(10, 5)
                                            << QLineF(0, 0, 0, 0) << true << QPointF() << 0.0;
    QTest::newRow("coincident points") << QPointF(3, 3) << QPointF(3, 3) << QLineF(3, 3, 3, 8)
                                       << true << QPointF() << 0.0;
}

void TestSegments::circleConstruction()
{
    QFETCH(QPointF, p1);
    QFETCH(QPointF, p2);
    QFETCH(QLineF, tangent);
    QFETCH(bool, isNull);
    QFETCH(QPointF, centre);
    QFETCH(double, radius);

    const Model::Circle circle(p1, p2, tangent);
    QCOMPARE(circle.isNull(), isNull);
    QVERIFY2(near(circle.centre(), centre, 1e-9), qPrintable(str(circle.centre())));
    QVERIFY2(near(circle.radius(), radius, 1e-9), qPrintable(QString::number(circle.radius())));
}

void TestSegments::arcSweep_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<bool>("clockwise");
    QTest::addColumn<double>("sweep");

    QTest::newRow("ccw 0 to 90") << 0.0 << 90.0 << false << 90.0;
    QTest::newRow("ccw 90 to 0 goes the long way") << 90.0 << 0.0 << false << 270.0;
    QTest::newRow("cw 90 to 0") << 90.0 << 0.0 << true << -90.0;
    QTest::newRow("cw 0 to 90 goes the long way") << 0.0 << 90.0 << true << -270.0;
    QTest::newRow("ccw across 0") << 300.0 << 30.0 << false << 90.0;
    QTest::newRow("ccw coincident") << 45.0 << 45.0 << false << 0.0;
    QTest::newRow("cw coincident") << 45.0 << 45.0 << true << 0.0;
}

void TestSegments::arcSweep()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(bool, clockwise);
    QFETCH(double, sweep);

    const Model::ArcSegment arc(Model::Circle(QPointF(0, 0), 10.0), onCircle(from), onCircle(to),
                                clockwise, 1, 1, 1, 1);
    QVERIFY2(near(arc.sweep(), sweep, 1e-6), qPrintable(QString::number(arc.sweep())));
}

void TestSegments::boundingRects_data()
{
    QTest::addColumn<SegmentPtr>("segment");
    QTest::addColumn<QRect>("bounds");

    const Model::Circle circle(QPointF(0, 0), 10.0);
    // Square of side 2r around (10.5, 20.25): 8.5..12.5 x 18.25..22.25.
    QTest::newRow("point") << SegmentPtr(new Model::PointSegment(QPointF(10.5, 20.25), 1, 2))
                           << QRect(8, 18, 5, 5);
    // Discs (-1,-1)-(1,1) and (8,3)-(12,7) united.
    QTest::newRow("line") << SegmentPtr(new Model::LineSegment(QPointF(0, 0), QPointF(10, 5), 1,
                                                               1, 1, 2))
                          << QRect(-1, -1, 13, 8);
    // Quarter from 0 to 90 degrees: reaches out to the right and the top.
    QTest::newRow("arc ccw 0..90")
        << SegmentPtr(new Model::ArcSegment(circle, onCircle(0), onCircle(90), false, 1, 1, 1, 1))
        << QRect(-1, -11, 12, 12);
    // The same ends clockwise cover 270, 180 and both ends: the full circle.
    QTest::newRow("arc cw 0..90")
        << SegmentPtr(new Model::ArcSegment(circle, onCircle(0), onCircle(90), true, 1, 1, 1, 1))
        << QRect(-11, -11, 22, 22);
    // 45..135 covers only the top; the larger end radius counts.
    // Discs span x -7.571..7.571, y -7.571..-6.571; top moves to -10.5.
    QTest::newRow("arc ccw 45..135")
        << SegmentPtr(new Model::ArcSegment(circle, onCircle(45), onCircle(135), false, 1, 1,
                                            0.25, 0.5))
        << QRect(-8, -11, 16, 5);
}

void TestSegments::boundingRects()
{
    QFETCH(SegmentPtr, segment);
    QFETCH(QRect, bounds);
    QCOMPARE(segment->boundingRect(), bounds);
}

void TestSegments::painterPaths_data()
{
    QTest::addColumn<SegmentPtr>("segment");
    QTest::addColumn<QPointF>("start");
    QTest::addColumn<QPointF>("middle");
    QTest::addColumn<QPointF>("end");

    const Model::Circle circle(QPointF(0, 0), 10.0);
    QTest::newRow("point") << SegmentPtr(new Model::PointSegment(QPointF(3, 4), 1, 2))
                           << QPointF(3, 4) << QPointF(3, 4) << QPointF(3, 4);
    QTest::newRow("line") << SegmentPtr(new Model::LineSegment(QPointF(0, 0), QPointF(10, 4), 1,
                                                               1, 1, 1))
                          << QPointF(0, 0) << QPointF(5, 2) << QPointF(10, 4);
    QTest::newRow("arc ccw") << SegmentPtr(new Model::ArcSegment(circle, onCircle(0),
                                                                 onCircle(90), false, 1, 1, 1, 1))
                             << onCircle(0) << onCircle(45) << onCircle(90);
    QTest::newRow("arc cw") << SegmentPtr(new Model::ArcSegment(circle, onCircle(0), onCircle(90),
                                                                true, 1, 1, 1, 1))
                            << onCircle(0) << onCircle(225) << onCircle(90);
}

void TestSegments::painterPaths()
{
    QFETCH(SegmentPtr, segment);
    QFETCH(QPointF, start);
    QFETCH(QPointF, middle);
    QFETCH(QPointF, end);

    QPainterPath path;
    segment->startPainterPath(path);
    QVERIFY(near(QPointF(path.elementAt(0)), start));
    segment->addToPainterPath(path);
    QVERIFY2(near(path.currentPosition(), end, 1e-3), qPrintable(str(path.currentPosition())));
    QVERIFY2(near(path.pointAtPercent(0.5), middle, 0.05),
             qPrintable(str(path.pointAtPercent(0.5))));
}

void TestSegments::lineBodyVertices_data()
{
    QTest::addColumn<int>("vertex");
    QTest::addColumn<QPointF>("position");
    QTest::addColumn<double>("opacity");
    QTest::addColumn<double>("radius");
    QTest::addColumn<double>("side");

    // LineSegment((1, 2), (4, 6), opacities 0.25 and 0.75, radii 1.5 and 3).
    QTest::newRow("1: p1 left") << 0 << QPointF(1, 2) << 0.25 << 1.5 << 1.0;
    QTest::newRow("2: p1 right") << 1 << QPointF(1, 2) << 0.25 << 1.5 << -1.0;
    QTest::newRow("3: p2 left") << 2 << QPointF(4, 6) << 0.75 << 3.0 << 1.0;
    QTest::newRow("4: p1 right") << 3 << QPointF(1, 2) << 0.25 << 1.5 << -1.0;
    QTest::newRow("5: p2 left") << 4 << QPointF(4, 6) << 0.75 << 3.0 << 1.0;
    QTest::newRow("6: p2 right") << 5 << QPointF(4, 6) << 0.75 << 3.0 << -1.0;
}

void TestSegments::lineBodyVertices()
{
    QFETCH(int, vertex);
    QFETCH(QPointF, position);
    QFETCH(double, opacity);
    QFETCH(double, radius);
    QFETCH(double, side);

    const Model::LineSegment line(QPointF(1, 2), QPointF(4, 6), 0.25, 0.75, 1.5, 3);
    const Vertices v = body(line);
    QCOMPARE(v.count(), 6);
    QCOMPARE(v.colours.size(), 12);
    QCOMPARE(v.types.size(), 18);
    QCOMPARE(v.position(vertex), position);
    QCOMPARE(v.tangent(vertex), QPointF(3, 4));
    QCOMPARE(v.opacity(vertex), float(opacity));
    QCOMPARE(v.radius(vertex), float(radius));
    QCOMPARE(v.side(vertex), float(side));
    QCOMPARE(v.secondTangent(vertex), QPointF(0, 0));
}

void TestSegments::discFan()
{
    const Model::PointSegment dot(QPointF(5, 7), 0.5, 2.0);
    const Vertices v = body(dot);
    QCOMPARE(v.count(), Model::Segment::DiscVertexCount);
    QCOMPARE(v.colours.size(), 600);
    QCOMPARE(v.types.size(), 900);

    for (int i = 0; i < v.count(); ++i) {
        QCOMPARE(v.position(i), QPointF(5, 7));
        QCOMPARE(v.opacity(i), 0.5f);
        QCOMPARE(v.radius(i), 2.0f);
    }
    for (int k = 0; k < 100; ++k) {
        const int c = 3 * k;
        // Centre, then two rim vertices sharing the bisector as second tangent.
        QCOMPARE(v.side(c), 0.0f);
        QCOMPARE(v.tangent(c), QPointF(0, 0));
        QCOMPARE(v.secondTangent(c), QPointF(0, 0));
        QCOMPARE(v.side(c + 1), 0.6f);
        QCOMPARE(v.side(c + 2), 0.6f);
        QVERIFY(near(v.secondTangent(c + 1), (v.tangent(c + 1) + v.tangent(c + 2)) / 2.0));
        QCOMPARE(v.secondTangent(c + 1), v.secondTangent(c + 2));
        // Each rim tangent is the start direction turned, at its length.
        QVERIFY(near(std::hypot(v.tangent(c + 2).x(), v.tangent(c + 2).y()), 2.0));
        if (k > 0)
            QCOMPARE(v.tangent(c + 1), v.tangent(c - 1));
    }
    // The first triangle has no area: both rims point along (radius, 0).
    QCOMPARE(v.tangent(1), QPointF(2, 0));
    QCOMPARE(v.tangent(2), QPointF(2, 0));
    // The second step turns by -360/99 degrees: clockwise on screen.
    QVERIFY2(near(v.tangent(5), QPointF(1.9959734, 0.1268478)), qPrintable(str(v.tangent(5))));
    // The last rim closes the circle.
    QVERIFY(near(v.tangent(299), QPointF(2, 0)));

    // A dot of radius 0 has no start direction: every rim tangent is zero.
    const Vertices empty = body(Model::PointSegment(QPointF(5, 7), 1.0, 0.0));
    QCOMPARE(empty.count(), Model::Segment::DiscVertexCount);
    for (int i = 0; i < empty.count(); ++i)
        QCOMPARE(empty.tangent(i), QPointF(0, 0));
}

void TestSegments::roundCaps_data()
{
    QTest::addColumn<SegmentPtr>("segment");
    QTest::addColumn<int>("beginCount");
    QTest::addColumn<int>("bodyCount");
    QTest::addColumn<int>("endCount");
    QTest::addColumn<QPointF>("beginCentre");
    QTest::addColumn<QPointF>("beginDirection");
    QTest::addColumn<QPointF>("endCentre");
    QTest::addColumn<QPointF>("endDirection");

    QTest::newRow("point: the body is the disc")
        << SegmentPtr(new Model::PointSegment(QPointF(1, 1), 1, 3)) << 0 << 300 << 0 << QPointF()
        << QPointF() << QPointF() << QPointF();
    QTest::newRow("line: discs start along p2 - p1")
        << SegmentPtr(new Model::LineSegment(QPointF(1, 2), QPointF(4, 6), 1, 1, 2, 3)) << 300
        << 6 << 300 << QPointF(1, 2) << QPointF(3, 4) << QPointF(4, 6) << QPointF(3, 4);
    // Counter-clockwise from (10, 0) to (0, -10): tangent (dy, -dx).
    QTest::newRow("arc: discs start along the arc's tangent")
        << SegmentPtr(new Model::ArcSegment(Model::Circle(QPointF(0, 0), 10), QPointF(10, 0),
                                            QPointF(0, -10), false, 1, 1, 2, 3))
        << 300 << 66 << 300 << QPointF(10, 0) << QPointF(0, -10) << QPointF(0, -10)
        << QPointF(-10, 0);
}

void TestSegments::roundCaps()
{
    QFETCH(SegmentPtr, segment);
    QFETCH(int, beginCount);
    QFETCH(int, bodyCount);
    QFETCH(int, endCount);
    QFETCH(QPointF, beginCentre);
    QFETCH(QPointF, beginDirection);
    QFETCH(QPointF, endCentre);
    QFETCH(QPointF, endDirection);

    const Vertices begin = beginCap(*segment);
    const Vertices middle = body(*segment);
    const Vertices end = endCap(*segment);
    QCOMPARE(begin.count(), beginCount);
    QCOMPARE(middle.count(), bodyCount);
    QCOMPARE(end.count(), endCount);
    if (beginCount > 0) {
        QCOMPARE(begin.position(0), beginCentre);
        QVERIFY2(near(begin.tangent(1), beginDirection), qPrintable(str(begin.tangent(1))));
    }
    if (endCount > 0) {
        QVERIFY(near(end.position(0), endCentre));
        QVERIFY2(near(end.tangent(1), endDirection), qPrintable(str(end.tangent(1))));
    }

    // A stroke appends cap, body and cap to the same lists.
    QList<float> positions, colours, types;
    segment->addRoundCapBeginToGLVectors(positions, colours, types);
    segment->addToGLVectors(positions, colours, types);
    segment->addRoundCapEndToGLVectors(positions, colours, types);
    const int total = beginCount + bodyCount + endCount;
    QCOMPARE(positions.size(), 4 * total);
    QCOMPARE(colours.size(), 2 * total);
    QCOMPARE(types.size(), 3 * total);
}

void TestSegments::arcBodyVertices()
{
    // A quarter counter-clockwise from (10, 0) to (0, -10), opacity 0.2 to
    // 0.8, radius 1 to 3: samples every 9 degrees.
    const Model::ArcSegment arc(Model::Circle(QPointF(0, 0), 10), QPointF(10, 0), QPointF(0, -10),
                                false, 0.2, 0.8, 1.0, 3.0);
    const Vertices v = body(arc);
    QCOMPARE(v.count(), 66);

    const float sides[6] = {1, -1, 1, -1, 1, -1};
    for (int k = 0; k <= 10; ++k) {
        const int q = 6 * k;
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(v.side(q + i), sides[i]);
            QCOMPARE(v.secondTangent(q + i), QPointF(0, 0));
        }
        // Vertices 3, 5, 6 of each quad are the new sample Q.
        const QPointF expected = onCircle(9.0 * k);
        const QPointF tangent(expected.y(), -expected.x());
        for (int i : {2, 4, 5}) {
            QVERIFY2(near(v.position(q + i), expected), qPrintable(str(v.position(q + i))));
            QVERIFY2(near(v.tangent(q + i), tangent), qPrintable(str(v.tangent(q + i))));
            QVERIFY(near(v.opacity(q + i), 0.2 + 0.06 * k));
            QVERIFY(near(v.radius(q + i), 1.0 + 0.2 * k));
        }
        // Vertices 1, 2, 4 are the previous sample P.
        const QPointF previous = k == 0 ? QPointF(10, 0) : onCircle(9.0 * (k - 1));
        for (int i : {0, 1, 3})
            QVERIFY(near(v.position(q + i), previous));
    }
    // The first quad has no area; it is emitted all the same.
    QVERIFY(triangleArea(v, 0) < 1e-9);
    QVERIFY(near(v.position(2), QPointF(10, 0)));

    // Clockwise the tangent is (-dy, dx): along the way, the other way round.
    const Model::ArcSegment clockwise(Model::Circle(QPointF(0, 0), 10), QPointF(10, 0),
                                      QPointF(0, -10), true, 1, 1, 1, 1);
    const Vertices c = body(clockwise);
    QVERIFY2(near(c.position(6 * 5 + 2), onCircle(-135)), qPrintable(str(c.position(32))));
    QVERIFY(near(c.tangent(0), QPointF(0, 10)));
}

void TestSegments::arcWithCoincidentEnds()
{
    const QPointF end = onCircle(30);
    for (bool clockwise : {false, true}) {
        const Model::ArcSegment arc(Model::Circle(QPointF(0, 0), 10), end, end, clockwise, 1, 1,
                                    2, 2);
        QCOMPARE(arc.sweep(), 0.0);
        const Vertices v = body(arc);
        QCOMPARE(v.count(), 66);
        for (int i = 0; i < v.count(); ++i)
            QVERIFY(near(v.position(i), end));
        QCOMPARE(beginCap(arc).count(), 300);
        QCOMPARE(endCap(arc).count(), 300);
    }
}

void TestSegments::streamForms_data()
{
    QTest::addColumn<SegmentPtr>("segment");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<double>>("fields");
    QTest::addColumn<int>("boolField");
    QTest::addColumn<bool>("boolValue");
    QTest::addColumn<int>("doubleSize");
    QTest::addColumn<int>("singleSize");

    // Sizes include the int32 kind code; the arc's bool is one byte.
    QTest::newRow("point") << SegmentPtr(new Model::PointSegment(QPointF(1.5, -2.25), 0.7, 3.1))
                           << 0 << QList<double>{1.5, -2.25, 0.7, 3.1} << -1 << false
                           << 4 + 4 * 8 << 4 + 4 * 4;
    QTest::newRow("line") << SegmentPtr(new Model::LineSegment(QPointF(1, 2), QPointF(3.5, 4),
                                                               0.1, 0.9, 0.3, 12.5))
                          << 1 << QList<double>{1, 2, 3.5, 4, 0.1, 0.9, 0.3, 12.5} << -1 << false
                          << 4 + 8 * 8 << 4 + 8 * 4;
    QTest::newRow("arc") << SegmentPtr(new Model::ArcSegment(Model::Circle(QPointF(7, 8), 9.5),
                                                             QPointF(1, 2), QPointF(3, 4), true,
                                                             0.2, 0.4, 1.25, 2.5))
                         << 2 << QList<double>{7, 8, 9.5, 1, 2, 3, 4, 0.2, 0.4, 1.25, 2.5} << 7
                         << true << 4 + 11 * 8 + 1 << 4 + 11 * 4 + 1;
}

void TestSegments::streamForms()
{
    QFETCH(SegmentPtr, segment);
    QFETCH(int, kind);
    QFETCH(QList<double>, fields);
    QFETCH(int, boolField);
    QFETCH(bool, boolValue);
    QFETCH(int, doubleSize);
    QFETCH(int, singleSize);

    const QByteArray bytes = bytesOf(*segment, QDataStream::DoublePrecision);
    QCOMPARE(bytes.size(), doubleSize);
    QCOMPARE(bytesOf(*segment, QDataStream::SinglePrecision).size(), singleSize);

    // Field order, read back by hand.
    QDataStream in(bytes);
    qint32 code = -1;
    in >> code;
    QCOMPARE(code, kind);
    for (int i = 0; i < fields.size(); ++i) {
        if (i == boolField) {
            bool flag = !boolValue;
            in >> flag;
            QCOMPARE(flag, boolValue);
        }
        double value = 0;
        in >> value;
        QCOMPARE(value, fields[i]);
    }
    QVERIFY(in.atEnd());

    // Round trip through the reader.
    QDataStream again(bytes);
    const SegmentPtr copy = Model::Segment::read(again);
    QVERIFY(copy);
    QCOMPARE(again.status(), QDataStream::Ok);
    QVERIFY(again.atEnd());
    QCOMPARE(copy->type(), kind);
    QCOMPARE(bytesOf(*copy, QDataStream::DoublePrecision), bytes);
    QCOMPARE(copy->boundingRect(), segment->boundingRect());

    // The stream operators carry the form without the kind code.
    QByteArray plain;
    {
        QDataStream out(&plain, QIODevice::WriteOnly);
        out << *segment;
    }
    QCOMPARE(plain, bytes.mid(4));
    const SegmentPtr blank = Model::Segment::create(kind);
    QDataStream plainIn(plain);
    plainIn >> *blank;
    QCOMPARE(bytesOf(*blank, QDataStream::DoublePrecision), bytes);
}

void TestSegments::singlePrecisionRoundTrip()
{
    // In single precision every value comes back as the nearest float.
    const Model::LineSegment line(QPointF(0.1, 1.0 / 3.0), QPointF(1e4 + 0.3, -2.7), 0.123456789,
                                  1.0, 0.5, 7.000001);
    QByteArray bytes = bytesOf(line, QDataStream::SinglePrecision);
    QDataStream in(bytes);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    const SegmentPtr copy = Model::Segment::read(in);
    QVERIFY(copy);
    const auto* read = dynamic_cast<const Model::LineSegment*>(copy.get());
    QVERIFY(read);
    QCOMPARE(read->p1(), QPointF(double(0.1f), double(float(1.0 / 3.0))));
    QCOMPARE(read->p2(), QPointF(double(float(1e4 + 0.3)), double(-2.7f)));
    QCOMPARE(read->opacity1(), double(0.123456789f));
    QCOMPARE(read->opacity2(), 1.0);
    QCOMPARE(read->radius1(), 0.5);
    QCOMPARE(read->radius2(), double(7.000001f));
}

void TestSegments::guidePointStream()
{
    Model::Stroke::GuidePoint point;
    point.position = QPointF(12.5, -3.25);
    point.pressure = 0.625;
    point.time = 123456789;

    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << point;
    }
    QCOMPARE(bytes.size(), 3 * 8); // position and pressure; no time

    Model::Stroke::GuidePoint read;
    read.time = 99;
    QDataStream in(bytes);
    in >> read;
    QCOMPARE(in.status(), QDataStream::Ok);
    QCOMPARE(read.position, point.position);
    QCOMPARE(read.pressure, point.pressure);
    QCOMPARE(read.time, quint64(0));

    // Half a point: the read fails and leaves a zeroed point.
    QDataStream shortIn(bytes.left(12));
    Model::Stroke::GuidePoint partial{QPointF(1, 1), 1.0, 5};
    shortIn >> partial;
    QCOMPARE(shortIn.status(), QDataStream::ReadPastEnd);
    QCOMPARE(partial.position, QPointF());
    QCOMPARE(partial.pressure, 0.0);
}

void TestSegments::circleStream()
{
    const Model::Circle circle(QPointF(-4.5, 6), 2.75);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << circle;
    }
    QCOMPARE(bytes.size(), 3 * 8);
    Model::Circle read;
    QDataStream in(bytes);
    in >> read;
    QCOMPARE(read, circle);
}

void TestSegments::unknownKindIsSkipped()
{
    const Model::PointSegment dot(QPointF(4, 5), 1, 2);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << qint32(7);
        Model::Segment::write(out, dot);
        out << qint32(-1);
    }
    QDataStream in(bytes);
    // The unknown code is consumed and nothing after it.
    QVERIFY(!Model::Segment::read(in));
    QCOMPARE(in.status(), QDataStream::Ok);
    QCOMPARE(in.device()->pos(), qint64(4));
    const SegmentPtr next = Model::Segment::read(in);
    QVERIFY(next);
    QCOMPARE(next->type(), int(Model::Segment::Point));
    QVERIFY(!Model::Segment::read(in));
    QCOMPARE(in.status(), QDataStream::Ok);
    QVERIFY(in.atEnd());
    // At the end the reader fails instead of making something up.
    QVERIFY(!Model::Segment::read(in));
    QCOMPARE(in.status(), QDataStream::ReadPastEnd);
}

void TestSegments::truncatedStreamsFailCleanly()
{
    const Model::ArcSegment arc(Model::Circle(QPointF(7, 8), 9.5), QPointF(1, 2), QPointF(3, 4),
                                true, 0.2, 0.4, 1.25, 2.5);
    const Model::LineSegment line(QPointF(1, 2), QPointF(3, 4), 1, 1, 2, 2);
    const Model::PointSegment dot(QPointF(1, 2), 1, 2);
    for (const Model::Segment* segment : {static_cast<const Model::Segment*>(&arc),
                                          static_cast<const Model::Segment*>(&line),
                                          static_cast<const Model::Segment*>(&dot)}) {
        const QByteArray bytes = bytesOf(*segment, QDataStream::DoublePrecision);
        for (int length = 0; length < bytes.size(); ++length) {
            QDataStream in(bytes.left(length));
            QVERIFY(!Model::Segment::read(in));
            QVERIFY2(in.status() != QDataStream::Ok, qPrintable(QString::number(length)));
        }
    }
}

void TestSegments::implausibleValuesAreRejected_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("field");
    QTest::addColumn<double>("value");

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("point x NaN") << 0 << 0 << nan;
    QTest::newRow("point radius infinite") << 0 << 3 << inf;
    QTest::newRow("point opacity NaN") << 0 << 2 << nan;
    QTest::newRow("point radius negative") << 0 << 3 << -2.0;
    QTest::newRow("line p2 y huge") << 1 << 3 << 1e300;
    QTest::newRow("line radius2 beyond the range") << 1 << 7 << 2e7;
    QTest::newRow("arc circle radius NaN") << 2 << 2 << nan;
    QTest::newRow("arc centre -infinite") << 2 << 0 << -inf;
    QTest::newRow("arc radius1 huge") << 2 << 9 << 1e30;
}

void TestSegments::implausibleValuesAreRejected()
{
    QFETCH(int, kind);
    QFETCH(int, field);
    QFETCH(double, value);

    // The stream form of each kind as plain doubles (and the arc's bool).
    const int fieldCount = kind == 0 ? 4 : kind == 1 ? 8 : 11;
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << qint32(kind);
        for (int i = 0; i < fieldCount; ++i) {
            if (kind == 2 && i == 7)
                out << false;
            out << (i == field ? value : 1.0 + i);
        }
    }
    QDataStream in(bytes);
    QVERIFY(!Model::Segment::read(in));
    QCOMPARE(in.status(), QDataStream::ReadCorruptData);

    // Through the plain operator the segment is left zeroed.
    QDataStream plain(bytes.mid(4));
    const SegmentPtr segment = Model::Segment::create(kind);
    plain >> *segment;
    QCOMPARE(plain.status(), QDataStream::ReadCorruptData);
    QCOMPARE(bytesOf(*segment, QDataStream::DoublePrecision),
             bytesOf(*Model::Segment::create(kind), QDataStream::DoublePrecision));
}

void TestSegments::garbageStreamsNeverCrash()
{
    // Random bytes, and valid streams with random bytes flipped: whatever
    // the reader accepts must be usable without harm.
    QRandomGenerator random(20240611);
    const Model::ArcSegment arc(Model::Circle(QPointF(7, 8), 9.5), QPointF(1, 2), QPointF(3, 4),
                                true, 0.2, 0.4, 1.25, 2.5);
    int accepted = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) {
            bytes.resize(64 + random.bounded(512));
            for (char& c : bytes)
                c = char(random.bounded(256));
            // Keep some kind codes valid so that segment bodies get read.
            for (int i = 0; i + 4 <= bytes.size(); i += 37) {
                bytes[i] = bytes[i + 1] = bytes[i + 2] = 0;
                bytes[i + 3] = char(random.bounded(4));
            }
        } else {
            for (int i = 0; i < 4; ++i)
                bytes += bytesOf(arc, QDataStream::DoublePrecision);
            for (int flips = 0; flips < 6; ++flips)
                bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        }
        QDataStream in(bytes);
        for (int guard = 0; guard < 10000 && in.status() == QDataStream::Ok && !in.atEnd();
             ++guard) {
            const SegmentPtr segment = Model::Segment::read(in);
            if (!segment)
                continue;
            ++accepted;
            const QRect bounds = segment->boundingRect();
            QVERIFY(std::abs(qint64(bounds.left())) < 100000000);
            QVERIFY(std::abs(qint64(bounds.bottom())) < 100000000);
            const Vertices v = [&] {
                Vertices all;
                segment->addRoundCapBeginToGLVectors(all.positions, all.colours, all.types);
                segment->addToGLVectors(all.positions, all.colours, all.types);
                segment->addRoundCapEndToGLVectors(all.positions, all.colours, all.types);
                return all;
            }();
            QCOMPARE(v.colours.size() * 2, v.positions.size());
            QPainterPath path;
            segment->startPainterPath(path);
            segment->addToPainterPath(path);
        }
        QVERIFY(in.status() != QDataStream::Ok || in.atEnd());
    }
    QVERIFY(accepted > 0);
}

QUILLMERE_TEST_MAIN(TestSegments)
#include "tst_segments.moc"

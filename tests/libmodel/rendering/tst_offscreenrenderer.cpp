// Real rasterisation of segments by the off-screen renderer (software GL
// under a real X server in the test suite).
#include "TestSupport.h"

#include "rendering/OffscreenRenderer.h"
#include "strokes/ArcSegment.h"
#include "strokes/Blending.h"
#include "strokes/LineSegment.h"
#include "strokes/PointSegment.h"
#include "strokes/SingleStroke.h"
#include "tools/PenTool.h"

#include <QLineF>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

using Model::OffscreenRenderer;

namespace {

const QSize FrameSize(400, 300);

// Curve numbers as the renderer counts them: pens 0..2, erasers 3..5.
enum Curve { Pencil, Marker, Brush, Kneaded, Rubber, Vinyl };

struct Geometry
{
    QList<float> positions;
    QList<float> colours;
    QList<float> types;

    Geometry& operator<<(const Model::Segment& segment)
    {
        segment.addRoundCapBeginToGLVectors(positions, colours, types);
        segment.addToGLVectors(positions, colours, types);
        segment.addRoundCapEndToGLVectors(positions, colours, types);
        return *this;
    }
};

QImage blank(const QSize& size = FrameSize, uchar value = 0)
{
    QImage image(size, QImage::Format_Alpha8);
    image.fill(QColor(0, 0, 0, value));
    return image;
}

void renderInto(QImage& target, const Geometry& geometry, int curve, const QRect& rect,
                const QTransform& transform = QTransform(), const QPoint& offset = QPoint())
{
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    if (curve < 3)
        renderer->renderPenStroke(target, Model::Tool::PenType(curve), offset, 1.0f, rect,
                                  transform, geometry.positions, geometry.colours,
                                  geometry.types);
    else
        renderer->renderEraserStroke(target, Model::Tool::EraserType(curve - 3), offset, 1.0f,
                                     rect, transform, geometry.positions, geometry.colours,
                                     geometry.types);
}

QImage render(const Geometry& geometry, int curve, const QTransform& transform = QTransform())
{
    QImage image = blank();
    renderInto(image, geometry, curve, image.rect(), transform);
    return image;
}

uchar at(const QImage& image, int x, int y)
{
    return image.constScanLine(y)[x];
}

qint64 total(const QImage& image)
{
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += at(image, x, y);
    return sum;
}

int maximum(const QImage& image)
{
    int m = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            m = std::max(m, int(at(image, x, y)));
    return m;
}

// The default pen's pressure mapping: opacity p, radius 0.5 + 4.5 (100^p - 1) / 99.
double opacityFor(double pressure)
{
    return pressure;
}

double radiusFor(double pressure)
{
    return 0.5 + 4.5 * (std::pow(100.0, pressure) - 1.0) / 99.0;
}

// Distance from a point to the centre line of a segment of constant radius,
// as an oracle independent of the renderer.
double distanceToCentreLine(const Model::Segment& segment, const QPointF& q)
{
    auto length = [](const QPointF& v) { return std::hypot(v.x(), v.y()); };
    if (const auto* dot = dynamic_cast<const Model::PointSegment*>(&segment))
        return length(q - dot->position());
    if (const auto* line = dynamic_cast<const Model::LineSegment*>(&segment)) {
        const QPointF d = line->p2() - line->p1();
        const double t = std::clamp(QPointF::dotProduct(q - line->p1(), d)
                                        / QPointF::dotProduct(d, d),
                                    0.0, 1.0);
        return length(q - (line->p1() + t * d));
    }
    const auto& arc = dynamic_cast<const Model::ArcSegment&>(segment);
    const QPointF centre = arc.circle().centre();
    // Within the arc's span of angles the nearest point is on the arc.
    double along = QLineF(centre, q).angle() - arc.startAngle();
    if (arc.sweep() < 0)
        along = -along;
    along = std::fmod(along + 720.0, 360.0);
    const double toEnds = std::min(length(q - arc.p1()), length(q - arc.p2()));
    if (along <= std::abs(arc.sweep()))
        return std::min(std::abs(length(q - centre) - arc.circle().radius()), toEnds);
    return toEnds;
}

// A round cap as it was always built: a line from the centre turned step by
// step with QLineF::setAngle, each step taking its sine, cosine and length
// afresh. turnError adds to every step's angle (degrees), to show that the
// comparison sees a fan turned by that much.
void addSteppedDisc(const QPointF& centre, double opacity, double radius, const QPointF& start,
                    Geometry& g, double turnError = 0.0)
{
    QLineF line(centre, centre + start);
    const double startAngle = line.angle();
    QPointF previous = start;
    for (int k = 0; k < 100; ++k) {
        line.setAngle(startAngle - 360.0 * k / 99.0 + (k > 0 ? turnError : 0.0));
        const QPointF current = line.p2() - centre;
        const QPointF middle = (previous + current) / 2.0;
        const QPointF rims[3][2] = {{QPointF(), QPointF()}, {previous, middle}, {current, middle}};
        for (int v = 0; v < 3; ++v) {
            g.positions << float(centre.x()) << float(centre.y()) << float(rims[v][0].x())
                        << float(rims[v][0].y());
            g.colours << float(opacity) << float(radius);
            g.types << (v == 0 ? 0.0f : 0.6f) << float(rims[v][1].x()) << float(rims[v][1].y());
        }
        previous = current;
    }
}

// A stroke's vertices with every round cap built the stepwise way: the
// triangles the renderer was always given.
Geometry steppedGeometry(const Model::SingleStroke& stroke, double turnError = 0.0)
{
    Geometry g;
    for (const auto& segment : stroke.segments()) {
        if (const auto* dot = dynamic_cast<const Model::PointSegment*>(segment.get())) {
            addSteppedDisc(dot->position(), dot->opacity(), dot->radius(),
                           QPointF(dot->radius(), 0.0), g, turnError);
        } else if (const auto* line = dynamic_cast<const Model::LineSegment*>(segment.get())) {
            const QPointF along = line->p2() - line->p1();
            addSteppedDisc(line->p1(), line->opacity1(), line->radius1(), along, g, turnError);
            segment->addToGLVectors(g.positions, g.colours, g.types);
            addSteppedDisc(line->p2(), line->opacity2(), line->radius2(), along, g, turnError);
        } else if (const auto* arc = dynamic_cast<const Model::ArcSegment*>(segment.get())) {
            addSteppedDisc(arc->p1(), arc->opacity1(), arc->radius1(), arc->tangentAt(arc->p1()),
                           g, turnError);
            segment->addToGLVectors(g.positions, g.colours, g.types);
            addSteppedDisc(arc->p2(), arc->opacity2(), arc->radius2(), arc->tangentAt(arc->p2()),
                           g, turnError);
        }
    }
    return g;
}

// A wandering pen stroke of 150 guide points with the pressure rising and
// falling, different for every seed, within the test frame.
std::unique_ptr<Model::SingleStroke> wanderingStroke(Model::Tool* pen, quint32 seed)
{
    QRandomGenerator random(seed);
    auto stroke = std::make_unique<Model::SingleStroke>(pen);
    QPointF position(100 + random.bounded(200), 80 + random.bounded(140));
    double heading = random.bounded(2.0 * M_PI);
    for (int i = 0; i < 150; ++i) {
        Model::Stroke::GuidePoint guide;
        guide.position = position;
        guide.pressure = 0.1 + 0.85 * std::abs(std::sin(i * 0.07 + seed));
        stroke->addPoint(std::move(guide));
        heading += random.bounded(0.9) - 0.45;
        const QPointF middle(200, 150);
        if (QLineF(position, middle).length() > 120)
            heading = std::atan2(middle.y() - position.y(), middle.x() - position.x());
        position += QPointF(std::cos(heading), std::sin(heading)) * (2.0 + random.bounded(7.0));
    }
    stroke->addEndPoint();
    return stroke;
}

} // namespace

using SegmentPtr = std::shared_ptr<Model::Segment>;
Q_DECLARE_METATYPE(SegmentPtr)

class TestOffscreenRenderer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void coverageStaysInsideTheSegment_data();
    void coverageStaysInsideTheSegment();
    void overlapsCombineByMaximum_data();
    void overlapsCombineByMaximum();
    void pressureRaisesCoverage_data();
    void pressureRaisesCoverage();
    void eraserRemovesCoverage_data();
    void eraserRemovesCoverage();
    void curvesGiveDistinctProfiles();
    void mirroredTransformDrawsTheMirroredStroke();
    void onlyTheRequestedRectIsWritten_data();
    void onlyTheRequestedRectIsWritten();
    void shortListsAreNotOverrun();
    void tiledTargetHasNoSeams_data();
    void tiledTargetHasNoSeams();
    void preparedBuffersAreMadeWhenFirstNeeded();
    void aRendererStartedInTheBackgroundDrawsTheSame();
    void resourcesAreShipped();
    void strokesRenderAsWithSteppedCaps_data();
    void strokesRenderAsWithSteppedCaps();
};

void TestOffscreenRenderer::initTestCase()
{
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    QCOMPARE(OffscreenRenderer::instance(), renderer);
    QVERIFY(renderer->initialize(FrameSize));
    QVERIFY(renderer->isInitialized());
    QCOMPARE(renderer->currentFBOSize(), FrameSize);
}

void TestOffscreenRenderer::cleanup()
{
    // Tests that limit the frame buffers put everything back.
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    if (renderer->currentFBOSize() != FrameSize
        || renderer->testHooks().maximumFramebufferSize.isValid()) {
        renderer->setTestHooks(OffscreenRenderer::TestHooks());
        QVERIFY(renderer->resizeFBOs(FrameSize));
    }
}

void TestOffscreenRenderer::coverageStaysInsideTheSegment_data()
{
    QTest::addColumn<SegmentPtr>("segment");
    QTest::addColumn<double>("radius");
    QTest::addColumn<int>("curve");

    const SegmentPtr dot(new Model::PointSegment(QPointF(200.3, 150.6), 1.0, 12.0));
    const SegmentPtr line(
        new Model::LineSegment(QPointF(60.5, 80.25), QPointF(330, 210), 1.0, 1.0, 9.0, 9.0));
    const SegmentPtr arc(new Model::ArcSegment(Model::Circle(QPointF(200, 150), 90),
                                               QPointF(290, 150), QPointF(200, 60), false, 1.0,
                                               1.0, 14.0, 14.0));
    // Arcs of a quarter turn at most: the body follows the arc in ten straight
    // steps, which stay within a third of a pixel of the circle here.
    const SegmentPtr clockwiseArc(new Model::ArcSegment(Model::Circle(QPointF(200, 150), 90),
                                                        QPointF(200, 60), QPointF(290, 150), true,
                                                        1.0, 1.0, 6.0, 6.0));
    const SegmentPtr thin(
        new Model::LineSegment(QPointF(40, 260), QPointF(360, 240), 1.0, 1.0, 2.5, 2.5));
    for (int curve : {Pencil, Marker, Brush, Kneaded}) {
        const QByteArray name = QByteArray::number(curve);
        QTest::newRow("dot, curve " + name) << dot << 12.0 << curve;
        QTest::newRow("line, curve " + name) << line << 9.0 << curve;
        QTest::newRow("arc, curve " + name) << arc << 14.0 << curve;
        QTest::newRow("clockwise arc, curve " + name) << clockwiseArc << 6.0 << curve;
        QTest::newRow("thin line, curve " + name) << thin << 2.5 << curve;
    }
}

void TestOffscreenRenderer::coverageStaysInsideTheSegment()
{
    QFETCH(SegmentPtr, segment);
    QFETCH(double, radius);
    QFETCH(int, curve);

    Geometry geometry;
    geometry << *segment;
    const QImage image = render(geometry, curve);

    // Nothing outside the bounding rectangle grown by the feather, nothing
    // farther than the radius and a pixel from the centre line, and ink all
    // over the inside.
    const QRect bound = segment->boundingRect().adjusted(-1, -1, 1, 1);
    int insidePixels = 0;
    int inkedInside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const uchar value = at(image, x, y);
            const double distance = distanceToCentreLine(*segment, QPointF(x + 0.5, y + 0.5));
            if (value > 0) {
                QVERIFY2(bound.contains(x, y),
                         qPrintable(QStringLiteral("ink at %1,%2 outside %3,%4 %5x%6")
                                        .arg(x).arg(y).arg(bound.x()).arg(bound.y())
                                        .arg(bound.width()).arg(bound.height())));
                QVERIFY2(distance <= radius + 1.0,
                         qPrintable(QStringLiteral("ink %1 at %2,%3, %4 from the centre line")
                                        .arg(value).arg(x).arg(y).arg(distance)));
            }
            if (distance < radius - 1.5) {
                ++insidePixels;
                inkedInside += value > 0 ? 1 : 0;
            }
        }
    }
    QVERIFY(insidePixels > 0);
    // The pencil's paper grain may leave a few pits; everything else is solid.
    if (curve == Pencil)
        QVERIFY2(inkedInside > insidePixels * 9 / 10,
                 qPrintable(QStringLiteral("%1 of %2").arg(inkedInside).arg(insidePixels)));
    else
        QCOMPARE(inkedInside, insidePixels);
}

void TestOffscreenRenderer::overlapsCombineByMaximum_data()
{
    QTest::addColumn<int>("curve");
    QTest::newRow("pencil") << int(Pencil);
    QTest::newRow("marker") << int(Marker);
    QTest::newRow("brush") << int(Brush);
    QTest::newRow("vinyl eraser") << int(Vinyl);
}

void TestOffscreenRenderer::overlapsCombineByMaximum()
{
    QFETCH(int, curve);

    // Two half-opaque dots overlapping by half, and a line whose own caps
    // overlap its body.
    const Model::PointSegment left(QPointF(170, 120), 0.5, 40);
    const Model::PointSegment right(QPointF(215, 130), 0.5, 40);
    const Model::LineSegment line(QPointF(60, 240), QPointF(330, 250), 0.5, 0.5, 20, 20);

    Geometry leftOnly, rightOnly, lineOnly, together;
    leftOnly << left;
    rightOnly << right;
    lineOnly << line;
    together << left << right << line;

    const QImage a = render(leftOnly, curve);
    const QImage b = render(rightOnly, curve);
    const QImage c = render(lineOnly, curve);
    const QImage all = render(together, curve);

    // Every pixel is the maximum of what each piece gives alone.
    for (int y = 0; y < all.height(); ++y)
        for (int x = 0; x < all.width(); ++x)
            QVERIFY2(at(all, x, y) == std::max({at(a, x, y), at(b, x, y), at(c, x, y)}),
                     qPrintable(QStringLiteral("%1,%2: %3 vs %4, %5, %6")
                                    .arg(x).arg(y).arg(at(all, x, y)).arg(at(a, x, y))
                                    .arg(at(b, x, y)).arg(at(c, x, y))));

    // Half opacity never adds up to more than half ink, overlap or not.
    QVERIFY(maximum(all) <= 128);
    QVERIFY(maximum(a) >= 100 || curve == Pencil);
    QVERIFY(at(all, 192, 125) > 0);
}

void TestOffscreenRenderer::pressureRaisesCoverage_data()
{
    QTest::addColumn<int>("curve");
    QTest::newRow("pencil") << int(Pencil);
    QTest::newRow("marker") << int(Marker);
    QTest::newRow("brush") << int(Brush);
}

void TestOffscreenRenderer::pressureRaisesCoverage()
{
    QFETCH(int, curve);

    QImage previous;
    qint64 previousTotal = -1;
    for (int step = 1; step <= 10; ++step) {
        const double pressure = step / 10.0;
        Geometry geometry;
        geometry << Model::LineSegment(QPointF(50, 150), QPointF(350, 160), opacityFor(pressure),
                                       opacityFor(pressure), radiusFor(pressure),
                                       radiusFor(pressure));
        const QImage image = render(geometry, curve);
        const qint64 sum = total(image);
        QVERIFY2(sum > previousTotal, qPrintable(QStringLiteral("pressure %1: %2 after %3")
                                                     .arg(pressure).arg(sum).arg(previousTotal)));
        // Per pixel too, allowing a level for rounding (the curve texture's
        // level of detail shifts a little with the radius), as long as the
        // same profile applies: up to a radius of one pixel the shader draws
        // a hairline of even softness, above it the curve across the stroke,
        // and the pencil's curve is far thinner at the edge than its
        // hairline.
        const bool sameProfile = (radiusFor(pressure) <= 1.0) == (radiusFor(pressure - 0.1) <= 1.0);
        if (!previous.isNull() && sameProfile) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    QVERIFY2(at(image, x, y) + 1 >= at(previous, x, y),
                             qPrintable(QStringLiteral("pressure %1 at %2,%3: %4 below %5")
                                            .arg(pressure).arg(x).arg(y).arg(at(image, x, y))
                                            .arg(at(previous, x, y))));
        }
        previous = image;
        previousTotal = sum;
    }
}

void TestOffscreenRenderer::eraserRemovesCoverage_data()
{
    QTest::addColumn<int>("curve");
    QTest::newRow("kneaded") << int(Kneaded);
    QTest::newRow("rubber") << int(Rubber);
    QTest::newRow("vinyl") << int(Vinyl);
}

void TestOffscreenRenderer::eraserRemovesCoverage()
{
    QFETCH(int, curve);

    // A horizontal marker line, crossed by a vertical eraser stroke; the
    // eraser's coverage is taken away from the buffer through the eraser
    // table, as a stroke drawing does.
    Geometry pen;
    pen << Model::LineSegment(QPointF(40, 150), QPointF(360, 150), 1.0, 1.0, 25, 25);
    QImage buffer = render(pen, Marker);
    const QImage before = buffer;

    Geometry eraser;
    eraser << Model::LineSegment(QPointF(200, 40), QPointF(200, 260), 1.0, 1.0, 30, 30);
    const QImage erased = render(eraser, curve);
    QVERIFY(at(erased, 200, 150) >= 250);
    Model::Blending::blendImages(buffer, erased, buffer.rect(), false);

    QVERIFY2(at(before, 200, 150) >= 250, qPrintable(QString::number(at(before, 200, 150))));
    QVERIFY2(at(buffer, 200, 150) <= 2, qPrintable(QString::number(at(buffer, 200, 150))));
    // Far from the eraser the line is untouched; nowhere does ink grow.
    QCOMPARE(at(buffer, 80, 150), at(before, 80, 150));
    QCOMPARE(at(buffer, 320, 150), at(before, 320, 150));
    for (int y = 0; y < buffer.height(); ++y)
        for (int x = 0; x < buffer.width(); ++x)
            QVERIFY(at(buffer, x, y) <= at(before, x, y));
    QVERIFY(total(buffer) < total(before) * 9 / 10);
}

void TestOffscreenRenderer::curvesGiveDistinctProfiles()
{
    // A wide horizontal line; its cross-section at x = 200 is the curve's
    // profile from the centre line out to the edge, on both sides.
    Geometry geometry;
    geometry << Model::LineSegment(QPointF(20, 150), QPointF(380, 150), 1.0, 1.0, 110, 110);

    QList<QList<int>> profiles;
    for (int curve = 0; curve < OffscreenRenderer::CurveCount; ++curve) {
        const QImage image = render(geometry, curve);
        QList<int> profile;
        for (int y = 30; y < 270; ++y)
            profile << at(image, 200, y);
        profiles << profile;
        // Ink on the centre line, none beyond the edge.
        QVERIFY2(profile[120] > 0, qPrintable(QString::number(curve)));
        QCOMPARE(at(image, 200, 35), uchar(0));
    }
    // Each curve differs from every other, except the marker and the rubber
    // eraser, which ship the same curve.
    for (int i = 0; i < profiles.size(); ++i) {
        for (int j = i + 1; j < profiles.size(); ++j) {
            const QString pair = QStringLiteral("curves %1 and %2").arg(i).arg(j);
            if (i == Marker && j == Rubber)
                QVERIFY2(profiles[i] == profiles[j], qPrintable(pair));
            else
                QVERIFY2(profiles[i] != profiles[j], qPrintable(pair));
        }
    }
    // The kneaded eraser is soft to the edge: at 90 % of the radius it still
    // keeps much more than the pencil, whose curve falls to nearly 0 there.
    const int edge = 120 - 99;
    QVERIFY2(profiles[Kneaded][edge] > profiles[Pencil][edge] + 40,
             qPrintable(QStringLiteral("%1 vs %2").arg(profiles[Kneaded][edge])
                            .arg(profiles[Pencil][edge])));
    // A pen type past the last curve is drawn with the last one.
    QImage beyond = blank();
    OffscreenRenderer::instance()->renderPenStroke(
        beyond, Model::Tool::PenType(9), QPoint(), 1.0f, beyond.rect(), QTransform(),
        geometry.positions, geometry.colours, geometry.types);
    QCOMPARE(beyond, render(geometry, Vinyl));
}

void TestOffscreenRenderer::mirroredTransformDrawsTheMirroredStroke()
{
    // The edge normals must stay outward when the transform mirrors; the
    // result is then the mirror image of the plain drawing.
    Geometry geometry;
    geometry << Model::LineSegment(QPointF(60, 80), QPointF(300, 200), 1.0, 0.6, 6, 16)
             << Model::ArcSegment(Model::Circle(QPointF(250, 150), 60), QPointF(310, 150),
                                  QPointF(250, 90), false, 1.0, 1.0, 10, 4);
    const QImage plain = render(geometry, Brush);
    const QTransform mirror = QTransform::fromTranslate(FrameSize.width(), 0).scale(-1, 1);
    const QImage mirrored = render(geometry, Brush, mirror);
    const QImage expected = plain.mirrored(true, false);

    int different = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            const int delta = std::abs(int(at(mirrored, x, y)) - int(at(expected, x, y)));
            QVERIFY2(delta <= 8, qPrintable(QStringLiteral("%1,%2: %3 vs %4").arg(x).arg(y)
                                                .arg(at(mirrored, x, y))
                                                .arg(at(expected, x, y))));
            different += delta > 1 ? 1 : 0;
        }
    QVERIFY2(different < 50, qPrintable(QString::number(different)));
}

void TestOffscreenRenderer::onlyTheRequestedRectIsWritten_data()
{
    QTest::addColumn<QSize>("targetSize");
    QTest::addColumn<QRect>("rect");

    QTest::newRow("inside") << FrameSize << QRect(120, 90, 150, 100);
    QTest::newRow("partly outside") << FrameSize << QRect(250, 200, 400, 400);
    QTest::newRow("target smaller than rect") << QSize(180, 120) << QRect(0, 0, 400, 300);
    QTest::newRow("entirely outside") << FrameSize << QRect(500, 400, 50, 50);
    QTest::newRow("negative corner") << FrameSize << QRect(-100, -100, 220, 200);
}

void TestOffscreenRenderer::onlyTheRequestedRectIsWritten()
{
    QFETCH(QSize, targetSize);
    QFETCH(QRect, rect);

    Geometry geometry;
    geometry << Model::LineSegment(QPointF(0, 0), QPointF(400, 300), 1.0, 1.0, 30, 30);
    const QImage full = render(geometry, Marker);

    // Pixels inside the rect are replaced (not blended), the rest keep 77.
    QImage target = blank(targetSize, 77);
    renderInto(target, geometry, Marker, rect);
    const QRect written = rect & target.rect();
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            const uchar expected = written.contains(x, y) ? at(full, x, y) : uchar(77);
            QVERIFY2(at(target, x, y) == expected,
                     qPrintable(QStringLiteral("%1,%2: %3 instead of %4")
                                    .arg(x).arg(y).arg(at(target, x, y)).arg(expected)));
        }
}

void TestOffscreenRenderer::shortListsAreNotOverrun()
{
    // Colour and type lists shorter than the positions: only the vertices
    // that all three lists describe are drawn.
    Geometry geometry;
    geometry << Model::PointSegment(QPointF(100, 100), 1.0, 20)
             << Model::PointSegment(QPointF(300, 200), 1.0, 20);
    Geometry truncated = geometry;
    truncated.colours.resize(2 * 300);
    Geometry firstOnly = geometry;
    firstOnly.positions.resize(4 * 300);
    firstOnly.colours.resize(2 * 300);
    firstOnly.types.resize(3 * 300);

    const QImage image = render(truncated, Marker);
    QCOMPARE(image, render(firstOnly, Marker));
    QVERIFY(at(image, 100, 100) > 200);
    QCOMPARE(at(image, 300, 200), uchar(0));

    Geometry oddTypes = geometry;
    oddTypes.types.resize(3 * 300 + 2);
    QCOMPARE(render(oddTypes, Marker), render(firstOnly, Marker));
}

void TestOffscreenRenderer::tiledTargetHasNoSeams_data()
{
    QTest::addColumn<int>("curve");
    QTest::addColumn<QPoint>("textureOffset");
    QTest::newRow("pencil") << int(Pencil) << QPoint(0, 0);
    QTest::newRow("pencil, offset paper") << int(Pencil) << QPoint(123, -45);
    QTest::newRow("marker") << int(Marker) << QPoint(0, 0);
    QTest::newRow("kneaded eraser") << int(Kneaded) << QPoint(0, 0);
}

void TestOffscreenRenderer::tiledTargetHasNoSeams()
{
    QFETCH(int, curve);
    QFETCH(QPoint, textureOffset);

    // Strokes across the whole frame, crossing many tile borders.
    Geometry geometry;
    geometry << Model::LineSegment(QPointF(10, 20), QPointF(390, 280), 0.9, 0.9, 18, 18)
             << Model::ArcSegment(Model::Circle(QPointF(200, 150), 110), QPointF(310, 150),
                                  QPointF(90, 150), false, 1.0, 0.5, 25, 8)
             << Model::LineSegment(QPointF(0, 151.5), QPointF(400, 149), 1.0, 1.0, 2, 2);

    QImage whole = blank();
    renderInto(whole, geometry, curve, whole.rect(), QTransform(), textureOffset);

    // Buffers of at most 64 x 64 pixels: 400 x 300 halves to 200 x 150,
    // 100 x 75, then 50 x 38 (halves round away from zero).
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    OffscreenRenderer::TestHooks hooks;
    hooks.maximumFramebufferSize = QSize(64, 64);
    renderer->setTestHooks(hooks);
    QVERIFY(renderer->resizeFBOs(FrameSize));
    QCOMPARE(renderer->currentFBOSize(), QSize(50, 38));

    // Floating-point rounding differs a little with the position inside the
    // buffer, by a level here and there; a seam (a lost row or column, or
    // paper grain that jumps at the border) differs by far more.
    QImage tiled = blank(FrameSize, 77);
    renderInto(tiled, geometry, curve, tiled.rect(), QTransform(), textureOffset);
    QVERIFY(total(whole) > 0);
    int differing = 0;
    for (int y = 0; y < tiled.height(); ++y)
        for (int x = 0; x < tiled.width(); ++x) {
            const int delta = std::abs(int(at(tiled, x, y)) - int(at(whole, x, y)));
            QVERIFY2(delta <= 2, qPrintable(QStringLiteral("%1,%2 (tile %3,%4): %5 instead of %6")
                                                .arg(x).arg(y).arg(x / 50).arg(y / 38)
                                                .arg(at(tiled, x, y)).arg(at(whole, x, y))));
            differing += delta > 0 ? 1 : 0;
        }
    QVERIFY2(differing < tiled.width() * tiled.height() / 100, qPrintable(QString::number(differing)));

    // A rect that straddles tile corners writes only its own pixels.
    QImage part = blank(FrameSize, 77);
    const QRect rect(45, 30, 61, 50);
    renderInto(part, geometry, curve, rect, QTransform(), textureOffset);
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x) {
            if (rect.contains(x, y))
                QVERIFY(std::abs(int(at(part, x, y)) - int(at(tiled, x, y))) <= 2);
            else
                QCOMPARE(at(part, x, y), uchar(77));
        }
}

void TestOffscreenRenderer::preparedBuffersAreMadeWhenFirstNeeded()
{
    Geometry geometry;
    geometry << Model::LineSegment(QPointF(10, 20), QPointF(390, 280), 0.9, 0.6, 18, 7)
             << Model::PointSegment(QPointF(200.5, 150.25), 1.0, 30);
    const QImage eager = render(geometry, Pencil);

    // Buffers for frames of another size are dropped, and none are made for
    // FrameSize until a stroke is rendered; then they are exactly as before.
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    renderer->prepareFor(QSize(800, 600));
    renderer->prepareFor(FrameSize);
    QCOMPARE(renderer->currentFBOSize(), FrameSize);
    QCOMPARE(renderer->currentSamples(), 0);
    QCOMPARE(render(geometry, Pencil), eager);
    QCOMPARE(renderer->currentSamples(), OffscreenRenderer::Samples);

    // Asked again for the size they have, the buffers stay.
    renderer->prepareFor(FrameSize);
    QCOMPARE(renderer->currentSamples(), OffscreenRenderer::Samples);
    QVERIFY(total(eager) > 0);
}

void TestOffscreenRenderer::aRendererStartedInTheBackgroundDrawsTheSame()
{
    Geometry geometry;
    geometry << Model::LineSegment(QPointF(10, 20), QPointF(390, 280), 0.9, 0.6, 18, 7)
             << Model::PointSegment(QPointF(200.5, 150.25), 1.0, 30);
    const QImage foreground = render(geometry, Brush);
    QVERIFY(total(foreground) > 0);

    // The window starts it so while it builds itself; a size asked for
    // meanwhile is the one the buffers are made for.
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    renderer->initializeInBackground(QSize(800, 600));
    renderer->prepareFor(FrameSize);
    QVERIFY(renderer->isInitialized());
    QCOMPARE(renderer->currentFBOSize(), FrameSize);
    QCOMPARE(renderer->currentSamples(), 0);
    QCOMPARE(render(geometry, Brush), foreground);
    QCOMPARE(renderer->currentSamples(), OffscreenRenderer::Samples);

    // Started again before the first start was used, it waits for that one.
    renderer->initializeInBackground(FrameSize);
    renderer->initializeInBackground(FrameSize);
    QCOMPARE(render(geometry, Brush), foreground);
}

void TestOffscreenRenderer::resourcesAreShipped()
{
    // Nothing in the data folders here: the shipped images are used.
    const QImage pencil = OffscreenRenderer::loadTextureImage("SoftnessCurve-pencil.png");
    QCOMPARE(pencil.size(), QSize(256, 1));
    QVERIFY(!pencil.hasAlphaChannel());
    // The sample texels of the pencil curve: red falls, green rises.
    const int texels[] = {0, 64, 128, 192, 224, 240, 255};
    const int red[] = {254, 255, 255, 255, 209, 91, 2};
    const int green[] = {0, 6, 102, 223, 255, 255, 255};
    for (int i = 0; i < 7; ++i) {
        QCOMPARE(qRed(pencil.pixel(texels[i], 0)), red[i]);
        QCOMPARE(qGreen(pencil.pixel(texels[i], 0)), green[i]);
    }
    for (const char* name : {"SoftnessCurve-marker.png", "SoftnessCurve-brush.png",
                             "SoftnessCurve-eraserKneaded.png", "SoftnessCurve-eraserRubber.png",
                             "SoftnessCurve-eraserVinyl.png"}) {
        const QImage curve = OffscreenRenderer::loadTextureImage(name);
        QCOMPARE(curve.size(), QSize(256, 1));
        QVERIFY(curve.hasAlphaChannel());
    }
    const QImage paper = OffscreenRenderer::loadTextureImage("KWtexture.png");
    QCOMPARE(paper.size(), QSize(2048, 2048));
    QVERIFY(!paper.hasAlphaChannel());
    QVERIFY(OffscreenRenderer::loadTextureImage("no-such-texture.png").isNull());
}

void TestOffscreenRenderer::strokesRenderAsWithSteppedCaps_data()
{
    QTest::addColumn<int>("pen");
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<QTransform>("transform");

    QTest::newRow("pencil") << int(Model::Tool::Pencil) << 11u << QTransform();
    QTest::newRow("marker") << int(Model::Tool::Marker) << 23u << QTransform();
    QTest::newRow("brush, fitted to half the frame")
        << int(Model::Tool::Brush) << 37u << QTransform::fromScale(0.5, 0.5);
    QTest::newRow("pencil, turned and enlarged")
        << int(Model::Tool::Pencil) << 41u
        << QTransform().translate(200, 150).rotate(33).scale(1.7, 1.7).translate(-200, -150);
}

// Round caps are built from a table of turns instead of a sine, cosine and
// length per step: the renderer must get the very floats the caps built step
// by step give, and the strokes render exactly as with those, while fans
// turned by a tenth of a degree do not, so that the comparison of pixels
// could see a real difference.
void TestOffscreenRenderer::strokesRenderAsWithSteppedCaps()
{
    QFETCH(int, pen);
    QFETCH(quint32, seed);
    QFETCH(QTransform, transform);

    Model::PenTool tool{Model::Tool::PenType(pen)};
    tool.setSizeRangePercent(1.0, 6.0);
    const std::unique_ptr<Model::SingleStroke> stroke = wanderingStroke(&tool, seed);
    QVERIFY(stroke->segments().size() > 100);

    Geometry current;
    for (const auto& segment : stroke->segments())
        current << *segment;
    const Geometry stepped = steppedGeometry(*stroke);
    QCOMPARE(current.positions, stepped.positions);
    QCOMPARE(current.colours, stepped.colours);
    QCOMPARE(current.types, stepped.types);

    const QImage drawn = render(current, pen, transform);
    QVERIFY(total(drawn) > 0);
    const QImage expected = render(stepped, pen, transform);
    int differing = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            differing += at(drawn, x, y) != at(expected, x, y);
    QCOMPARE(differing, 0);

    QVERIFY(render(steppedGeometry(*stroke, 0.1), pen, transform) != expected);
}

QUILLMERE_TEST_MAIN(TestOffscreenRenderer)
#include "tst_offscreenrenderer.moc"

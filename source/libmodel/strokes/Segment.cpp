#include "strokes/Segment.h"

#include "strokes/ArcSegment.h"
#include "strokes/LineSegment.h"
#include "strokes/PointSegment.h"
#include "strokes/Stroke.h"

#include <QLineF>
#include <QtMath>

#include <cmath>

namespace Model {

Segment::~Segment() = default;

std::shared_ptr<Segment> Segment::create(int kind)
{
    switch (kind) {
    case Point:
        return std::make_shared<PointSegment>();
    case Line:
        return std::make_shared<LineSegment>();
    case Arc:
        return std::make_shared<ArcSegment>();
    default:
        return nullptr;
    }
}

void Segment::write(QDataStream& stream, const Segment& segment)
{
    stream << qint32(segment.type());
    segment.serialize(stream);
}

std::shared_ptr<Segment> Segment::read(QDataStream& stream)
{
    qint32 kind = -1;
    stream >> kind;
    if (stream.status() != QDataStream::Ok)
        return nullptr;
    std::shared_ptr<Segment> segment = create(kind);
    if (!segment)
        return nullptr;
    segment->deSerialize(stream);
    if (stream.status() != QDataStream::Ok)
        return nullptr;
    return segment;
}

namespace {

// Appends a known number of vertices to the three lists: one resize each,
// then plain stores. Appending float by float costs more than the geometry.
class VertexWriter
{
public:
    VertexWriter(QList<float>& positions, QList<float>& colours, QList<float>& types, int count)
    {
        const qsizetype p = positions.size();
        const qsizetype c = colours.size();
        const qsizetype t = types.size();
        positions.resize(p + 4 * qsizetype(count));
        colours.resize(c + 2 * qsizetype(count));
        types.resize(t + 3 * qsizetype(count));
        m_positions = positions.data() + p;
        m_colours = colours.data() + c;
        m_types = types.data() + t;
    }

    void add(const QPointF& position, const QPointF& tangent, float opacity, float radius,
             float side, const QPointF& secondTangent)
    {
        m_positions[0] = float(position.x());
        m_positions[1] = float(position.y());
        m_positions[2] = float(tangent.x());
        m_positions[3] = float(tangent.y());
        m_positions += 4;
        m_colours[0] = opacity;
        m_colours[1] = radius;
        m_colours += 2;
        m_types[0] = side;
        m_types[1] = float(secondTangent.x());
        m_types[2] = float(secondTangent.y());
        m_types += 3;
    }

private:
    float* m_positions = nullptr;
    float* m_colours = nullptr;
    float* m_types = nullptr;
};

constexpr int DiscSteps = Segment::DiscVertexCount / 3;

// The turns of a disc's rim directions from its start direction: step k is
// 360 k / 99 degrees, as cosine and sine.
struct RimTurns
{
    double cosine[DiscSteps];
    double sine[DiscSteps];

    RimTurns()
    {
        for (int k = 0; k < DiscSteps; ++k) {
            const double turn = qDegreesToRadians(360.0 * k / double(DiscSteps - 1));
            cosine[k] = std::cos(turn);
            sine[k] = std::sin(turn);
        }
    }
};

const RimTurns& rimTurns()
{
    static const RimTurns turns;
    return turns;
}

} // namespace

void Segment::addVertex(const QPointF& position, const QPointF& tangent, double opacity,
                        double radius, float side, const QPointF& secondTangent,
                        QList<float>& positions, QList<float>& colours, QList<float>& types)
{
    VertexWriter(positions, colours, types, 1)
        .add(position, tangent, float(opacity), float(radius), side, secondTangent);
}

void Segment::addQuad(const QPointF& a, const QPointF& tangentA, double opacityA, double radiusA,
                      const QPointF& b, const QPointF& tangentB, double opacityB, double radiusB,
                      QList<float>& positions, QList<float>& colours, QList<float>& types)
{
    const QPointF none;
    const float oA = float(opacityA);
    const float rA = float(radiusA);
    const float oB = float(opacityB);
    const float rB = float(radiusB);
    VertexWriter out(positions, colours, types, 6);
    out.add(a, tangentA, oA, rA, LeftSide, none);
    out.add(a, tangentA, oA, rA, RightSide, none);
    out.add(b, tangentB, oB, rB, LeftSide, none);
    out.add(a, tangentA, oA, rA, RightSide, none);
    out.add(b, tangentB, oB, rB, LeftSide, none);
    out.add(b, tangentB, oB, rB, RightSide, none);
}

void Segment::addDiscToGLVectors(const QPointF& centre, double opacity, double radius,
                                 const QPointF& start, QList<float>& positions,
                                 QList<float>& colours, QList<float>& types)
{
    // The rim directions are those of a line from the centre turned step by
    // step (QLineF::setAngle), without a sine, cosine and length per step:
    // the start's angle and length are taken once and each step turns them
    // by a fixed table. The doubles differ from the stepwise turning in their
    // last bits at most, far below what the floats handed on can hold.
    const QLineF line(centre, centre + start);
    const double startRadians = qDegreesToRadians(line.angle());
    const double length = line.length();
    const double c0 = std::cos(startRadians);
    const double s0 = std::sin(startRadians);
    const RimTurns& turns = rimTurns();
    const float o = float(opacity);
    const float r = float(radius);
    const QPointF none;

    VertexWriter out(positions, colours, types, DiscVertexCount);
    QPointF previous = start;
    for (int k = 0; k < DiscSteps; ++k) {
        // cos and sin of (start angle - turn k).
        const double c = c0 * turns.cosine[k] + s0 * turns.sine[k];
        const double s = s0 * turns.cosine[k] - c0 * turns.sine[k];
        const QPointF end(centre.x() + c * length, centre.y() + -s * length);
        const QPointF current = end - centre;
        const QPointF middle = (previous + current) / 2.0;
        out.add(centre, none, o, r, Centre, none);
        out.add(centre, previous, o, r, Rim, middle);
        out.add(centre, current, o, r, Rim, middle);
        previous = current;
    }
}

bool Segment::isPlausiblePoint(const QPointF& point)
{
    return Stroke::isPlausibleCoordinate(point.x()) && Stroke::isPlausibleCoordinate(point.y());
}

bool Segment::isPlausibleRadius(double radius)
{
    return Stroke::isPlausibleCoordinate(radius) && radius >= 0.0;
}

QDataStream& operator<<(QDataStream& stream, const Segment& segment)
{
    segment.serialize(stream);
    return stream;
}

QDataStream& operator>>(QDataStream& stream, Segment& segment)
{
    segment.deSerialize(stream);
    return stream;
}

} // namespace Model

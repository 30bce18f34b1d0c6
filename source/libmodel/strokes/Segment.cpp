#include "strokes/Segment.h"

#include "strokes/ArcSegment.h"
#include "strokes/LineSegment.h"
#include "strokes/PointSegment.h"
#include "strokes/Stroke.h"

#include <QLineF>

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

void Segment::addVertex(const QPointF& position, const QPointF& tangent, double opacity,
                        double radius, float side, const QPointF& secondTangent,
                        QList<float>& positions, QList<float>& colours, QList<float>& types)
{
    positions << float(position.x()) << float(position.y()) << float(tangent.x())
              << float(tangent.y());
    colours << float(opacity) << float(radius);
    types << side << float(secondTangent.x()) << float(secondTangent.y());
}

void Segment::addQuad(const QPointF& a, const QPointF& tangentA, double opacityA, double radiusA,
                      const QPointF& b, const QPointF& tangentB, double opacityB, double radiusB,
                      QList<float>& positions, QList<float>& colours, QList<float>& types)
{
    const QPointF none;
    addVertex(a, tangentA, opacityA, radiusA, LeftSide, none, positions, colours, types);
    addVertex(a, tangentA, opacityA, radiusA, RightSide, none, positions, colours, types);
    addVertex(b, tangentB, opacityB, radiusB, LeftSide, none, positions, colours, types);
    addVertex(a, tangentA, opacityA, radiusA, RightSide, none, positions, colours, types);
    addVertex(b, tangentB, opacityB, radiusB, LeftSide, none, positions, colours, types);
    addVertex(b, tangentB, opacityB, radiusB, RightSide, none, positions, colours, types);
}

void Segment::addDiscToGLVectors(const QPointF& centre, double opacity, double radius,
                                 const QPointF& start, QList<float>& positions,
                                 QList<float>& colours, QList<float>& types)
{
    positions.reserve(positions.size() + 4 * DiscVertexCount);
    colours.reserve(colours.size() + 2 * DiscVertexCount);
    types.reserve(types.size() + 3 * DiscVertexCount);

    QLineF line(centre, centre + start);
    const double startAngle = line.angle();
    QPointF previous = start;
    const QPointF none;
    for (int k = 0; k < 100; ++k) {
        line.setAngle(startAngle - 360.0 * k / 99.0);
        const QPointF current = line.p2() - centre;
        const QPointF middle = (previous + current) / 2.0;
        addVertex(centre, none, opacity, radius, Centre, none, positions, colours, types);
        addVertex(centre, previous, opacity, radius, Rim, middle, positions, colours, types);
        addVertex(centre, current, opacity, radius, Rim, middle, positions, colours, types);
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

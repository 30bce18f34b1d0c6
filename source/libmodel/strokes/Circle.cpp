#include "strokes/Circle.h"

#include <cmath>

namespace Model {

Circle::Circle(const QPointF& centre, double radius) : m_centre(centre), m_radius(radius)
{
}

Circle::Circle(const QPointF& p1, const QPointF& p2, const QLineF& tangent)
{
    const QPointF middle = (p1 + p2) / 2.0;
    const QPointF d = p2 - middle;
    const QLineF bisector(middle, middle + QPointF(d.y(), -d.x()));
    const QPointF t = tangent.p2() - tangent.p1();
    const QLineF normal(tangent.p1(), tangent.p1() + QPointF(t.y(), -t.x()));

    QPointF centre;
    if (bisector.intersects(normal, &centre) == QLineF::NoIntersection)
        return;
    const QPointF fromP1 = p1 - centre;
    const double squared = QPointF::dotProduct(fromP1, fromP1);
    if (!(std::abs(squared) > 1e-12))
        return;
    m_centre = centre;
    m_radius = std::sqrt(squared);
}

QDataStream& operator<<(QDataStream& stream, const Circle& circle)
{
    stream << circle.centre() << circle.radius();
    return stream;
}

QDataStream& operator>>(QDataStream& stream, Circle& circle)
{
    QPointF centre;
    double radius = 0.0;
    stream >> centre >> radius;
    circle = Circle(centre, radius);
    return stream;
}

} // namespace Model

#pragma once

#include <QDataStream>
#include <QLineF>
#include <QPointF>

namespace Model {

// The circle of an arc segment. The null circle (centre (0, 0), radius 0)
// stands for "no circle exists".
class Circle
{
public:
    Circle() = default;
    Circle(const QPointF& centre, double radius);
    // The circle through p1 and p2 whose centre lies on the normal of the
    // tangent line at the tangent's first point: with a tangent that starts
    // at p1 the circle touches that line at p1.
    Circle(const QPointF& p1, const QPointF& p2, const QLineF& tangent);

    QPointF centre() const { return m_centre; }
    double radius() const { return m_radius; }
    bool isNull() const { return m_centre.isNull() && m_radius == 0.0; }

    bool operator==(const Circle& other) const
    {
        return m_centre == other.m_centre && m_radius == other.m_radius;
    }
    bool operator!=(const Circle& other) const { return !(*this == other); }

private:
    QPointF m_centre;
    double m_radius = 0.0;
};

QDataStream& operator<<(QDataStream& stream, const Circle& circle);
QDataStream& operator>>(QDataStream& stream, Circle& circle);

} // namespace Model

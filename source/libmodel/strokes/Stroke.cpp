#include "strokes/Stroke.h"

#include <cmath>

namespace Model {

Stroke::~Stroke() = default;

bool Stroke::isPlausibleCoordinate(double value)
{
    return std::isfinite(value) && std::abs(value) <= maximumCoordinate;
}

QDataStream& operator<<(QDataStream& stream, const Stroke::GuidePoint& point)
{
    stream << point.position << point.pressure;
    return stream;
}

QDataStream& operator>>(QDataStream& stream, Stroke::GuidePoint& point)
{
    QPointF position;
    double pressure = 0.0;
    stream >> position >> pressure;
    point = Stroke::GuidePoint();
    if (stream.status() != QDataStream::Ok)
        return stream;
    if (!Stroke::isPlausibleCoordinate(position.x()) || !Stroke::isPlausibleCoordinate(position.y())
        || !std::isfinite(pressure)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return stream;
    }
    point.position = position;
    point.pressure = pressure;
    return stream;
}

} // namespace Model

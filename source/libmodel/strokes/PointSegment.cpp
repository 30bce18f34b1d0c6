#include "strokes/PointSegment.h"

#include <QPainterPath>

#include <cmath>

namespace Model {

PointSegment::PointSegment(const QPointF& position, double opacity, double radius)
    : m_position(position), m_opacity(opacity), m_radius(radius)
{
}

QRect PointSegment::boundingRect() const
{
    return QRectF(m_position.x() - m_radius, m_position.y() - m_radius, 2.0 * m_radius,
                  2.0 * m_radius)
        .toAlignedRect();
}

void PointSegment::startPainterPath(QPainterPath& path) const
{
    path.moveTo(m_position);
}

void PointSegment::addToPainterPath(QPainterPath&) const
{
}

void PointSegment::addRoundCapBeginToGLVectors(QList<float>&, QList<float>&, QList<float>&) const
{
}

void PointSegment::addToGLVectors(QList<float>& positions, QList<float>& colours,
                                  QList<float>& types) const
{
    addDiscToGLVectors(m_position, m_opacity, m_radius, QPointF(m_radius, 0.0), positions,
                       colours, types);
}

void PointSegment::addRoundCapEndToGLVectors(QList<float>&, QList<float>&, QList<float>&) const
{
}

void PointSegment::serialize(QDataStream& stream) const
{
    stream << m_position << m_opacity << m_radius;
}

void PointSegment::deSerialize(QDataStream& stream)
{
    QPointF position;
    double opacity = 0.0;
    double radius = 0.0;
    stream >> position >> opacity >> radius;
    *this = PointSegment();
    if (stream.status() != QDataStream::Ok)
        return;
    if (!isPlausiblePoint(position) || !std::isfinite(opacity) || !isPlausibleRadius(radius)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    *this = PointSegment(position, opacity, radius);
}

} // namespace Model

#include "strokes/LineSegment.h"

#include <QPainterPath>

#include <cmath>

namespace Model {

namespace {

QRect discRect(const QPointF& centre, double radius)
{
    return QRectF(centre.x() - radius, centre.y() - radius, 2.0 * radius, 2.0 * radius)
        .toAlignedRect();
}

} // namespace

LineSegment::LineSegment(const QPointF& p1, const QPointF& p2, double opacity1, double opacity2,
                         double radius1, double radius2)
    : m_p1(p1),
      m_p2(p2),
      m_opacity1(opacity1),
      m_opacity2(opacity2),
      m_radius1(radius1),
      m_radius2(radius2)
{
}

QRect LineSegment::boundingRect() const
{
    return discRect(m_p1, m_radius1) | discRect(m_p2, m_radius2);
}

void LineSegment::startPainterPath(QPainterPath& path) const
{
    path.moveTo(m_p1);
}

void LineSegment::addToPainterPath(QPainterPath& path) const
{
    path.lineTo(m_p2);
}

void LineSegment::addRoundCapBeginToGLVectors(QList<float>& positions, QList<float>& colours,
                                              QList<float>& types) const
{
    addDiscToGLVectors(m_p1, m_opacity1, m_radius1, m_p2 - m_p1, positions, colours, types);
}

void LineSegment::addToGLVectors(QList<float>& positions, QList<float>& colours,
                                 QList<float>& types) const
{
    const QPointF tangent = m_p2 - m_p1;
    addQuad(m_p1, tangent, m_opacity1, m_radius1, m_p2, tangent, m_opacity2, m_radius2, positions,
            colours, types);
}

void LineSegment::addRoundCapEndToGLVectors(QList<float>& positions, QList<float>& colours,
                                            QList<float>& types) const
{
    addDiscToGLVectors(m_p2, m_opacity2, m_radius2, m_p2 - m_p1, positions, colours, types);
}

void LineSegment::serialize(QDataStream& stream) const
{
    stream << m_p1 << m_p2 << m_opacity1 << m_opacity2 << m_radius1 << m_radius2;
}

void LineSegment::deSerialize(QDataStream& stream)
{
    QPointF p1;
    QPointF p2;
    double opacity1 = 0.0;
    double opacity2 = 0.0;
    double radius1 = 0.0;
    double radius2 = 0.0;
    stream >> p1 >> p2 >> opacity1 >> opacity2 >> radius1 >> radius2;
    *this = LineSegment();
    if (stream.status() != QDataStream::Ok)
        return;
    if (!isPlausiblePoint(p1) || !isPlausiblePoint(p2) || !std::isfinite(opacity1)
        || !std::isfinite(opacity2) || !isPlausibleRadius(radius1) || !isPlausibleRadius(radius2)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    *this = LineSegment(p1, p2, opacity1, opacity2, radius1, radius2);
}

} // namespace Model

#include "strokes/ArcSegment.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace Model {

namespace {

QRectF discRect(const QPointF& centre, double radius)
{
    return QRectF(centre.x() - radius, centre.y() - radius, 2.0 * radius, 2.0 * radius);
}

// Number of steps the arc body is divided into.
constexpr int ArcSteps = 10;

} // namespace

ArcSegment::ArcSegment(const Circle& circle, const QPointF& p1, const QPointF& p2, bool clockwise,
                       double opacity1, double opacity2, double radius1, double radius2)
    : m_circle(circle),
      m_p1(p1),
      m_p2(p2),
      m_clockwise(clockwise),
      m_opacity1(opacity1),
      m_opacity2(opacity2),
      m_radius1(radius1),
      m_radius2(radius2)
{
}

double ArcSegment::startAngle() const
{
    return QLineF(m_circle.centre(), m_p1).angle();
}

double ArcSegment::endAngle() const
{
    return QLineF(m_circle.centre(), m_p2).angle();
}

double ArcSegment::sweep() const
{
    const double a1 = startAngle();
    double a2 = endAngle();
    if (m_clockwise) {
        if (a1 < a2)
            a2 -= 360.0;
    } else {
        if (a2 < a1)
            a2 += 360.0;
    }
    return a2 - a1;
}

QPointF ArcSegment::tangentAt(const QPointF& point) const
{
    const QPointF d = point - m_circle.centre();
    return m_clockwise ? QPointF(-d.y(), d.x()) : QPointF(d.y(), -d.x());
}

bool ArcSegment::coversAngle(double angle) const
{
    const double a1 = startAngle();
    const double a2 = endAngle();
    // The arc runs from low to high through increasing angles; a range that
    // wraps past 0 covers everything not strictly inside the gap.
    const double low = m_clockwise ? a2 : a1;
    const double high = m_clockwise ? a1 : a2;
    if (high >= low)
        return low <= angle && angle <= high;
    return !(high < angle && angle < low);
}

QRect ArcSegment::boundingRect() const
{
    QRectF bounds = discRect(m_p1, m_radius1) | discRect(m_p2, m_radius2);
    const QPointF c = m_circle.centre();
    const double reach = m_circle.radius() + std::max(m_radius1, m_radius2);
    if (coversAngle(0.0))
        bounds.setRight(c.x() + reach);
    if (coversAngle(90.0))
        bounds.setTop(c.y() - reach);
    if (coversAngle(180.0))
        bounds.setLeft(c.x() - reach);
    if (coversAngle(270.0))
        bounds.setBottom(c.y() + reach);
    return bounds.toAlignedRect();
}

void ArcSegment::startPainterPath(QPainterPath& path) const
{
    path.moveTo(m_p1);
}

void ArcSegment::addToPainterPath(QPainterPath& path) const
{
    path.arcTo(discRect(m_circle.centre(), m_circle.radius()), startAngle(), sweep());
}

void ArcSegment::addRoundCapBeginToGLVectors(QList<float>& positions, QList<float>& colours,
                                             QList<float>& types) const
{
    addDiscToGLVectors(m_p1, m_opacity1, m_radius1, tangentAt(m_p1), positions, colours, types);
}

void ArcSegment::addToGLVectors(QList<float>& positions, QList<float>& colours,
                                QList<float>& types) const
{
    const int vertices = 6 * (ArcSteps + 1);
    positions.reserve(positions.size() + 4 * vertices);
    colours.reserve(colours.size() + 2 * vertices);
    types.reserve(types.size() + 3 * vertices);

    QLineF line(m_circle.centre(), m_p1);
    const double a1 = line.angle();
    const double arcSweep = sweep();

    QPointF previous = m_p1;
    QPointF previousTangent = tangentAt(m_p1);
    double previousOpacity = m_opacity1;
    double previousRadius = m_radius1;
    for (int k = 0; k <= ArcSteps; ++k) {
        line.setAngle(a1 + arcSweep * k / ArcSteps);
        const QPointF current = line.p2();
        const QPointF currentTangent = tangentAt(current);
        const double currentOpacity = (m_opacity1 * (ArcSteps - k) + m_opacity2 * k) / ArcSteps;
        const double currentRadius = (m_radius1 * (ArcSteps - k) + m_radius2 * k) / ArcSteps;
        addQuad(previous, previousTangent, previousOpacity, previousRadius, current,
                currentTangent, currentOpacity, currentRadius, positions, colours, types);
        previous = current;
        previousTangent = currentTangent;
        previousOpacity = currentOpacity;
        previousRadius = currentRadius;
    }
}

void ArcSegment::addRoundCapEndToGLVectors(QList<float>& positions, QList<float>& colours,
                                           QList<float>& types) const
{
    addDiscToGLVectors(m_p2, m_opacity2, m_radius2, tangentAt(m_p2), positions, colours, types);
}

void ArcSegment::serialize(QDataStream& stream) const
{
    stream << m_circle.centre() << m_circle.radius() << m_p1 << m_p2 << m_clockwise << m_opacity1
           << m_opacity2 << m_radius1 << m_radius2;
}

void ArcSegment::deSerialize(QDataStream& stream)
{
    QPointF centre;
    double circleRadius = 0.0;
    QPointF p1;
    QPointF p2;
    bool clockwise = false;
    double opacity1 = 0.0;
    double opacity2 = 0.0;
    double radius1 = 0.0;
    double radius2 = 0.0;
    stream >> centre >> circleRadius >> p1 >> p2 >> clockwise >> opacity1 >> opacity2 >> radius1
        >> radius2;
    *this = ArcSegment();
    if (stream.status() != QDataStream::Ok)
        return;
    if (!isPlausiblePoint(centre) || !isPlausibleRadius(circleRadius) || !isPlausiblePoint(p1)
        || !isPlausiblePoint(p2) || !std::isfinite(opacity1) || !std::isfinite(opacity2)
        || !isPlausibleRadius(radius1) || !isPlausibleRadius(radius2)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    *this = ArcSegment(Circle(centre, circleRadius), p1, p2, clockwise, opacity1, opacity2,
                       radius1, radius2);
}

} // namespace Model

#pragma once

#include "strokes/Circle.h"
#include "strokes/Segment.h"

namespace Model {

// A circular arc from p1 to p2 around the circle's centre. Clockwise means
// that the angle (QLineF convention, counter-clockwise on screen) decreases
// along the way. Opacity and radius vary linearly from p1 to p2.
class ArcSegment : public Segment
{
public:
    ArcSegment() = default;
    ArcSegment(const Circle& circle, const QPointF& p1, const QPointF& p2, bool clockwise,
               double opacity1, double opacity2, double radius1, double radius2);

    int type() const override { return Arc; }
    QRect boundingRect() const override;
    void startPainterPath(QPainterPath& path) const override;
    void addToPainterPath(QPainterPath& path) const override;
    void addRoundCapBeginToGLVectors(QList<float>& positions, QList<float>& colours,
                                     QList<float>& types) const override;
    void addToGLVectors(QList<float>& positions, QList<float>& colours,
                        QList<float>& types) const override;
    void addRoundCapEndToGLVectors(QList<float>& positions, QList<float>& colours,
                                   QList<float>& types) const override;
    void serialize(QDataStream& stream) const override;
    void deSerialize(QDataStream& stream) override;

    const Circle& circle() const { return m_circle; }
    QPointF p1() const { return m_p1; }
    QPointF p2() const { return m_p2; }
    bool isClockwise() const { return m_clockwise; }
    double opacity1() const { return m_opacity1; }
    double opacity2() const { return m_opacity2; }
    double radius1() const { return m_radius1; }
    double radius2() const { return m_radius2; }

    // Angles of p1 and p2 seen from the centre, in [0, 360).
    double startAngle() const;
    double endAngle() const;
    // Signed sweep from p1 to p2: [0, 360) counter-clockwise, (-360, 0]
    // clockwise.
    double sweep() const;
    // Direction of travel at a point of the circle (not normalised).
    QPointF tangentAt(const QPointF& point) const;

private:
    bool coversAngle(double angle) const;

    Circle m_circle;
    QPointF m_p1;
    QPointF m_p2;
    bool m_clockwise = false;
    double m_opacity1 = 0.0;
    double m_opacity2 = 0.0;
    double m_radius1 = 0.0;
    double m_radius2 = 0.0;
};

} // namespace Model

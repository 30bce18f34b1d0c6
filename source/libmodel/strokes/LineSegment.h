#pragma once

#include "strokes/Segment.h"

namespace Model {

// A straight piece from p1 to p2; opacity and radius vary linearly along it.
class LineSegment : public Segment
{
public:
    LineSegment() = default;
    LineSegment(const QPointF& p1, const QPointF& p2, double opacity1, double opacity2,
                double radius1, double radius2);

    int type() const override { return Line; }
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

    QPointF p1() const { return m_p1; }
    QPointF p2() const { return m_p2; }
    double opacity1() const { return m_opacity1; }
    double opacity2() const { return m_opacity2; }
    double radius1() const { return m_radius1; }
    double radius2() const { return m_radius2; }

private:
    QPointF m_p1;
    QPointF m_p2;
    double m_opacity1 = 0.0;
    double m_opacity2 = 0.0;
    double m_radius1 = 0.0;
    double m_radius2 = 0.0;
};

} // namespace Model

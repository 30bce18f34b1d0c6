#pragma once

#include "strokes/Segment.h"

namespace Model {

// A dot: one disc of the given radius.
class PointSegment : public Segment
{
public:
    PointSegment() = default;
    PointSegment(const QPointF& position, double opacity, double radius);

    int type() const override { return Point; }
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

    QPointF position() const { return m_position; }
    double opacity() const { return m_opacity; }
    double radius() const { return m_radius; }

private:
    QPointF m_position;
    double m_opacity = 0.0;
    double m_radius = 0.0;
};

} // namespace Model

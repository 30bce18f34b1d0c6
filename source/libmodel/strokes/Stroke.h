#pragma once

#include <QDataStream>
#include <QPointF>
#include <QRect>
#include <QtGlobal>

#include <memory>

class QImage;
class QPainterPath;
class QPoint;
class QTransform;

namespace Model {

// A stroke as its owners (compound strokes, stroke drawings, undo commands)
// see it. The kinds are told apart by type(): 0 single, 1 compound, 2 bitmap;
// the same code precedes each child in a compound stroke's stream form.
class Stroke
{
public:
    // One raw sample of pen input, in drawing coordinates.
    struct GuidePoint
    {
        QPointF position;
        double pressure = 0.0; // 0..1; a mouse gives 0.5
        quint64 time = 0;      // the input event's time stamp; never streamed
    };

    Stroke() = default;
    virtual ~Stroke();

    virtual int type() const = 0;
    virtual std::unique_ptr<Stroke> clone() const = 0;

    // Rasterises the stroke into an 8-bit target. rect is the area of the
    // target to compute, transform maps stroke coordinates to target pixels;
    // textureOffset and renderScale go to the renderer. Returns the rectangle
    // drawn into, or a null rectangle when nothing was drawn.
    virtual QRect draw(QImage& target, const QRect& rect, const QTransform& transform,
                       const QPoint& textureOffset, double renderScale) const = 0;

    virtual QRect boundingRect() const = 0;
    virtual bool isEmpty() const = 0;

    // Removes what lies inside the path (stroke coordinates); true when
    // something was removed.
    virtual bool clipInsidePath(QPainterPath path) = 0;
    virtual void clipOutsidePath(QPainterPath path) = 0;

    // Writes the kind's own stream form, without the kind code.
    virtual void serialize(QDataStream& stream) const = 0;

    // Stroke geometry read from a stream is trusted only within this range:
    // no drawing reaches that far, and larger numbers would overflow the
    // integer rectangles derived from them.
    static constexpr double maximumCoordinate = 1e7;
    static bool isPlausibleCoordinate(double value);

protected:
    Stroke(const Stroke&) = default;
    Stroke& operator=(const Stroke&) = default;
};

// Position, then pressure; the time is not part of the stream form. Reading
// damaged data (non-finite or absurdly large numbers) marks the stream
// corrupt and leaves a zeroed point.
QDataStream& operator<<(QDataStream& stream, const Stroke::GuidePoint& point);
QDataStream& operator>>(QDataStream& stream, Stroke::GuidePoint& point);

} // namespace Model

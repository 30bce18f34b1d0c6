#pragma once

#include <QDataStream>
#include <QList>
#include <QPointF>
#include <QRect>

#include <memory>

class QPainterPath;

namespace Model {

// One immutable piece of a stroke's geometry. Its kind, type(), is 0 point,
// 1 line, 2 arc. A segment describes itself as a bounding rectangle, as part
// of a centre-line painter path and as vertex data for the off-screen
// renderer: per vertex 4 position floats (x, y, tangent x, tangent y),
// 2 colour floats (opacity, radius) and 3 type floats (side code, second
// tangent x, second tangent y); every three vertices make one triangle.
class Segment
{
public:
    enum Kind { Point = 0, Line = 1, Arc = 2 };

    // Side codes understood by the renderer's vertex shader.
    static constexpr float LeftSide = 1.0f;
    static constexpr float RightSide = -1.0f;
    static constexpr float Centre = 0.0f;
    static constexpr float Rim = 0.6f;

    // Vertices of one round cap or one point segment.
    static constexpr int DiscVertexCount = 300;

    Segment() = default;
    virtual ~Segment();

    virtual int type() const = 0;
    virtual QRect boundingRect() const = 0;
    virtual void startPainterPath(QPainterPath& path) const = 0;
    virtual void addToPainterPath(QPainterPath& path) const = 0;
    virtual void addRoundCapBeginToGLVectors(QList<float>& positions, QList<float>& colours,
                                             QList<float>& types) const = 0;
    virtual void addToGLVectors(QList<float>& positions, QList<float>& colours,
                                QList<float>& types) const = 0;
    virtual void addRoundCapEndToGLVectors(QList<float>& positions, QList<float>& colours,
                                           QList<float>& types) const = 0;
    // The segment's own stream form, without the kind code.
    virtual void serialize(QDataStream& stream) const = 0;
    // Reads the form written by serialize. Damaged data (a short stream,
    // non-finite or implausible numbers) leaves the stream's status other
    // than Ok and the segment zeroed.
    virtual void deSerialize(QDataStream& stream) = 0;

    // A zeroed segment of the given kind, or null for an unknown kind.
    static std::shared_ptr<Segment> create(int kind);

    // Writes the int32 kind code followed by the segment's form.
    static void write(QDataStream& stream, const Segment& segment);

    // Reads one kind code and the segment that follows it. Returns null when
    // the kind is unknown (nothing more is read and the stream stays Ok, so
    // the caller may go on) or when the stream failed (its status tells).
    static std::shared_ptr<Segment> read(QDataStream& stream);

protected:
    Segment(const Segment&) = default;
    Segment& operator=(const Segment&) = default;

    // A fan of 100 triangles around centre, the first of them without area,
    // starting in direction start and going round clockwise on screen.
    static void addDiscToGLVectors(const QPointF& centre, double opacity, double radius,
                                   const QPointF& start, QList<float>& positions,
                                   QList<float>& colours, QList<float>& types);

    // One vertex of any kind.
    static void addVertex(const QPointF& position, const QPointF& tangent, double opacity,
                          double radius, float side, const QPointF& secondTangent,
                          QList<float>& positions, QList<float>& colours, QList<float>& types);

    // Two triangles from a (left, right) pair at a to the pair at b.
    static void addQuad(const QPointF& a, const QPointF& tangentA, double opacityA, double radiusA,
                        const QPointF& b, const QPointF& tangentB, double opacityB, double radiusB,
                        QList<float>& positions, QList<float>& colours, QList<float>& types);

    static bool isPlausiblePoint(const QPointF& point);
    static bool isPlausibleRadius(double radius);
};

QDataStream& operator<<(QDataStream& stream, const Segment& segment);
QDataStream& operator>>(QDataStream& stream, Segment& segment);

} // namespace Model

#include "strokes/SingleStroke.h"

#include "rendering/OffscreenRenderer.h"
#include "strokes/ArcSegment.h"
#include "strokes/Blending.h"
#include "strokes/Circle.h"
#include "strokes/LineSegment.h"
#include "strokes/PointSegment.h"
#include "strokes/Segment.h"
#include "tools/DrawingTool.h"
#include "tools/EraserTool.h"
#include "tools/PenTool.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace Model {

namespace {

double distance(const QPointF& a, const QPointF& b)
{
    return QLineF(a, b).length();
}

// The clone belongs to the stroke and its copies alone. Left with the
// original's parent it would pile up there, one per stroke ever drawn.
std::shared_ptr<Tool> cloneTool(Tool* tool)
{
    if (!tool)
        return nullptr;
    Tool* copy = tool->clone();
    if (!copy)
        return nullptr;
    copy->setParent(nullptr);
    return std::shared_ptr<Tool>(copy);
}

bool isPlausibleRect(const QRect& rect)
{
    return Stroke::isPlausibleCoordinate(rect.left()) && Stroke::isPlausibleCoordinate(rect.top())
           && Stroke::isPlausibleCoordinate(rect.right())
           && Stroke::isPlausibleCoordinate(rect.bottom());
}

void collectVertices(const Segment& segment, QList<float>& positions, QList<float>& colours,
                     QList<float>& types)
{
    segment.addRoundCapBeginToGLVectors(positions, colours, types);
    segment.addToGLVectors(positions, colours, types);
    segment.addRoundCapEndToGLVectors(positions, colours, types);
}

// A stroke's triangles for the renderer in parts of about this many
// vertices (some 1.2 MB of floats): a stroke of any length is drawn in
// memory that does not grow with it.
constexpr qsizetype PartVertices = 32768;

// The vertices of the segments whose mapped bounds meet rect, part by part.
class SegmentVertices : public OffscreenRenderer::VertexSource
{
public:
    SegmentVertices(const QList<std::shared_ptr<Segment>>& segments, const QTransform& transform,
                    const QRect& rect)
        : m_segments(segments), m_transform(transform), m_rect(rect)
    {
    }

    void rewind() override { m_next = 0; }

    const OffscreenRenderer::Vertices* next() override
    {
        m_part.positions.clear();
        m_part.colours.clear();
        m_part.types.clear();
        while (m_next < m_segments.size() && m_part.positions.size() / 4 < PartVertices) {
            const Segment& segment = *m_segments.at(m_next++);
            if (m_transform.mapRect(segment.boundingRect()).intersects(m_rect))
                collectVertices(segment, m_part.positions, m_part.colours, m_part.types);
        }
        return m_part.positions.isEmpty() ? nullptr : &m_part;
    }

private:
    const QList<std::shared_ptr<Segment>>& m_segments;
    const QTransform m_transform;
    const QRect m_rect;
    qsizetype m_next = 0;
    OffscreenRenderer::Vertices m_part;
};

} // namespace

class SingleStroke::SingleStrokePrivate
{
public:
    QList<GuidePoint> guidePoints;
    QList<ResultPoint> resultPoints;
    mutable QRect dottedLineRect;
    QList<std::shared_ptr<Segment>> segments;
    QRect bounds;
    std::shared_ptr<Tool> tool;
    int toolKind = Tool::Draw;
    Tool::PenType penType = Tool::Marker;
    Tool::EraserType eraserType = Tool::Rubber;
    mutable QImage buffer;
    // How many of the leading segments are already in the buffer, and how
    // many have had their area reported for repainting.
    mutable int rasterisedSegments = 0;
    mutable int reportedSegments = 0;

    void forgetSegmentCounts()
    {
        rasterisedSegments = 0;
        reportedSegments = 0;
    }

    const DrawingTool* drawingTool() const { return qobject_cast<const DrawingTool*>(tool.get()); }

    void takeTool(Tool* original)
    {
        tool = cloneTool(original);
        if (!tool)
            return;
        toolKind = tool->type();
        if (auto* pen = qobject_cast<const PenTool*>(tool.get()))
            penType = pen->penType();
        if (auto* eraser = qobject_cast<const EraserTool*>(tool.get()))
            eraserType = eraser->eraserType();
    }
};

SingleStroke::SingleStroke(Tool* tool) : d(std::make_unique<SingleStrokePrivate>())
{
    d->takeTool(tool);
}

SingleStroke::SingleStroke(const QSize& size, Tool* tool) : d(std::make_unique<SingleStrokePrivate>())
{
    d->takeTool(tool);
    if (size.width() > 0 && size.height() > 0) {
        d->buffer = QImage(size, QImage::Format_Alpha8);
        if (!d->buffer.isNull())
            d->buffer.fill(0);
    }
}

SingleStroke::SingleStroke(const SingleStroke& other)
    : Stroke(other), d(std::make_unique<SingleStrokePrivate>(*other.d))
{
}

SingleStroke::~SingleStroke() = default;

std::unique_ptr<Stroke> SingleStroke::clone() const
{
    return std::make_unique<SingleStroke>(*this);
}

double SingleStroke::opacityAtPressure(double pressure) const
{
    const DrawingTool* tool = d->drawingTool();
    return tool ? tool->opacityAtPressure(pressure) : 0.0;
}

double SingleStroke::radiusAtPressure(double pressure) const
{
    const DrawingTool* tool = d->drawingTool();
    return tool ? tool->radiusAtPressure(pressure) : 0.0;
}

void SingleStroke::addPoint(GuidePoint&& point)
{
    d->guidePoints.append(std::move(point));
    buildSegments(FollowFraction);
}

void SingleStroke::addPoint()
{
    buildSegments(FollowFraction);
}

void SingleStroke::addPoint(GuidePoint&& point, QPointF direction)
{
    const QPointF p = point.position;
    const QLineF startTangent(p, 2.0 * p - direction);
    addPoint(std::move(point));
    if (!d->resultPoints.isEmpty() && startTangent.length() > 5.0)
        d->resultPoints.last().tangent = startTangent;
}

void SingleStroke::addPoint(QPointF position, double pressure, unsigned long time)
{
    GuidePoint point;
    point.position = position;
    point.pressure = pressure;
    point.time = time;
    addPoint(std::move(point));
}

void SingleStroke::addEndPoint()
{
    buildSegments(EndFollowFraction);
}

void SingleStroke::appendSegment(std::shared_ptr<Segment> segment, const ResultPoint& reached)
{
    d->bounds |= segment->boundingRect();
    d->segments.append(std::move(segment));
    d->resultPoints.append(reached);
}

void SingleStroke::buildSegments(double t)
{
    if (d->guidePoints.isEmpty() || !d->drawingTool())
        return;
    const GuidePoint g = d->guidePoints.constLast();

    if (d->resultPoints.isEmpty()) {
        appendSegment(std::make_shared<PointSegment>(g.position, opacityAtPressure(g.pressure),
                                                     radiusAtPressure(g.pressure)),
                      ResultPoint{g.position, g.pressure, QLineF()});
        return;
    }

    const ResultPoint r = d->resultPoints.constLast();
    const double a = r.tangent.angleTo(QLineF(r.position, g.position));

    if (a < 1.0 || a > 359.0) {
        appendLineSegment(t);
        return;
    }

    // The first piece of a stroke with a start tangent turns too sharply to
    // follow it: it starts straight, and its round cap replaces the dot.
    if (d->resultPoints.size() == 1 && a > 45.0 && a < 315.0) {
        if (appendLineSegment(t)) {
            d->segments.removeFirst();
            if (d->rasterisedSegments > 0)
                --d->rasterisedSegments;
            if (d->reportedSegments > 0)
                --d->reportedSegments;
        }
        return;
    }

    if (a > 90.0 && a < 270.0) {
        // A corner: straight to where the pen turned, then on from there.
        if (d->guidePoints.size() < 2) {
            appendLineSegment(t);
            return;
        }
        const GuidePoint c = d->guidePoints.at(d->guidePoints.size() - 2);
        appendSegment(std::make_shared<LineSegment>(
                          r.position, c.position, opacityAtPressure(r.pressure),
                          opacityAtPressure(c.pressure), radiusAtPressure(r.pressure),
                          radiusAtPressure(c.pressure)),
                      ResultPoint{c.position, c.pressure, QLineF()});
        appendLineSegment(t);
        return;
    }

    const Circle circle(r.position, g.position, r.tangent);
    if (circle.isNull()) {
        appendLineSegment(t);
        return;
    }
    const bool clockwise = a > 180.0;
    const QPointF centre = circle.centre();
    auto w = [&centre](const QPointF& q) {
        return QPointF(centre.y() - q.y(), -(centre.x() - q.x()));
    };
    const QLineF tangentAtGuide(g.position,
                                clockwise ? g.position + w(g.position) : g.position - w(g.position));
    const double b = r.tangent.angleTo(tangentAtGuide);
    const double turn = clockwise ? t * (360.0 - b) : t * b;

    QLineF radial(centre, r.position);
    radial.setAngle(clockwise ? radial.angle() - turn : radial.angle() + turn);
    const QPointF n = radial.p2();
    if (distance(r.position, n) < 1.0)
        return;

    const double q = r.pressure + t * (g.pressure - r.pressure);
    const QLineF tangent(n, clockwise ? n + w(n) : n - w(n));
    appendSegment(std::make_shared<ArcSegment>(circle, r.position, n, clockwise,
                                               opacityAtPressure(r.pressure), opacityAtPressure(q),
                                               radiusAtPressure(r.pressure), radiusAtPressure(q)),
                  ResultPoint{n, q, tangent});
}

bool SingleStroke::appendLineSegment(double t)
{
    const ResultPoint r = d->resultPoints.constLast();
    const GuidePoint g = d->guidePoints.constLast();
    const QPointF n = r.position + t * (g.position - r.position);
    if (distance(r.position, n) < 1.0)
        return false;
    const double q = r.pressure + t * (g.pressure - r.pressure);
    appendSegment(std::make_shared<LineSegment>(r.position, n, opacityAtPressure(r.pressure),
                                                opacityAtPressure(q), radiusAtPressure(r.pressure),
                                                radiusAtPressure(q)),
                  ResultPoint{n, q, QLineF(n, 2.0 * n - r.position)});
    return true;
}

QRect SingleStroke::drawLastSegmentToBuffer() const
{
    rasterisePendingSegments();
    return takeChangedRect();
}

QRect SingleStroke::takeChangedRect() const
{
    if (d->buffer.isNull() || d->segments.isEmpty())
        return QRect();

    const int count = int(d->segments.size());
    const int first = std::clamp(d->reportedSegments, 0, count);
    QRect changed;
    // Nothing new: the pen may still have moved, so the last segment's area
    // is repainted as before.
    for (int i = std::min(first, count - 1); i < count; ++i)
        changed |= d->segments.at(i)->boundingRect().adjusted(-1, -1, 1, 1);
    d->reportedSegments = count;

    const QRect pen = QRectF(d->guidePoints.isEmpty() ? QPointF() : d->guidePoints.constLast().position,
                             QSizeF(-1.0, -1.0))
                          .normalized()
                          .toAlignedRect()
                          .adjusted(-3, -3, 3, 3);
    return (changed | pen | d->dottedLineRect) & d->buffer.rect();
}

void SingleStroke::rasterisePendingSegments() const
{
    const int count = int(d->segments.size());
    const int first = std::clamp(d->rasterisedSegments, 0, count);
    if (d->buffer.isNull() || first == count)
        return;

    // A builder run can append more than one segment (a corner appends two);
    // all of them go into the buffer, or the stroke would look different
    // once it is redrawn from its segments.
    QList<float> positions;
    QList<float> colours;
    QList<float> types;
    QRect changed;
    for (int i = first; i < count; ++i) {
        const Segment& segment = *d->segments.at(i);
        changed |= segment.boundingRect().adjusted(-1, -1, 1, 1);
        collectVertices(segment, positions, colours, types);
    }
    d->rasterisedSegments = count;
    // Only what the buffer can show is rendered.
    const QRect area = changed & d->buffer.rect();
    if (area.isEmpty())
        return;
    QImage scratch(area.size(), QImage::Format_Alpha8);
    if (scratch.isNull())
        return;
    scratch.fill(0);
    const QTransform toScratch = QTransform::fromTranslate(-area.left(), -area.top());
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    const QRect whole(0, 0, area.width(), area.height());
    if (d->toolKind == Tool::Draw)
        renderer->renderPenStroke(scratch, d->penType, area.topLeft(), 1.0f, whole, toScratch,
                                  positions, colours, types);
    else
        renderer->renderEraserStroke(scratch, d->eraserType, area.topLeft(), 1.0f, whole,
                                     toScratch, positions, colours, types);
    Blending::maxBlendImages(d->buffer, scratch, area, area.topLeft());
}

QRect SingleStroke::draw(QImage& target, const QRect& rect, const QTransform& transform,
                         const QPoint& textureOffset, double renderScale) const
{
    if (d->segments.isEmpty())
        return QRect();
    if (!transform.mapToPolygon(boundingRect()).intersects(QPolygon(rect)))
        return QRect();

    SegmentVertices source(d->segments, transform, rect);
    OffscreenRenderer* renderer = OffscreenRenderer::instance();
    if (d->toolKind == Tool::Draw)
        renderer->renderPenStroke(target, d->penType, textureOffset, float(renderScale), rect,
                                  transform, source);
    else
        renderer->renderEraserStroke(target, d->eraserType, textureOffset, float(renderScale),
                                     rect, transform, source);
    return rect;
}

QRect SingleStroke::drawDottedLineFromLastResultToGuide(QPainter* painter, const QColor& colour,
                                                        const QRect& clip, double width) const
{
    if (!painter || d->guidePoints.isEmpty() || d->resultPoints.isEmpty() || !d->drawingTool())
        return QRect();

    const GuidePoint& guide = d->guidePoints.constLast();
    const QLineF line(guide.position, d->resultPoints.constLast().position);

    painter->save();
    QPen pen = painter->pen();
    QColor penColour = colour;
    penColour.setAlphaF(float(std::clamp(opacityAtPressure(guide.pressure), 0.0, 1.0)));
    pen.setColor(penColour);
    pen.setWidthF(2.0 * width);
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    painter->drawLine(line);
    painter->restore();

    const int grow = int(2.0 * width);
    d->dottedLineRect = QRectF(line.p1(), line.p2())
                            .normalized()
                            .toAlignedRect()
                            .adjusted(-grow, -grow, grow, grow);
    return d->dottedLineRect & clip;
}

QPainterPath SingleStroke::toPainterPath() const
{
    QPainterPath path;
    if (d->segments.isEmpty())
        return path;
    d->segments.constFirst()->startPainterPath(path);
    for (const std::shared_ptr<Segment>& segment : d->segments)
        segment->addToPainterPath(path);
    return path;
}

bool SingleStroke::isValid() const
{
    return !d->guidePoints.isEmpty();
}

bool SingleStroke::isSinglePoint() const
{
    return d->guidePoints.size() == 1;
}

bool SingleStroke::isTooCloseToLastGuidePoint(const QPointF& position) const
{
    if (d->guidePoints.isEmpty())
        return false;
    const QPointF delta = position - d->guidePoints.constLast().position;
    return QPointF::dotProduct(delta, delta) < 1.0;
}

bool SingleStroke::isPen() const
{
    return d->toolKind == Tool::Draw;
}

bool SingleStroke::isEraser() const
{
    return d->toolKind == Tool::Erase;
}

bool SingleStroke::isEmpty() const
{
    return d->segments.isEmpty();
}

QRect SingleStroke::boundingRect() const
{
    return d->bounds.adjusted(-1, -1, 1, 1);
}

Stroke::GuidePoint SingleStroke::lastGuidePoint() const
{
    return d->guidePoints.isEmpty() ? GuidePoint() : d->guidePoints.constLast();
}

const QImage& SingleStroke::buffer() const
{
    return d->buffer;
}

void SingleStroke::releaseBuffer()
{
    d->buffer = QImage();
}

bool SingleStroke::clipInsidePath(QPainterPath path)
{
    if (d->segments.isEmpty() || !path.contains(QRectF(boundingRect())))
        return false;
    d->segments.clear();
    d->forgetSegmentCounts();
    return true;
}

void SingleStroke::clipOutsidePath(QPainterPath path)
{
    const QRectF rect(boundingRect());
    if (path.contains(rect) || path.intersects(rect))
        return;
    d->segments.clear();
    d->forgetSegmentCounts();
    d->bounds = QRect();
}

void SingleStroke::serialize(QDataStream& stream) const
{
    const bool pen = isPen();
    stream << pen << qint32(pen ? int(d->penType) : int(d->eraserType));
    stream << d->bounds;
    stream << qint32(d->guidePoints.size());
    for (const GuidePoint& point : d->guidePoints)
        stream << point;
    stream << qint32(d->segments.size());
    for (const std::shared_ptr<Segment>& segment : d->segments)
        Segment::write(stream, *segment);
}

const QList<Stroke::GuidePoint>& SingleStroke::guidePoints() const
{
    return d->guidePoints;
}

const QList<SingleStroke::ResultPoint>& SingleStroke::resultPoints() const
{
    return d->resultPoints;
}

const QList<std::shared_ptr<Segment>>& SingleStroke::segments() const
{
    return d->segments;
}

const Tool* SingleStroke::tool() const
{
    return d->tool.get();
}

Tool::PenType SingleStroke::penType() const
{
    return d->penType;
}

Tool::EraserType SingleStroke::eraserType() const
{
    return d->eraserType;
}

QDataStream& operator>>(QDataStream& stream, SingleStroke& stroke)
{
    SingleStroke::SingleStrokePrivate& d = *stroke.d;
    d.guidePoints.clear();
    d.resultPoints.clear();
    d.segments.clear();
    d.forgetSegmentCounts();
    d.dottedLineRect = QRect();
    d.bounds = QRect();
    d.tool.reset();
    d.buffer = QImage();

    bool pen = true;
    qint32 kind = 0;
    QRect bounds;
    stream >> pen >> kind >> bounds;
    if (stream.status() != QDataStream::Ok)
        return stream;
    d.toolKind = pen ? Tool::Draw : Tool::Erase;
    // An unknown type falls back to the default look rather than reaching
    // the renderer as an out-of-range curve.
    if (pen) {
        d.penType = kind >= Tool::Pencil && kind <= Tool::Brush ? Tool::PenType(kind) : Tool::Marker;
        d.eraserType = Tool::Rubber;
    } else {
        d.eraserType = kind >= Tool::Kneaded && kind <= Tool::Vinyl ? Tool::EraserType(kind)
                                                                     : Tool::Rubber;
        d.penType = Tool::Marker;
    }
    if (!isPlausibleRect(bounds)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return stream;
    }
    d.bounds = bounds;

    // Counts are never trusted for allocation: each loop ends at the first
    // failed read, so a damaged count cannot run on past the data.
    qint32 guideCount = 0;
    stream >> guideCount;
    if (stream.status() != QDataStream::Ok)
        return stream;
    if (guideCount < 0) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return stream;
    }
    for (qint32 i = 0; i < guideCount; ++i) {
        Stroke::GuidePoint point;
        stream >> point;
        if (stream.status() != QDataStream::Ok) {
            d.guidePoints.clear();
            return stream;
        }
        d.guidePoints.append(point);
    }

    qint32 segmentCount = 0;
    stream >> segmentCount;
    if (stream.status() != QDataStream::Ok)
        return stream;
    if (segmentCount < 0) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return stream;
    }
    for (qint32 i = 0; i < segmentCount; ++i) {
        std::shared_ptr<Segment> segment = Segment::read(stream);
        if (stream.status() != QDataStream::Ok)
            return stream;
        // An unknown kind reads as null with the stream still fine: skipped.
        if (segment)
            d.segments.append(std::move(segment));
    }
    return stream;
}

} // namespace Model

#pragma once

#include "strokes/Stroke.h"
#include "tools/Tool.h"

#include <QImage>
#include <QLineF>
#include <QList>
#include <QRect>
#include <QSize>

#include <memory>

class QColor;
class QPainter;
class QPainterPath;

namespace Model {

class Segment;

// One pen or eraser stroke, from pen-down to pen-up. While it is drawn it is
// fed guide points; after each the segment builder smooths the input into
// point, line and arc segments, which are rasterised into the stroke's own
// coverage buffer so that the canvas can show the growing stroke. Finished
// strokes are only drawn, clipped, copied and streamed.
class SingleStroke : public Stroke
{
public:
    // A smoothed point the stroke has reached. The tangent starts at the
    // point and points along the direction of travel (its length means
    // nothing); it is a null line where no direction is known.
    struct ResultPoint
    {
        QPointF position;
        double pressure = 0.0;
        QLineF tangent;
    };

    // Fraction of the way from the last result point to the pen that one
    // builder run covers while the pen moves or rests, and at the end.
    static constexpr double FollowFraction = 0.6;
    static constexpr double EndFollowFraction = 1.0;

    // The tool (pen or eraser) is cloned, so that later changes of its
    // ranges leave the stroke alone; without a drawing tool the stroke only
    // collects guide points.
    explicit SingleStroke(Tool* tool = nullptr);
    // As above, with a coverage buffer of the frame's size.
    SingleStroke(const QSize& size, Tool* tool);
    SingleStroke(const SingleStroke& other);
    SingleStroke& operator=(const SingleStroke&) = delete;
    ~SingleStroke() override;

    int type() const override { return 0; }
    std::unique_ptr<Stroke> clone() const override;

    void addPoint(GuidePoint&& point);
    // Another builder run toward the last guide point, for a resting pen.
    void addPoint();
    // direction is a point behind the guide point: a stroke that starts in
    // known motion gets that motion as the tangent of its first point.
    void addPoint(GuidePoint&& point, QPointF direction);
    void addPoint(QPointF position, double pressure, unsigned long time);
    // Pulls the stroke all the way to the last guide point.
    void addEndPoint();

    // Rasterises every segment appended since the last call into the buffer
    // and returns the rectangle of buffer pixels to repaint (the new
    // segments, the pen's position and the last dotted line). A null
    // rectangle without buffer or segments.
    QRect drawLastSegmentToBuffer() const;
    // The two halves of the above, for callers that rasterise once per
    // repaint however many pen events came in between: the rectangle of
    // buffer pixels to repaint for what the stroke did since the previous
    // call (the segments appended since, or the last one when there are
    // none, the pen's position and the last dotted line), rasterising
    // nothing; and the rasterisation of every segment not yet in the buffer.
    QRect takeChangedRect() const;
    void rasterisePendingSegments() const;

    // Replaces the pixels of target inside rect by the stroke's coverage.
    QRect draw(QImage& target, const QRect& rect, const QTransform& transform,
               const QPoint& textureOffset, double renderScale) const override;

    // Draws the dotted line from the pen to the stroke's end, which shows
    // how far the stroke trails; returns its area within clip.
    QRect drawDottedLineFromLastResultToGuide(QPainter* painter, const QColor& colour,
                                              const QRect& clip, double width) const;

    QPainterPath toPainterPath() const;

    bool isValid() const;
    bool isSinglePoint() const;
    bool isTooCloseToLastGuidePoint(const QPointF& position) const;
    bool isPen() const;
    bool isEraser() const;
    bool isEmpty() const override;
    QRect boundingRect() const override;
    GuidePoint lastGuidePoint() const;
    const QImage& buffer() const;
    // Drops the coverage buffer once its content lives elsewhere (a drawing
    // has taken it over or blended it in); drawing more segments into the
    // stroke then does nothing.
    void releaseBuffer();

    // Whole-stroke clipping: the stroke is kept or dropped entirely.
    bool clipInsidePath(QPainterPath path) override;
    void clipOutsidePath(QPainterPath path) override;

    void serialize(QDataStream& stream) const override;

    const QList<GuidePoint>& guidePoints() const;
    const QList<ResultPoint>& resultPoints() const;
    const QList<std::shared_ptr<Segment>>& segments() const;
    // The clone of the tool the stroke was made with, or null.
    const Tool* tool() const;
    Tool::PenType penType() const;
    Tool::EraserType eraserType() const;

    // Opacity and radius for a pen pressure under the stroke's tool; 0
    // without a drawing tool.
    double opacityAtPressure(double pressure) const;
    double radiusAtPressure(double pressure) const;

private:
    void buildSegments(double followFraction);
    bool appendLineSegment(double followFraction);
    void appendSegment(std::shared_ptr<Segment> segment, const ResultPoint& reached);

    class SingleStrokePrivate;
    std::unique_ptr<SingleStrokePrivate> d;

    friend QDataStream& operator>>(QDataStream& stream, SingleStroke& stroke);
};

// Reads the form written by serialize. Damaged data (negative counts,
// implausible numbers, a short stream) leaves the stream's status other than
// Ok, and the stroke holds what was read before the damage.
QDataStream& operator>>(QDataStream& stream, SingleStroke& stroke);

} // namespace Model

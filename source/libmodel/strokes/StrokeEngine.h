#pragma once

#include "strokes/SingleStroke.h"
#include "strokes/Stroke.h"

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QSize>

#include <memory>

namespace Model {

class StrokeEngineData;
class Tool;

// Drives one live stroke outside the scene, as the exposure sheet does for
// its annotations: guide points arrive in the caller's coordinates inside an
// area given at the start, each new piece of the stroke is rasterised into the
// stroke's own buffer as it comes, and the area to repaint is reported back in
// the caller's coordinates. While the pen rests, an extra point every 20 ms
// keeps the stroke catching up with it; 500 ms after the last accepted point
// the stroke is pulled all the way to the pen. The stroke stays active until
// endStroke() hands it over.
class StrokeEngine : public QObject
{
    Q_OBJECT

public:
    static constexpr int ExtraPointIntervalMs = 20;
    static constexpr int EndPointIntervalMs = 500;

    explicit StrokeEngine(QObject* parent = nullptr);
    ~StrokeEngine() override;

    // Starts a stroke of the area's size whose origin is the area's top-left,
    // made with tool, or with the tool manager's current tool when tool is
    // null. A stroke still active is finished and dropped first.
    void beginStroke(QRect area, Model::Stroke::GuidePoint&& firstPoint, Model::Tool* tool);
    // As above; directionPoint lies behind the first point and gives the
    // stroke its start direction.
    void beginStroke(QRect area, Model::Stroke::GuidePoint&& firstPoint, QPointF directionPoint,
                     Model::Tool* tool);
    // The area (0, 0, width, height).
    void beginStroke(QSize size, Model::Stroke::GuidePoint&& firstPoint, Model::Tool* tool);
    void beginStroke(QSize size, Model::Stroke::GuidePoint&& firstPoint, QPointF directionPoint,
                     Model::Tool* tool);

    // Ignored without an active stroke, and for a point too close to the last
    // one (which also leaves the timers running as they were).
    void addStrokePoint(Model::Stroke::GuidePoint&& point);
    // Finishes the stroke and hands it over; null without an active stroke.
    std::unique_ptr<SingleStroke> endStroke();

    const SingleStroke* activeStroke() const;
    bool hasActiveStroke() const;

signals:
    void rectChanged(QRect rect);
    void hasActiveStrokeChanged(bool hasActiveStroke);

private slots:
    void addExtraStrokePoint();
    void addStrokeEndPoint();

private:
    void begin(QRect area, Stroke::GuidePoint&& firstPoint, const QPointF* directionPoint,
               Tool* tool);
    void stopTimers();
    void startTimers();
    // Rasterises what the stroke added and reports it in caller coordinates.
    void drawAndReport();

    std::unique_ptr<StrokeEngineData> d;
};

} // namespace Model

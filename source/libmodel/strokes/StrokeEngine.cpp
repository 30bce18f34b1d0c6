#include "strokes/StrokeEngine.h"

#include "tools/ToolManager.h"

#include <QTimer>

namespace Model {

class StrokeEngineData
{
public:
    explicit StrokeEngineData(QObject* owner)
        : extraPointTimer(new QTimer(owner))
        , endPointTimer(new QTimer(owner))
    {
    }

    std::unique_ptr<SingleStroke> activeStroke;
    QRect area;
    QTimer* extraPointTimer;
    QTimer* endPointTimer;
};

StrokeEngine::StrokeEngine(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<StrokeEngineData>(this))
{
    d->extraPointTimer->setInterval(ExtraPointIntervalMs);
    d->endPointTimer->setInterval(EndPointIntervalMs);
    connect(d->extraPointTimer, &QTimer::timeout, this, &StrokeEngine::addExtraStrokePoint);
    connect(d->endPointTimer, &QTimer::timeout, this, &StrokeEngine::addStrokeEndPoint);
}

StrokeEngine::~StrokeEngine()
{
    delete d->extraPointTimer;
    delete d->endPointTimer;
}

void StrokeEngine::beginStroke(QRect area, Stroke::GuidePoint&& firstPoint, Tool* tool)
{
    begin(area, std::move(firstPoint), nullptr, tool);
}

void StrokeEngine::beginStroke(QRect area, Stroke::GuidePoint&& firstPoint,
                               QPointF directionPoint, Tool* tool)
{
    begin(area, std::move(firstPoint), &directionPoint, tool);
}

void StrokeEngine::beginStroke(QSize size, Stroke::GuidePoint&& firstPoint, Tool* tool)
{
    begin(QRect(QPoint(0, 0), size), std::move(firstPoint), nullptr, tool);
}

void StrokeEngine::beginStroke(QSize size, Stroke::GuidePoint&& firstPoint,
                               QPointF directionPoint, Tool* tool)
{
    begin(QRect(QPoint(0, 0), size), std::move(firstPoint), &directionPoint, tool);
}

void StrokeEngine::begin(QRect area, Stroke::GuidePoint&& firstPoint,
                         const QPointF* directionPoint, Tool* tool)
{
    if (d->activeStroke) {
        stopTimers();
        d->activeStroke->addEndPoint();
        d->activeStroke->drawLastSegmentToBuffer();
        emit hasActiveStrokeChanged(false);
        d->activeStroke.reset();
    }

    d->area = area;
    const QPointF origin = area.topLeft();
    firstPoint.position -= origin;

    if (!tool)
        tool = ToolManager::instance()->tool(ToolManager::instance()->currentToolType());
    d->activeStroke = std::make_unique<SingleStroke>(area.size(), tool);
    if (directionPoint)
        d->activeStroke->addPoint(std::move(firstPoint), *directionPoint - origin);
    else
        d->activeStroke->addPoint(std::move(firstPoint));
    drawAndReport();

    startTimers();
    emit hasActiveStrokeChanged(true);
}

void StrokeEngine::addStrokePoint(Stroke::GuidePoint&& point)
{
    if (!d->activeStroke)
        return;
    point.position -= QPointF(d->area.topLeft());
    if (d->activeStroke->isTooCloseToLastGuidePoint(point.position))
        return;
    startTimers();
    d->activeStroke->addPoint(std::move(point));
    drawAndReport();
}

std::unique_ptr<SingleStroke> StrokeEngine::endStroke()
{
    stopTimers();
    if (!d->activeStroke)
        return nullptr;
    d->activeStroke->addEndPoint();
    d->activeStroke->drawLastSegmentToBuffer();
    emit hasActiveStrokeChanged(false);
    return std::move(d->activeStroke);
}

const SingleStroke* StrokeEngine::activeStroke() const
{
    return d->activeStroke.get();
}

bool StrokeEngine::hasActiveStroke() const
{
    return d->activeStroke != nullptr;
}

void StrokeEngine::addExtraStrokePoint()
{
    if (!d->activeStroke)
        return;
    d->activeStroke->addPoint();
    drawAndReport();
}

void StrokeEngine::addStrokeEndPoint()
{
    stopTimers();
    if (!d->activeStroke)
        return;
    d->activeStroke->addEndPoint();
    drawAndReport();
}

void StrokeEngine::stopTimers()
{
    d->extraPointTimer->stop();
    d->endPointTimer->stop();
}

void StrokeEngine::startTimers()
{
    // start() restarts a running timer, which is what a new point needs.
    d->extraPointTimer->start();
    d->endPointTimer->start();
}

void StrokeEngine::drawAndReport()
{
    const QRect changed = d->activeStroke->drawLastSegmentToBuffer();
    emit rectChanged(changed.translated(d->area.topLeft()));
}

} // namespace Model

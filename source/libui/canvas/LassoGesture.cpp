// The lasso and the cutter: a free outline drawn in drawing coordinates and
// handed on, closed and simplified, when the pen lifts.
#include "canvas/PaperPrivate.h"

#include "strokes/SingleStroke.h"
#include "tools/ToolManager.h"

#include <cmath>

namespace UI {

void Paper::PaperPrivate::repaintLasso()
{
    if (lassoStroke)
        q->update(full.inverted().mapRect(QRectF(lassoStroke->boundingRect()))
                      .toAlignedRect()
                      .adjusted(-2, -2, 2, 2));
}

Model::Stroke::GuidePoint Paper::PaperPrivate::lassoPoint(const QPointF& position, double pressure,
                                                          unsigned long timestamp) const
{
    Model::Stroke::GuidePoint guide;
    guide.position = full.map(position);
    guide.pressure = pressure;
    guide.time = timestamp;
    return guide;
}

void Paper::PaperPrivate::processLassoingPress(const QPointF& position, double pressure,
                                               unsigned long timestamp)
{
    if (!isLassoReady())
        return;
    const QSize size(int(std::lround(frameRect.width())), int(std::lround(frameRect.height())));
    lassoStroke = std::make_unique<Model::SingleStroke>(
        size, Model::ToolManager::instance()->tool(Model::Tool::Draw));
    lassoStroke->addPoint(lassoPoint(position, pressure, timestamp));
    repaintLasso();
}

void Paper::PaperPrivate::processLassoingMove(const QPointF& position, double pressure,
                                              unsigned long timestamp)
{
    if (!isLassoReady() || !lassoStroke)
        return;
    lassoStroke->addPoint(lassoPoint(position, pressure, timestamp));
    repaintLasso();
}

void Paper::PaperPrivate::processLassoingRelease(const QPointF& position, double pressure,
                                                 unsigned long timestamp)
{
    if (!isLassoReady() || !lassoStroke)
        return;
    lassoStroke->addPoint(lassoPoint(position, pressure, timestamp));
    lassoStroke->addEndPoint();
    QPainterPath path = lassoStroke->toPainterPath();
    path.closeSubpath();
    path.setFillRule(Qt::WindingFill);
    path = path.simplified();
    repaintLasso();
    lassoStroke.reset();
    emit q->lassoingCompleted(path, toolType == Model::Tool::Cutter);
}

} // namespace UI

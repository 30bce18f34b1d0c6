#include "common/PanelShadow.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <utility>

namespace UI::PanelShadow {

void setStops(QGradient& gradient)
{
    const std::pair<double, int> stops[] = {{0, 90}, {0.4, 60}, {0.6, 25}, {0.75, 10}, {1, 0}};
    for (const auto& [at, alpha] : stops)
        gradient.setColorAt(at, QColor(45, 41, 38, alpha));
}

void fillBand(QPainter* painter, QLinearGradient& gradient, const QRectF& area, QPointF from,
              QPointF to)
{
    gradient.setStart(from);
    gradient.setFinalStop(to);
    painter->fillRect(area, gradient);
}

void fillCorner(QPainter* painter, QRadialGradient& gradient, const QRectF& area,
                QPointF centre)
{
    gradient.setCenter(centre);
    gradient.setFocalPoint(centre);
    painter->fillRect(area, gradient);
}

} // namespace UI::PanelShadow

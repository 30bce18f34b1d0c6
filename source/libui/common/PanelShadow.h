#pragma once

#include <QPointF>

class QGradient;
class QLinearGradient;
class QPainter;
class QRadialGradient;
class QRectF;

namespace UI {

// The soft shadow that floating panels cast: bands along the sides and
// quarter discs at the corners, fading out in the dark panel colour.
namespace PanelShadow {

void setStops(QGradient& gradient);
// Fills a side band with the gradient running from `from` (dark) to `to`.
void fillBand(QPainter* painter, QLinearGradient& gradient, const QRectF& area, QPointF from,
              QPointF to);
// Fills a corner square with the gradient centred on the panel's inner corner.
void fillCorner(QPainter* painter, QRadialGradient& gradient, const QRectF& area,
                QPointF centre);

} // namespace PanelShadow

} // namespace UI

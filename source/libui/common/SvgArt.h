#pragma once

#include <QPointF>

class QPainter;
class QSvgRenderer;

namespace UI {

// Renders an artwork at its natural size, times `scale`, centred on a point.
void renderCentred(QPainter* painter, QSvgRenderer& art, QPointF centre, double scale = 1.0);

} // namespace UI

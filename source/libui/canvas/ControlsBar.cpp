#include "canvas/ControlsBar.h"

#include "settings/Settings.h"

#include <QPainter>

namespace UI {

ControlsBar::ControlsBar(QWidget* parent)
    : QWidget(parent)
{
    updateUISize();
}

void ControlsBar::updateUISize()
{
    float const scale = Model::Settings::instance()->UIScaleFraction();
    setMinimumWidth(int(750 * scale));
    setFixedHeight(int(44 * scale));
    update();
    updateGeometry();
}

void ControlsBar::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setPen(QPen(QColor(60, 56, 52), devicePixelRatioF()));
    painter.drawLine(QPointF(0, 0), QPointF(width(), 0));
    painter.fillRect(QRect(QPoint(0, 1), QPoint(width() - 1, height() - 1)),
                     QColor(45, 41, 38, 191));
}

} // namespace UI

#include "customize/DragArrow.h"

#include <QPainter>
#include <QSvgRenderer>

namespace UI {

DragArrow::DragArrow(QWidget* parent)
    : QWidget(parent),
      m_arrow(std::make_unique<QSvgRenderer>(QStringLiteral(":/customize/arrowGraphic.svg")))
{
    setFixedSize(m_arrow->defaultSize());
}

DragArrow::~DragArrow() = default;

void DragArrow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QSize size = m_arrow->defaultSize();
    m_arrow->render(&painter, QRectF(QPointF(width() / 2 - size.width() / 2,
                                             height() / 2 - size.height() / 2),
                                     QSizeF(size)));
}

} // namespace UI

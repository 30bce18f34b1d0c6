#include "xsheet/OpacitySliderGraphicsEffect.h"

#include <QPainter>

namespace UI {

OpacitySliderGraphicsEffect::OpacitySliderGraphicsEffect(QObject* parent)
    : QGraphicsEffect(parent)
    , m_artwork(QStringLiteral(":/xsheet/opacitySliderShadow.svg"))
{
}

QRectF OpacitySliderGraphicsEffect::boundingRectFor(const QRectF& r) const
{
    return QRectF(r.center().x() - m_size.width() / 2.0, r.center().y() - m_size.height() / 2.0, m_size.width(),
                  m_size.height());
}

void OpacitySliderGraphicsEffect::draw(QPainter* painter)
{
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::LogicalCoordinates, &offset, NoPad);
    const QRectF bounds = boundingRectFor(sourceBoundingRect(Qt::LogicalCoordinates));
    const qreal ratio = painter->device()->devicePixelRatioF();
    const QPixmap artwork = m_artwork.pixmap(m_size, ratio);
    // The bottom part of the artwork of the bounding rectangle's size.
    const QRectF sourcePart(0, (m_size.height() - bounds.height()) * ratio, bounds.width() * ratio,
                            bounds.height() * ratio);
    painter->drawPixmap(bounds, artwork, sourcePart);
    painter->drawPixmap(offset, source);
}

} // namespace UI

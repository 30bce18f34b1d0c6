#include "xsheet/ArtworkShadowEffect.h"

#include <QPainter>

namespace UI {

ArtworkShadowEffect::ArtworkShadowEffect(QString const& artwork, QSize artworkSize, QObject* parent)
    : QGraphicsEffect(parent)
    , m_artwork(artwork)
    , m_artworkSize(artworkSize)
{
}

ArtworkShadowEffect::~ArtworkShadowEffect() = default;

QSize ArtworkShadowEffect::artworkSize() const
{
    return m_artworkSize;
}

void ArtworkShadowEffect::setArtworkSize(QSize size)
{
    m_artworkSize = size;
    updateBoundingRect();
}

QRectF ArtworkShadowEffect::centredOn(QRectF const& sourceRect) const
{
    QRectF rect(QPointF(0, 0), QSizeF(m_artworkSize));
    rect.moveCenter(sourceRect.center());
    return rect;
}

QRectF ArtworkShadowEffect::boundingRectFor(QRectF const& sourceRect) const
{
    m_boundingRect = shadowRectFor(sourceRect);
    return m_boundingRect.united(sourceRect);
}

void ArtworkShadowEffect::draw(QPainter* painter)
{
    QRectF const source = sourceBoundingRect(Qt::LogicalCoordinates);
    QRectF const shadow = shadowRectFor(source);
    qreal const ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap const artwork = m_artwork.pixmap(m_artworkSize, ratio, QIcon::Normal, QIcon::Off);
    qreal const r = artwork.devicePixelRatio();
    if (drawsWholeArtwork()) {
        QRectF target(QPointF(0, 0), artwork.deviceIndependentSize());
        target.moveCenter(source.center());
        painter->drawPixmap(target.topLeft(), artwork);
    } else {
        // The bottom of the artwork, so that the shadow grows with the
        // widget from its top edge down.
        double const height = std::min<double>(shadow.height(), m_artworkSize.height());
        QRectF const part(0, (m_artworkSize.height() - height) * r, shadow.width() * r, height * r);
        painter->drawPixmap(QRectF(shadow.topLeft(), QSizeF(shadow.width(), height)), artwork, part);
    }
    QPoint offset;
    QPixmap const pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    painter->drawPixmap(offset, pixmap);
}

} // namespace UI

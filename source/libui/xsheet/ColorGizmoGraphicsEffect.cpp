#include "xsheet/ColorGizmoGraphicsEffect.h"

namespace UI {

ColorGizmoGraphicsEffect::ColorGizmoGraphicsEffect(QObject* parent)
    : ArtworkShadowEffect(QStringLiteral(":/xsheet/X-layerColBaseShadow.svg"), QSize(42, 116), parent)
{
}

QRectF ColorGizmoGraphicsEffect::shadowRectFor(QRectF const& r) const
{
    QSize const artwork = artworkSize();
    return QRectF(r.x() + (r.width() - artwork.width()) / 2, r.y(), artwork.width(), r.height() + 9);
}

} // namespace UI

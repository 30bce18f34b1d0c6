#include "xsheet/ShadowEffect.h"

namespace UI {

ShadowEffect::ShadowEffect(QObject* parent)
    : ArtworkShadowEffect(QStringLiteral(":/xsheet/LayerRenameShadow.svg"), QSize(90, 38), parent)
{
}

QRectF ShadowEffect::shadowRectFor(QRectF const& r) const
{
    return centredOn(r);
}

} // namespace UI

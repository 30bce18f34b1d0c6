#include "xsheet/OpacitySliderGraphicsEffect.h"

namespace UI {

OpacitySliderGraphicsEffect::OpacitySliderGraphicsEffect(QObject* parent)
    : ArtworkShadowEffect(QStringLiteral(":/xsheet/opacitySliderShadow.svg"), QSize(68, 136), parent)
{
}

QRectF OpacitySliderGraphicsEffect::shadowRectFor(QRectF const& r) const
{
    return centredOn(r);
}

} // namespace UI

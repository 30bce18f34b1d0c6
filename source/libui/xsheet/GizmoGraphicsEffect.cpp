#include "xsheet/GizmoGraphicsEffect.h"

#include "settings/Settings.h"

namespace UI {

GizmoGraphicsEffect::GizmoGraphicsEffect(QObject* parent)
    : ArtworkShadowEffect(QStringLiteral(":/xsheet/X-layerColBaseShadow.svg"), QSize(42, 116), parent)
{
    updateUISize();
}

void GizmoGraphicsEffect::updateUISize()
{
    m_scale = Model::Settings::instance()->UIScaleFraction();
    setArtworkSize(QSize(int(42 * m_scale), int(116 * m_scale)));
}

QRectF GizmoGraphicsEffect::shadowRectFor(QRectF const& r) const
{
    QSize const artwork = artworkSize();
    return QRectF(r.x() + (r.width() - artwork.width()) / 2, r.y(), artwork.width(),
                  r.height() + 9 * m_scale);
}

} // namespace UI
